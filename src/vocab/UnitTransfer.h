// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device/DeviceSequence.h"

#include <QByteArray>
#include <QCoro/QCoroTask>

namespace telvar {

class Prompter;

// "Send Word List To RLD ": sends every word of mainw.txt, as it is on disk now, through the device to the
// external speech unit (model RLD or MVR). After "v" every report is one character for the unit; the
// device answers once per ten-character word with 0 in reply byte 1, or 199 when the unit takes no more.
//
// The device leaves transfer mode after its idle second without a report, and from then on takes the
// characters as commands ("Y" would clear its spoken-word record). So a reply that comes later than that,
// or that is neither 0 nor 199, stops the transfer before the next word; and however the transfer stops
// early, the device is left alone for its idle second before anything else is sent.
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
    // Ends a transfer that stopped after "v" went out: the device gets its idle second, the user hears
    // that the unit may hold part of the list.
    QCoro::Task<SequenceOutcome> stopped(Sequence& device, int counter, QByteArray field, QString reason);

    Prompter& m_prompter;
    QString m_dataDir;
};

} // namespace telvar
