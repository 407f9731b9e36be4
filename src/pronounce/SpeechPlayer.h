// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "pronounce/WavAudio.h"

#include <QCoro/QCoroTask>
#include <QString>
#include <QStringList>

#include <chrono>

namespace telvar {

// Plays sound through the system's own player (pw-play, paplay or aplay, the first one found), so nothing
// here holds an audio device open between phrases. TELVAR_PLAYER names another program; it is given the
// WAVE file as its one argument.
class SpeechPlayer {
public:
    // Beyond the sound's own length, how long a player may take to start and finish.
    static constexpr std::chrono::milliseconds kSpareTime{10000};

    // The player to run, or empty when there is none.
    static QString programPath();
    static QString missingMessage();

    // Plays the sound to its end. Returns why it could not, empty when it played.
    static QCoro::Task<QString> play(WavAudio audio);
};

} // namespace telvar
