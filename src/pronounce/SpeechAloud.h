// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QCoro/QCoroTask>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>

#include <chrono>

namespace telvar {

// Makes what the virtual Telvar X says audible: each phrase is rendered by espeak-ng and played by the
// system's player, one after the other, without ever blocking the event loop. It is an approximation of
// the speech chip, for trying words, not the chip's voice.
//
// Words come whole; codes sent one at a time ("V") are gathered into a phrase that ends at the next reset
// code or after a short quiet spell. Problems (no espeak-ng, no player, no audio device) are one-line
// notices, each said once.
class SpeechAloud : public QObject {
    Q_OBJECT
public:
    // The editor sends a phrase's codes back to back; a gap this long ends the phrase.
    static constexpr std::chrono::milliseconds kPhraseGap{300};
    // Phrases that wait while one plays; when more come, the oldest waiting one is dropped, so a chatty
    // device never builds up minutes of backlog.
    static constexpr int kMaxWaiting = 4;

    explicit SpeechAloud(QObject* parent = nullptr);

    bool isEnabled() const { return m_enabled; }
    // Switching off drops what waits; a phrase already playing ends on its own.
    void setEnabled(bool enabled);
    // While the speaker amplifier is off nothing is heard.
    void setAmplifier(bool on);
    void setPhraseGap(std::chrono::milliseconds gap);

    void hearCode(char code);
    // The value byte of the control code heard before it: a value of 31 is no reset.
    void hearValue(char value);
    void hearPhrase(const QByteArray& codes);
    // Ends the phrase being gathered now instead of after the gap.
    void endPhrase();

    // Nothing is gathered, waiting, rendering or playing.
    bool isIdle() const;

Q_SIGNALS:
    void notice(const QString& text);
    // A program it needs (espeak-ng, an audio player) is missing, so nothing will be heard until it is
    // installed: given every time, where `notice` says a problem only once.
    void unavailable(const QString& text);
    // A phrase was handed to the player and played to its end.
    void played();
    // The last waiting phrase is done (played or not).
    void idle();

private:
    void enqueue(const QByteArray& codes);
    QCoro::Task<> work();
    // The problem as a notice, said once.
    QString say(const QString& problem);
    // What waits is dropped: every phrase would fail the same way.
    void giveUp(const QString& problem);

    bool m_enabled = false;
    bool m_amplifier = true;
    bool m_busy = false;
    QByteArray m_gathering;
    QList<QByteArray> m_waiting;
    QTimer m_gap;
    QSet<QString> m_said;
};

} // namespace telvar
