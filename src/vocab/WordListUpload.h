// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device/DeviceSequence.h"

#include <QCoro/QCoroTask>

#include <array>

namespace telvar {

class Prompter;
class Spinner;
class Vocabulary;

// "Re-Load Word List": writes the first eight codes of code rows 0..2054 into the device's word memory,
// row i at address 8 i. One "W" round trip and one data report per row, a pause of the upload's row
// period after each.
class WordListUpload : public DeviceSequence {
    Q_OBJECT
public:
    QString jobName() const override { return tr("uploading the word list"); }

    static constexpr int kRows = 2055;
    static constexpr int kBytesPerRow = 8;

    WordListUpload(DeviceLink& link, const Vocabulary& vocabulary, Prompter& prompter, Spinner& spinner,
                   QObject* parent = nullptr);

    // Words 0..2048: the ones Say Word and the readers reach on the device.
    static constexpr int kSpokenWords = 2049;

    // The question before an upload of a word list of `words` words; a short list is warned about, since
    // the rows past its end go to the device as zeros and erase the words it held there.
    static QString confirmationText(qsizetype words);

    // Asks, then uploads. The title bar follows the rows ("Loading " + spinner + row number) and ends
    // on "Upload Complete", or on the word at which a time-out, unplug or cancel stopped it; the outcome
    // then also says which words the device holds: a word counts once its data report went out.
    QCoro::Task<SequenceOutcome> run();

    // The data report for a row: elements 0..7 as bytes; an element outside 0..255 cannot be a byte, so
    // that position keeps what the previous report left there.
    static std::array<quint8, kBytesPerRow> rowBytes(const qint16* row, const std::array<quint8, 11>& output);

private:
    // The title bar's line for an upload that stopped at a word, whose data went out when rowLoaded.
    static QString stopText(const QString& word, bool rowLoaded, const QString& reason);
    // What the device holds of the word list after such a stop.
    static QString loadedText(int loaded);

    const Vocabulary& m_vocabulary;
    Prompter& m_prompter;
    Spinner& m_spinner;
};

} // namespace telvar
