// SPDX-License-Identifier: GPL-3.0-or-later
#include "pronounce/EspeakMarkup.h"

#include "pronounce/ControlCodes.h"
#include "pronounce/EspeakPhonemes.h"
#include "pronounce/PhonemeRun.h"

#include <QStringList>

#include <algorithm>
#include <array>

namespace telvar {

namespace {

using namespace ControlCodes;

// \P0 to \P6 in milliseconds, as the chip times them.
constexpr std::array<int, kLastPause + 1> kPauseMs{0, 100, 200, 700, 30, 60, 90};
constexpr int kDelayUnitMs = 10;

// espeak-ng (1.51) takes at most 236 phonemes in one run of phoneme input: a longer run comes out silent
// or crashes it. A code gives at most three (a stress mark and two phonemes, as in \IYUW or \TS), so a
// run of 78 codes always fits; longer runs are cut into words of this many codes, which espeak-ng speaks
// on without a gap, however many follow one another.
constexpr int kMaxCodesPerRun = 64;

// The chip's values after a reset; prosody is given relative to them.
constexpr int kDefaultVolume = 96;
constexpr int kDefaultSpeed = 114;
constexpr int kDefaultPitch = 88;

struct Prosody {
    int volume = kDefaultVolume;
    int speed = kDefaultSpeed;
    int pitch = kDefaultPitch;

    bool operator==(const Prosody&) const = default;

    // espeak-ng takes "N%" as a factor of its own default; a factor of 0 would stall it or silence it, so
    // the chip's extremes are kept within what espeak-ng still speaks.
    QString attributes() const {
        const auto percent = [](int value, int reference, int low, int high) {
            return QStringLiteral("%1%").arg(std::clamp(value * 100 / reference, low, high));
        };
        return QStringLiteral("volume=\"%1\" rate=\"%2\" pitch=\"%3\"")
            .arg(percent(volume, kDefaultVolume, 0, 200), percent(speed, kDefaultSpeed, 20, 300),
                 percent(pitch, kDefaultPitch, 10, 300));
    }
};

// espeak-ng reads SSML tags reliably only when blanks stand between them and the phoneme input.
class Writer {
public:
    void phoneme(int code, bool stressed) {
        if (m_run.size() == kMaxCodesPerRun)
            endRun();
        m_run.add(code, stressed);
    }

    void pause(int ms) {
        if (ms <= 0)
            return;
        endRun();
        m_parts << QStringLiteral("<break time=\"%1ms\"/>").arg(ms);
    }

    void setProsody(const Prosody& prosody) {
        if (prosody == m_prosody)
            return;
        endRun();
        closeProsody();
        m_prosody = prosody;
        if (!(m_prosody == Prosody{})) {
            m_parts << QStringLiteral("<prosody %1>").arg(m_prosody.attributes());
            m_open = true;
        }
    }

    QString finish() {
        endRun();
        closeProsody();
        return QStringLiteral("<speak> %1 </speak>").arg(m_parts.join(u' '));
    }

private:
    void endRun() {
        if (m_run.isEmpty())
            return;
        m_parts << QStringLiteral("[[%1]]").arg(m_run.text());
        m_run = PhonemeRun();
    }

    void closeProsody() {
        if (m_open)
            m_parts << QStringLiteral("</prosody>");
        m_open = false;
    }

    QStringList m_parts;
    PhonemeRun m_run;
    Prosody m_prosody;
    bool m_open = false;
};

} // namespace

EspeakMarkup EspeakMarkup::fromCodes(QByteArrayView codes) {
    EspeakMarkup markup;
    Writer writer;
    Prosody prosody;
    bool stressNext = false;
    int repeatNext = 1;
    for (qsizetype i = 0; i < codes.size(); ++i) {
        const int code = static_cast<quint8>(codes[i]);
        if (takesValue(code)) {
            // A value code at the very end has no value: the chip would wait for it, we drop it.
            if (i + 1 >= codes.size())
                break;
            const int value = static_cast<quint8>(codes[++i]);
            switch (code) {
            case kVolume:
                prosody.volume = value;
                break;
            case kSpeed:
                prosody.speed = value;
                break;
            case kPitch:
                prosody.pitch = value;
                break;
            case kRepeat:
                repeatNext = std::max(value, 1);
                break;
            case kDelay:
                writer.pause(value * kDelayUnitMs);
                markup.m_pauseMs += value * kDelayUnitMs;
                break;
            default:
                break;
            }
            continue;
        }
        if (code <= kLastPause) {
            writer.pause(kPauseMs[code]);
            markup.m_pauseMs += kPauseMs[code];
        } else if (code == kStress) {
            stressNext = true;
        } else if (code == kReset) {
            prosody = Prosody{};
            stressNext = false;
            repeatNext = 1;
        } else if (code >= kFirstAllophone && code <= kLastAllophone) {
            writer.setProsody(prosody);
            for (int n = 0; n < repeatNext; ++n) {
                writer.phoneme(code, stressNext);
                ++markup.m_phonemes;
            }
            stressNext = false;
            repeatNext = 1;
        }
    }
    markup.m_text = writer.finish();
    return markup;
}

} // namespace telvar
