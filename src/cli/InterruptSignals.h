// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include <memory>

namespace telvar::cli {

// SIGINT and SIGTERM, delivered to the event loop: `received` is emitted there with the signal number. A
// blocking read of a confirmation is interrupted too, so the verb sees a refusal and can end. One instance
// per process.
class InterruptSignals : public QObject {
    Q_OBJECT
public:
    explicit InterruptSignals(QObject* parent = nullptr);
    ~InterruptSignals() override;

    // The first signal received, 0 until then; safe to ask at any time.
    static int received();

Q_SIGNALS:
    void interrupted(int signalNumber);

private:
    struct Watch;
    std::unique_ptr<Watch> m_watch;
};

} // namespace telvar::cli
