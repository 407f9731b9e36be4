// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/ReplyReport.h"

#include <QChar>
#include <QString>

namespace telvar::FirmwareVersion {

// "Firmware version: 1.23A 4-" from a "Z" reply: bytes 2-6 are characters (Windows-1252), byte 7 a number.
QString text(ReplyReport reply);

// The board revision letter, byte 6 of the reply.
QChar revision(ReplyReport reply);

} // namespace telvar::FirmwareVersion
