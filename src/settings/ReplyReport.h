// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

#include <span>

namespace telvar {

// An input report as the link keeps it: byte 0 the report id, bytes 1-8 the device's data.
using ReplyReport = std::span<const quint8, 9>;

} // namespace telvar
