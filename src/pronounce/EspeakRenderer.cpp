// SPDX-License-Identifier: GPL-3.0-or-later
#include "pronounce/EspeakRenderer.h"

#include "pronounce/EspeakMarkup.h"
#include "pronounce/SpeechProcess.h"

#include <QFileInfo>
#include <QStandardPaths>

namespace telvar {

QString EspeakRenderer::programPath() {
    const QString chosen = qEnvironmentVariable("TELVAR_ESPEAK");
    if (!chosen.isEmpty()) {
        const QFileInfo info(chosen);
        if (info.isAbsolute())
            return info.isExecutable() && info.isFile() ? chosen : QString();
        return QStandardPaths::findExecutable(chosen);
    }
    return QStandardPaths::findExecutable(QStringLiteral("espeak-ng"));
}

QString EspeakRenderer::missingMessage() {
    return QStringLiteral("espeak-ng is not installed; install the espeak-ng package");
}

QCoro::Task<SpeechRendering> EspeakRenderer::render(QByteArray codes) {
    SpeechRendering rendering;
    const QString program = programPath();
    if (program.isEmpty()) {
        rendering.programMissing = true;
        rendering.error = missingMessage();
        co_return rendering;
    }
    const EspeakMarkup markup = EspeakMarkup::fromCodes(codes);
    // The markup comes on stdin, so a long phrase meets no limit of the command line; the sound is read
    // from stdout, so nothing is left behind in a temporary file. The chip speaks American English, so
    // the American voice: its R is spoken, and its vowels are the ones the allophones name.
    const QStringList arguments{QStringLiteral("-v"), QStringLiteral("en-us"), QStringLiteral("-m"),
                                QStringLiteral("--stdout"), QStringLiteral("--stdin")};
    const SpeechProcess run =
        co_await SpeechProcess::run(program, arguments, markup.text().toUtf8(), kTimeLimit);
    if (!run.succeeded()) {
        if (run.end == SpeechProcess::End::NotStarted) {
            rendering.programMissing = true;
            rendering.error = missingMessage();
        } else {
            rendering.error = run.reason(program);
        }
        co_return rendering;
    }
    QString why;
    rendering.audio = WavAudio::parse(run.output, &why);
    if (!rendering.audio)
        rendering.error = QStringLiteral("espeak-ng gave no usable sound: %1").arg(why);
    co_return rendering;
}

} // namespace telvar
