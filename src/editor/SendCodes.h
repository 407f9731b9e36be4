// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device/DeviceSequence.h"

#include <QByteArray>
#include <QCoro/QCoroTask>

namespace telvar {

// Speaks a code string on the device: one "V" report per code, straight to the speech chip. Each report
// is the editor's own (byte 2 the code, every later byte 0), whatever an earlier command left in the
// link's buffer. Nothing is answered, so a report that goes out is all there is to check; a device that
// is not there, leaves part way or refuses a report ends the run with a reason.
class SendCodes : public DeviceSequence {
    Q_OBJECT
public:
    QString jobName() const override { return tr("speaking the editor's codes"); }

    using DeviceSequence::DeviceSequence;

    // Blanks (code 32) at either end of `codes` are not sent.
    QCoro::Task<SequenceOutcome> run(QByteArray codes);
};

} // namespace telvar
