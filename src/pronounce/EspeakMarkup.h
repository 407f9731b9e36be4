// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>
#include <QString>

namespace telvar {

// A code string as espeak-ng's SSML input (for `espeak-ng -m`): runs of allophones become phoneme input
// ("[[h@l'oU]]"), pauses and delays become breaks, and the chip's volume, speed and pitch become prosody
// relative to the chip's defaults. Codes espeak-ng has no counterpart for (bend, fast, slow, soft, the
// port and phrase codes, sound effects) are left out, together with the value that follows them.
class EspeakMarkup {
public:
    static EspeakMarkup fromCodes(QByteArrayView codes);

    const QString& text() const { return m_text; }
    int phonemeCount() const { return m_phonemes; }
    int pauseMs() const { return m_pauseMs; }
    // Nothing would be heard and no time would pass.
    bool isEmpty() const { return m_phonemes == 0 && m_pauseMs == 0; }

private:
    QString m_text;
    int m_phonemes = 0;
    int m_pauseMs = 0;
};

} // namespace telvar
