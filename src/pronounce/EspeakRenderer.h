// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "pronounce/WavAudio.h"

#include <QByteArray>
#include <QCoro/QCoroTask>
#include <QString>

#include <chrono>
#include <optional>

namespace telvar {

// What rendering a code string gave: the sound, or why there is none.
struct SpeechRendering {
    std::optional<WavAudio> audio;
    QString error;
    bool programMissing = false;
};

// Turns a code string into sound through the espeak-ng program. It is an approximation of the speech chip,
// good for trying words, not the chip's voice. The program is run, never linked; TELVAR_ESPEAK names it
// when it is not the espeak-ng on the PATH.
class EspeakRenderer {
public:
    static constexpr std::chrono::milliseconds kTimeLimit{20000};

    // The program to run, or empty when there is none.
    static QString programPath();
    static QString missingMessage();

    static QCoro::Task<SpeechRendering> render(QByteArray codes);
};

} // namespace telvar
