// SPDX-License-Identifier: GPL-3.0-or-later
#include "pronounce/SpeechProcess.h"

#include <QCoro/QCoroProcess>
#include <QFileInfo>
#include <QProcess>

namespace telvar {

namespace {
constexpr std::chrono::milliseconds kKillWait{2000};
} // namespace

QString SpeechProcess::reason(const QString& program) const {
    const QString name = QFileInfo(program).fileName();
    switch (end) {
    case End::NotStarted:
        return QStringLiteral("%1 could not be started").arg(name);
    case End::TimedOut:
        return QStringLiteral("%1 took too long and was stopped").arg(name);
    case End::Crashed:
        return QStringLiteral("%1 crashed").arg(name);
    case End::Finished:
        break;
    }
    const QString said = QString::fromLocal8Bit(errors).trimmed().section(u'\n', 0, 0).trimmed();
    if (said.isEmpty())
        return QStringLiteral("%1 failed (exit status %2)").arg(name).arg(exitCode);
    return QStringLiteral("%1: %2").arg(name, said);
}

QCoro::Task<SpeechProcess> SpeechProcess::run(QString program, QStringList arguments, QByteArray input,
                                              std::chrono::milliseconds limit) {
    SpeechProcess result;
    QProcess process;
    if (!co_await qCoro(process).start(program, arguments)) {
        co_return result;
    }
    process.write(input);
    process.closeWriteChannel();
    const bool finished = co_await qCoro(process).waitForFinished(limit);
    if (!finished) {
        process.kill();
        co_await qCoro(process).waitForFinished(kKillWait);
        result.end = End::TimedOut;
        co_return result;
    }
    result.end = process.exitStatus() == QProcess::NormalExit ? End::Finished : End::Crashed;
    result.exitCode = process.exitCode();
    result.output = process.readAllStandardOutput();
    result.errors = process.readAllStandardError();
    co_return result;
}

} // namespace telvar
