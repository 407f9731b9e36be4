// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device/DeviceSequence.h"

#include <QCoro/QCoroTask>

namespace telvar {

// Device information for the About screen: "Z", then configuration bytes 0 to 6 with "C", each reply
// awaited. The text grows as the replies come (lines end in CR LF); a read that fails ends it with a line
// saying so and why.
class DeviceInformationRead : public DeviceSequence {
    Q_OBJECT
public:
    QString jobName() const override { return tr("reading the device information"); }

    using DeviceSequence::DeviceSequence;

    QCoro::Task<SequenceOutcome> run();
    const QString& text() const { return m_text; }

Q_SIGNALS:
    // The whole text so far.
    void textChanged(const QString& text);

private:
    void append(const QString& part);
    SequenceOutcome stopped(const QString& reason);

    QString m_text;
};

} // namespace telvar
