#pragma once

#include "device/DeviceSequence.h"

#include <QByteArray>
#include <QCoro/QCoroTask>

namespace telvar {

class Prompter;

// "Send Word List To RLD ": sends every word of mainw.txt, as it is on disk now, through the device to the
// external speech unit (model RLD or MVR). After "v" every report is one character for the unit; the
// device answers once per ten-character word, and 199 in reply byte 1 means the unit takes no more.
class UnitTransfer : public DeviceSequence {
    Q_OBJECT
public:
    QString jobName() const override { return tr("transferring the word list to the external unit"); }

    static constexpr int kFieldLength = 10;
    static constexpr quint8 kStopReply = 199;

    UnitTransfer(DeviceLink& link, Prompter& prompter, QString dataDir, QObject* parent = nullptr);

    static QString confirmationText();

    // A word as the unit receives it: cut or filled with blanks to ten bytes.
    static QByteArray wordField(const QByteArray& word);
    // The title bar while word number `counter` (from 1) is sent; the percentage counts 2048 words.
    static QString caption(const QByteArray& field, int counter);

    QCoro::Task<SequenceOutcome> run();

private:
    Prompter& m_prompter;
    QString m_dataDir;
};

} // namespace telvar
