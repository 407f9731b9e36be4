// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device/DeviceSequence.h"

#include <QCoro/QCoroTask>

namespace telvar {

class Spinner;
class Vocabulary;

// Reads the device's record of spoken words back as lines of the result box `Text27`. Entry k of the
// record lies at address 16 k and holds 8 x the word index of a spoken word.
class WordMemoryReader : public DeviceSequence {
    Q_OBJECT
public:
    QString jobName() const override { return tr("reading the word memory"); }

    static constexpr int kMemoryEntries = 476; // "Read all words in Memory": entries 475 down to 0
    // Addresses are sent in two bytes, so entry 4095 (address 65520) is the last one that can be read.
    static constexpr int kLastAddressableEntry = 4095;

    WordMemoryReader(DeviceLink& link, const Vocabulary& vocabulary, Spinner& spinner,
                     QObject* parent = nullptr);

    // "Read Words Spoken": the count from configuration bytes 6 and 7, then entries count .. 0, newest
    // first, one pause of the shared pause timer after each.
    QCoro::Task<SequenceOutcome> readWordsSpoken();
    // "Read all words in Memory": entries 475 .. 0, a line only for those that name a word.
    QCoro::Task<SequenceOutcome> readAllWords();

Q_SIGNALS:
    // `begun` empties the result box; each line follows.
    void lineAdded(const QString& line);
    // An entry named word `index` of List3; the word browser selects it, without speaking.
    void wordSelected(int index);
    // The read stopped before its last entry (an unplug, a missing reply, a cancel): the lines so far
    // are not the whole record.
    void interrupted(const QString& reason);

private:
    QCoro::Task<WaitResult> readEntry(Sequence& device, int entry, std::optional<QString>& word);
    // End a read with the reason in the title bar: at an entry, or at one of the count's two bytes.
    SequenceOutcome stopped(int entry, WaitResult result);
    SequenceOutcome countNotRead(quint8 configByte, WaitResult result);

    const Vocabulary& m_vocabulary;
    Spinner& m_spinner;
};

} // namespace telvar
