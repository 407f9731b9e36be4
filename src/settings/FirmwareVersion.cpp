// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/FirmwareVersion.h"

#include "vocab/Cp1252.h"
#include "vocab/NumberText.h"

#include <QByteArrayView>

namespace telvar::FirmwareVersion {

QString text(ReplyReport reply) {
    const QByteArrayView characters(reply.data() + 2, 5);
    return QStringLiteral("Firmware version: ") + cp1252::decode(characters) + numberText(reply[7]) +
           QStringLiteral("-");
}

QChar revision(ReplyReport reply) {
    return cp1252::decode(QByteArrayView(reply.data() + 6, 1)).at(0);
}

} // namespace telvar::FirmwareVersion
