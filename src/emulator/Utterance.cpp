// SPDX-License-Identifier: GPL-3.0-or-later
#include "emulator/Utterance.h"

#include "editor/MnemonicTable.h"
#include "vocab/NumberText.h"

#include <QStringList>

namespace telvar {

QString Utterance::mnemonics() const {
    const MnemonicEntries& table = MnemonicTable();
    QStringList tokens;
    for (char byte : codes) {
        const int code = static_cast<quint8>(byte);
        tokens.append(table[code].isEmpty() ? QStringLiteral("\\%1").arg(code) : table[code]);
    }
    return tokens.join(u' ');
}

QString Utterance::line() const {
    switch (kind) {
    case Kind::Word:
        if (address % 8 == 0)
            return QStringLiteral("word %1: %2").arg(wordName(address / 8, {}), mnemonics());
        return QStringLiteral("address %1: %2").arg(address).arg(mnemonics());
    case Kind::Code:
        return QStringLiteral("code: %1").arg(mnemonics());
    case Kind::Value:
        return QString::number(codes.isEmpty() ? 0 : static_cast<quint8>(codes.front()));
    case Kind::VoiceTest:
        return QStringLiteral("voice test %1").arg(address);
    case Kind::Amplifier:
        return address ? QStringLiteral("amplifier on") : QStringLiteral("amplifier off");
    }
    return {};
}

} // namespace telvar
