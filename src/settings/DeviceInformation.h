// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/ReplyReport.h"

#include <QString>

// The About screen's text, built in the order the device is read: the version reply first, then
// configuration bytes 0 to kLastAddress one at a time. Lines end in CR LF.
namespace telvar::DeviceInformation {

inline constexpr int kLastAddress = 6;

// The version line and, for a known board revision, which firmware updates fit it.
QString header(ReplyReport versionReply);

// The line for one configuration byte ("Speech Pitch     0200.0 Min 0  max 127 "); empty for a byte
// that is read but not listed.
QString valueLine(int address, quint8 value);

// Two closing lines.
QString notices();

// The line that ends the text of a read that failed: the lines before it are all that was read.
QString failureLine(const QString& reason);

} // namespace telvar::DeviceInformation
