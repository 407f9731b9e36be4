// SPDX-License-Identifier: GPL-3.0-or-later
#include "pronounce/SpeechAloud.h"

#include "pronounce/EspeakMarkup.h"
#include "pronounce/EspeakRenderer.h"
#include "pronounce/SpeechPlayer.h"

#include <QPointer>

#include <utility>

namespace telvar {

namespace {
// "\RESET": the chip starts every phrase from its defaults, so a phrase heard aloud starts there too.
constexpr char kResetCode = 31;
} // namespace

SpeechAloud::SpeechAloud(QObject* parent) : QObject(parent) {
    m_gap.setSingleShot(true);
    m_gap.setInterval(kPhraseGap);
    connect(&m_gap, &QTimer::timeout, this, &SpeechAloud::endPhrase);
}

void SpeechAloud::setEnabled(bool enabled) {
    m_enabled = enabled;
    if (!enabled) {
        m_gap.stop();
        m_gathering.clear();
        m_waiting.clear();
    }
}

void SpeechAloud::setAmplifier(bool on) {
    m_amplifier = on;
}

void SpeechAloud::setPhraseGap(std::chrono::milliseconds gap) {
    m_gap.setInterval(gap);
}

void SpeechAloud::hearCode(char code) {
    if (!m_enabled)
        return;
    if (code == kResetCode)
        endPhrase();
    m_gathering.append(code);
    m_gap.start();
}

void SpeechAloud::hearValue(char value) {
    if (!m_enabled)
        return;
    m_gathering.append(value);
    m_gap.start();
}

void SpeechAloud::hearPhrase(const QByteArray& codes) {
    if (!m_enabled)
        return;
    endPhrase();
    enqueue(codes);
}

void SpeechAloud::endPhrase() {
    m_gap.stop();
    if (!m_gathering.isEmpty())
        enqueue(std::exchange(m_gathering, {}));
}

bool SpeechAloud::isIdle() const {
    return !m_busy && m_waiting.isEmpty() && m_gathering.isEmpty();
}

void SpeechAloud::enqueue(const QByteArray& codes) {
    // A lone reset or a volume change says nothing: no use starting two programs for it.
    if (!m_amplifier || EspeakMarkup::fromCodes(codes).isEmpty()) {
        if (isIdle())
            Q_EMIT idle();
        return;
    }
    if (m_waiting.size() >= kMaxWaiting)
        m_waiting.removeFirst();
    m_waiting.append(codes);
    if (!m_busy)
        work();
}

QCoro::Task<> SpeechAloud::work() {
    QPointer<SpeechAloud> self(this);
    m_busy = true;
    while (!m_waiting.isEmpty()) {
        const QByteArray codes = m_waiting.takeFirst();
        const SpeechRendering rendering = co_await EspeakRenderer::render(codes);
        if (!self)
            co_return;
        if (!rendering.audio) {
            if (rendering.programMissing)
                giveUp(rendering.error);
            else
                say(rendering.error);
            continue;
        }
        if (SpeechPlayer::programPath().isEmpty()) {
            giveUp(SpeechPlayer::missingMessage());
            continue;
        }
        const QString problem = co_await SpeechPlayer::play(*rendering.audio);
        if (!self)
            co_return;
        if (problem.isEmpty())
            Q_EMIT played();
        else
            say(problem);
    }
    m_busy = false;
    if (isIdle())
        Q_EMIT idle();
}

QString SpeechAloud::say(const QString& problem) {
    const QString text = QStringLiteral("Speak aloud: ") + problem;
    if (!m_said.contains(text)) {
        m_said.insert(text);
        Q_EMIT notice(text);
    }
    return text;
}

void SpeechAloud::giveUp(const QString& problem) {
    m_waiting.clear();
    Q_EMIT unavailable(say(problem));
}

} // namespace telvar
