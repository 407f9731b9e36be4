// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device/DeviceSequence.h"

#include <QCoro/QCoroTask>

namespace telvar {

// Resets the device's record of spoken words: "Clear last word" zeroes the spoken-word count
// (configuration bytes 6 and 7), "Clear Stored memory" erases the record.
class WordMemoryClearer : public DeviceSequence {
    Q_OBJECT
public:
    QString jobName() const override { return tr("clearing the word memory"); }

    explicit WordMemoryClearer(DeviceLink& link, QObject* parent = nullptr);

    QCoro::Task<SequenceOutcome> clearLastWord();
    QCoro::Task<SequenceOutcome> clearStoredMemory();

private:
    SequenceOutcome stopped(const QString& what, WaitResult result, const QString& step);
};

} // namespace telvar
