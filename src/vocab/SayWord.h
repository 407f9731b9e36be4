// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device/DeviceSequence.h"

#include <QCoro/QCoroTask>

namespace telvar {

// Has the device speak word n from its own word memory: "A" with the address 8 n, then "S"; with the
// external unit on, also the unit command " AA = " + five digits, one "!" report per character.
class SayWord : public DeviceSequence {
    Q_OBJECT
public:
    QString jobName() const override { return tr("saying a word"); }

    static constexpr int kMaxIndex = 2048;

    // How a failure names the word: by its index, or by the number the Word List screen shows (from 1).
    enum class Numbering { FromZero, FromOne };

    explicit SayWord(DeviceLink& link, Numbering numbering = Numbering::FromZero, QObject* parent = nullptr);

    // " AA = 00123" for word 123.
    static QString unitCommand(int index);

    // Word `index` is 0..kMaxIndex.
    QCoro::Task<SequenceOutcome> run(int index, bool sendToUnit);

private:
    Numbering m_numbering;
};

} // namespace telvar
