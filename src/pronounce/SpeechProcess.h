// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QCoro/QCoroTask>
#include <QString>
#include <QStringList>

#include <chrono>

namespace telvar {

// One run of a helper program (the speech synthesiser, an audio player) that the event loop keeps
// serving while it runs.
struct SpeechProcess {
    enum class End { Finished, NotStarted, TimedOut, Crashed };

    End end = End::NotStarted;
    int exitCode = -1;
    QByteArray output;
    QByteArray errors;

    bool succeeded() const { return end == End::Finished && exitCode == 0; }
    // The first line of what the program said on stderr, or how it ended.
    QString reason(const QString& program) const;

    // Runs `program` with `input` on its stdin; a run that outlasts `limit` is killed.
    static QCoro::Task<SpeechProcess> run(QString program, QStringList arguments, QByteArray input,
                                          std::chrono::milliseconds limit);
};

} // namespace telvar
