// SPDX-License-Identifier: GPL-3.0-or-later
#include "pronounce/SpeechPlayer.h"

#include "pronounce/SpeechProcess.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace telvar {

namespace {

const QStringList& knownPlayers() {
    static const QStringList players{QStringLiteral("pw-play"), QStringLiteral("paplay"),
                                     QStringLiteral("aplay")};
    return players;
}

} // namespace

QString SpeechPlayer::programPath() {
    const QString chosen = qEnvironmentVariable("TELVAR_PLAYER");
    if (!chosen.isEmpty()) {
        const QFileInfo info(chosen);
        if (info.isAbsolute())
            return info.isExecutable() && info.isFile() ? chosen : QString();
        return QStandardPaths::findExecutable(chosen);
    }
    for (const QString& player : knownPlayers()) {
        if (QString path = QStandardPaths::findExecutable(player); !path.isEmpty())
            return path;
    }
    return {};
}

QString SpeechPlayer::missingMessage() {
    return QStringLiteral("no audio player found (install pipewire, pulseaudio-utils or alsa-utils)");
}

QCoro::Task<QString> SpeechPlayer::play(WavAudio audio) {
    const QString program = programPath();
    if (program.isEmpty())
        co_return missingMessage();
    QTemporaryFile file(QDir::tempPath() + QStringLiteral("/telvar-speech-XXXXXX.wav"));
    if (!file.open() || file.write(audio.toBytes()) != WavAudio::kHeaderSize + audio.samples().size() ||
        !file.flush())
        co_return QStringLiteral("cannot write a temporary sound file: %1").arg(file.errorString());
    QStringList arguments{file.fileName()};
    if (QFileInfo(program).fileName() == QLatin1String("aplay"))
        arguments.prepend(QStringLiteral("-q"));
    const SpeechProcess run = co_await SpeechProcess::run(
        program, arguments, {}, std::chrono::milliseconds(audio.durationMs()) + kSpareTime);
    co_return run.succeeded() ? QString() : run.reason(program);
}

} // namespace telvar
