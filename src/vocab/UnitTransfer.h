// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device/DeviceSequence.h"

#include <QByteArray>
#include <QCoro/QCoroTask>
#include <chrono>

namespace telvar {

class Prompter;

// "Send Word List To RLD ": sends every word of mainw.txt, as it is on disk now, through the device to the
// external speech unit (model RLD or MVR). After "v" every report is one character for the unit; the
// device answers once per ten-character word when the unit has taken it, about a second a word. Only
// 199 in reply byte 1 (the unit takes no more) stops the transfer; any other value goes on.
//
// The replies are paced by the unit, so their time limit is for a unit that has stopped answering. A
// stop, a cancel (once the current word is finished and answered) or the end of the file leaves the
// device alone long enough to leave transfer mode before anything else is sent.
class UnitTransfer : public DeviceSequence {
    Q_OBJECT
public:
    QString jobName() const override { return tr("transferring the word list to the external unit"); }

    static constexpr int kFieldLength = 10;
    static constexpr quint8 kMoreReply = 0;
    static constexpr quint8 kStopReply = 199;

    UnitTransfer(DeviceLink& link, Prompter& prompter, QString dataDir, QObject* parent = nullptr);

    static QString confirmationText();

    // A word as the unit receives it: cut or filled with blanks to ten bytes.
    static QByteArray wordField(const QByteArray& word);
    // The title bar while word number `counter` (from 1) is sent; the percentage counts 2048 words.
    static QString caption(const QByteArray& field, int counter);

    QCoro::Task<SequenceOutcome> run();

private:
    // Ends a transfer that stopped after "v" went out at word `counter` (0: at "v"), when the unit had
    // answered `held` words: the device is left alone to leave transfer mode, the user hears why and how
    // much of the list the unit may hold.
    QCoro::Task<SequenceOutcome> stopped(Sequence& device, int counter, QByteArray field, WaitResult result,
                                         std::chrono::milliseconds limit, int held);

    Prompter& m_prompter;
    QString m_dataDir;
};

} // namespace telvar
