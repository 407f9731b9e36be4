// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/PhoneticCodes.h"

#include "editor/MnemonicConversion.h"

namespace telvar {

QByteArray SayThisAllophoneList(QStringView zAllophoneList) {
    return kResetCode + MnemonicsToCodes(zAllophoneList);
}

QByteArray ripList(QStringView zAllophoneList) {
    QByteArray codes = MnemonicsToCodes(zAllophoneList);
    if (codes.size() < kStoredPhoneticLength)
        codes.append(kStoredPhoneticLength - codes.size(), kPhoneticPad);
    return codes;
}

QByteArrayView withoutBlanks(QByteArrayView codes) {
    while (!codes.isEmpty() && codes.front() == ' ')
        codes = codes.sliced(1);
    while (!codes.isEmpty() && codes.back() == ' ')
        codes.chop(1);
    return codes;
}

QStringView withoutBlanks(QStringView word) {
    while (!word.isEmpty() && word.front() == u' ')
        word = word.sliced(1);
    while (!word.isEmpty() && word.back() == u' ')
        word.chop(1);
    return word;
}

} // namespace telvar
