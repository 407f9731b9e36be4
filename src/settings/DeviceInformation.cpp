// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/DeviceInformation.h"

#include "settings/FirmwareVersion.h"

#include <array>

namespace telvar::DeviceInformation {

namespace {
const QString kLineEnd = QStringLiteral("\r\n");

struct Listed {
    const char* label;
    const char* range; // the device's own limits, not those of the SET UP sliders
};

constexpr std::array<Listed, kLastAddress> kListed = {{
    {"Current Gain     ", " Min 1  max 10  "},
    {"Current Offset   ", " Min 10 max 255  "},
    {"Current Voulume  ", " Min 0  max 127 "},
    {"Speech Speed     ", " Min 0  max 127 "},
    {"Speech Pitch     ", " Min 0  max 127 "},
    {"Speech Bend      ", " Min 0  max 127 "},
}};

QString hint(QChar revision) {
    if (revision == u'A')
        return QStringLiteral("Use Firmware Updates for The Telvar X REV A: ");
    if (revision == u'M')
        return QStringLiteral("Use Firmware Updates for The Telvar X REV M: ");
    if (revision == u' ')
        return QStringLiteral("Use Firmware Updates for  The Telvar X ");
    return {};
}
} // namespace

QString header(ReplyReport versionReply) {
    QString text = FirmwareVersion::text(versionReply) + kLineEnd;
    const QString revisionHint = hint(FirmwareVersion::revision(versionReply));
    if (!revisionHint.isEmpty())
        text += revisionHint + kLineEnd + kLineEnd;
    return text;
}

QString valueLine(int address, quint8 value) {
    if (address < 0 || address >= static_cast<int>(kListed.size()))
        return {};
    const Listed& listed = kListed[address];
    QString line = QString::fromLatin1(listed.label) + QStringLiteral("%1.0").arg(value, 4, 10, QChar(u'0')) +
                   QString::fromLatin1(listed.range) + kLineEnd;
    // The voice block ends with an empty line before the closing notices.
    if (address == kLastAddress - 1)
        line += kLineEnd;
    return line;
}

QString notices() {
    return QStringLiteral("These are the values stored in the Telvar X now.") + kLineEnd + kLineEnd +
           QStringLiteral("Change them on the SET UP screen; unsaved slider moves are not shown here.") +
           kLineEnd + kLineEnd;
}

QString failureLine(const QString& reason) {
    return QStringLiteral("The reading failed here, so this text is incomplete: ") + reason + kLineEnd;
}

} // namespace telvar::DeviceInformation
