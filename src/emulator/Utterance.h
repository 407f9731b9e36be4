// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QMetaType>
#include <QString>

namespace telvar {

// One entry of the virtual device's speech log: something the device said.
struct Utterance {
    enum class Kind {
        Word,      // "S" (or "X"): the codes of the word at a word-memory address
        Code,      // "V": one code passed straight to the speech chip
        Value,     // "V": the value byte the control code before it takes (pitch 254 after \PITCH)
        VoiceTest, // "N": the device's own voice test phrase
        Amplifier, // "L" / "M": the speaker amplifier switched (nothing is said, but it decides whether
                   // anything is heard)
    };

    Kind kind = Kind::Word;
    // Word: the word-memory address spoken; VoiceTest: the step 1..3; Amplifier: 1 on, 0 off.
    int address = 0;
    QByteArray codes; // what reached the speech chip

    // The codes as mnemonic text, one token a code: "\HE \EH \LO \OW"; a code without a mnemonic shows
    // as its number ("\127").
    QString mnemonics() const;
    // A line for the speech log view: "word #6: \SE \AX ...", "code: \VOLUME", "voice test 2",
    // "amplifier off". A value is its number alone ("254"): the view puts it after its control code.
    QString line() const;
};

} // namespace telvar

Q_DECLARE_METATYPE(telvar::Utterance)
