// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliContext.h"
#include "cli/Verb.h"
#include "editor/Dictionary.h"
#include "editor/MnemonicConversion.h"
#include "editor/PhraseExpansion.h"
#include "pronounce/EspeakMarkup.h"
#include "pronounce/EspeakRenderer.h"

namespace telvar::cli {

namespace {

const QString kRender = QStringLiteral("render");

struct RenderArguments {
    QString text;
    QString output;
    QString error;
};

RenderArguments readArguments(const QStringList& arguments) {
    RenderArguments read;
    QStringList texts;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& word = arguments.at(i);
        if (word == QLatin1String("-o") || word == QLatin1String("--output")) {
            if (i + 1 >= arguments.size()) {
                read.error = QStringLiteral("%1 needs a file name").arg(word);
                return read;
            }
            read.output = arguments.at(++i);
        } else if (word.startsWith(QLatin1String("--output="))) {
            read.output = word.section(u'=', 1);
        } else {
            texts << word;
        }
    }
    if (texts.size() != 1)
        read.error = QStringLiteral("give one TEXT");
    else if (read.output.isEmpty())
        read.error = QStringLiteral("give the WAVE file to write with -o FILE");
    else
        read.text = texts.first();
    return read;
}

} // namespace

Verb renderVerb() {
    return {
        kRender,
        QStringLiteral("write typed text as a WAVE file, an approximation through espeak-ng"),
        QStringLiteral("Usage: telvarctl [--dict FILE] render TEXT -o FILE.wav\n"
                       "       telvarctl [--dict FILE] render TEXT -o - | aplay\n"
                       "Expands TEXT as 'telvarctl expand' shows it, turns it into SpeakJet codes and has\n"
                       "espeak-ng speak them into FILE.wav (16-bit mono). The sound is an approximation of\n"
                       "the speech chip, for trying words: it is espeak-ng's voice, not the chip's. Pauses\n"
                       "and delays keep their length; volume, speed and pitch codes change espeak-ng's\n"
                       "voice; bend, fast, slow, soft and the sound effects are left out. Needs espeak-ng\n"
                       "(the program, or the one TELVAR_ESPEAK names), no device.\n"
                       "FILE is replaced whole; '-' is standard output; a FIFO or a character device is\n"
                       "written into, never replaced.\n"),
        [](CliContext& context, QStringList arguments) -> QCoro::Task<int> {
            const RenderArguments read = readArguments(arguments);
            if (!read.error.isEmpty())
                co_return context.usageError(kRender, read.error);
            const std::optional<Dictionary> dictionary = context.readDictionary();
            if (!dictionary)
                co_return kExitFailure;
            const QByteArray codes = MnemonicsToCodes(ExpandPhrase(read.text, *dictionary));
            if (EspeakMarkup::fromCodes(codes).isEmpty())
                co_return context.usageError(kRender, QStringLiteral("TEXT holds no sound to render"));
            const SpeechRendering rendering = co_await EspeakRenderer::render(codes);
            if (!rendering.audio)
                co_return context.fail(rendering.error);
            if (const QString error = rendering.audio->save(read.output); !error.isEmpty())
                co_return context.fail(error);
            // On standard output the sound is the result; a line after it would end up in the sound.
            if (read.output != QLatin1String("-"))
                context.out() << read.output << ": " << rendering.audio->durationMs() << " ms" << Qt::endl;
            co_return kExitOk;
        },
    };
}

} // namespace telvar::cli
