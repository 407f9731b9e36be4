// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/AutoTune.h"

#include "device/Commands.h"
#include "device/Timings.h"
#include "settings/SensitivitySave.h"

namespace telvar {

QCoro::Task<SequenceOutcome> AutoTune::run(bool saveWhenDone) {
    auto device = acquire();
    if (!device)
        co_return busy();
    Q_EMIT begun();
    Q_EMIT progressChanged(0, AutoTuneTally::kPasses);
    AutoTuneTally tally;
    m_sampling = true;
    for (int pass = 1; pass <= AutoTuneTally::kPasses; ++pass) {
        setStatus(QStringLiteral("send"));
        WaitResult result = co_await device->request(Command::ReadSensor);
        if (result.ok()) {
            const int sample = AutoTuneTally::sample(ReplyReport(device->input()));
            tally.add(sample);
            Q_EMIT sampleTaken(pass, sample);
            device->setPausePeriod(Timings::kSettingsPause);
            result = co_await device->hold();
        }
        if (!result.ok()) {
            m_sampling = false;
            co_return fail(
                QStringLiteral("Auto tune stopped at pass %1: %2").arg(pass).arg(describe(result)));
        }
        Q_EMIT progressChanged(pass, AutoTuneTally::kPasses);
    }
    m_sampling = false;

    const AutoTuneSuggestion suggestion = tally.suggestion();
    Q_EMIT suggested(suggestion);
    if (!saveWhenDone)
        co_return SequenceOutcome::done();
    Q_EMIT saving(suggestion);
    QString step;
    const WaitResult saved =
        co_await SensitivitySave::write(*device, suggestion.gain, suggestion.offset, step);
    if (!saved.ok())
        co_return fail(SensitivitySave::failureText(step, saved));
    co_return SequenceOutcome::done();
}

} // namespace telvar
