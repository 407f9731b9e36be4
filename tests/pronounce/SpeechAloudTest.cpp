// SPDX-License-Identifier: GPL-3.0-or-later
#include "pronounce/SpeechAloud.h"
#include "editor/MnemonicConversion.h"
#include "editor/PhoneticCodes.h"
#include "pronounce/WavAudio.h"
#include "support/FakePlayer.h"

#include <QSignalSpy>
#include <QTest>

using telvar::MnemonicsToCodes;
using telvar::SpeechAloud;
using telvar::WavAudio;
using telvar::test::FakePlayer;

namespace {

constexpr int kWaitMs = 60000; // a loaded machine may be slow to start espeak-ng; nothing here relies on it

QByteArray codesOf(const char* mnemonics) {
    return MnemonicsToCodes(QString::fromLatin1(mnemonics));
}

qint64 samplesIn(const QByteArray& wave) {
    const std::optional<WavAudio> audio = WavAudio::parse(wave, nullptr);
    return audio ? audio->sampleCount() : -1;
}

} // namespace

class SpeechAloudTest : public QObject {
    Q_OBJECT

    FakePlayer m_player;

private Q_SLOTS:
    void init() {
        m_player.clear();
        qputenv("TELVAR_PLAYER", m_player.recorderPath().toLocal8Bit());
        qunsetenv("TELVAR_ESPEAK");
    }

    void codesSentOneByOneArePlayedAsPhrases() {
        if (!FakePlayer::haveEspeak())
            QSKIP("espeak-ng is not installed");
        SpeechAloud speech;
        speech.setEnabled(true);
        speech.setPhraseGap(std::chrono::milliseconds(20));
        QSignalSpy idle(&speech, &SpeechAloud::idle);
        // The editor's way: the reset code, then each code; the next reset begins the next phrase, which
        // ends when nothing more comes.
        for (const QByteArray& phrase :
             {codesOf("\\HE \\EH \\LO \\OWWW \\P2 \\HE \\EH \\LO \\OWWW"), codesOf("\\IY")}) {
            speech.hearCode(telvar::kResetCode);
            for (const char code : phrase)
                speech.hearCode(code);
        }
        QVERIFY(!speech.isIdle());
        QVERIFY(idle.wait(kWaitMs));
        QVERIFY(speech.isIdle());
        QCOMPARE(m_player.played().size(), 2);
        const qint64 first = samplesIn(m_player.playedBytes(0));
        const qint64 second = samplesIn(m_player.playedBytes(1));
        QVERIFY(second > 0);
        QVERIFY(first > second);
    }

    void nothingIsPlayedWhenOffSilentOrMuted() {
        SpeechAloud speech;
        QSignalSpy idle(&speech, &SpeechAloud::idle);
        speech.hearPhrase(codesOf("\\HE \\EH"));
        speech.hearCode(telvar::kResetCode);
        QVERIFY(speech.isIdle());

        // Phrases that say nothing, and any phrase while the amplifier is off, start no program at all.
        speech.setEnabled(true);
        speech.hearPhrase(codesOf("\\RESET \\VOLUME \\50 \\R3"));
        speech.setAmplifier(false);
        speech.hearPhrase(codesOf("\\HE \\EH"));
        QVERIFY(speech.isIdle());
        QCOMPARE(idle.size(), 2);

        // Switching off drops what is still being gathered.
        speech.setAmplifier(true);
        speech.hearCode(char(128));
        speech.setEnabled(false);
        QVERIFY(speech.isIdle());
        QCOMPARE(m_player.played().size(), 0);
    }

    void aChattyDeviceBuildsNoBacklog() {
        if (!FakePlayer::haveEspeak())
            QSKIP("espeak-ng is not installed");
        SpeechAloud speech;
        speech.setEnabled(true);
        QSignalSpy idle(&speech, &SpeechAloud::idle);
        // The first phrase starts at once; of the nine that come while it is rendered, the newest few wait.
        for (int i = 0; i < 10; ++i)
            speech.hearPhrase(QByteArray(1, char(128 + i)));
        QVERIFY(idle.wait(kWaitMs));
        QCOMPARE(m_player.played().size(), 1 + SpeechAloud::kMaxWaiting);
    }

    void aMissingProgramIsOneNotice() {
        SpeechAloud speech;
        speech.setEnabled(true);
        QSignalSpy notices(&speech, &SpeechAloud::notice);
        QSignalSpy idle(&speech, &SpeechAloud::idle);
        qputenv("TELVAR_ESPEAK", "/nonexistent/espeak-ng");
        for (int round = 0; round < 2; ++round) {
            speech.hearPhrase(codesOf("\\HE \\EH"));
            speech.hearPhrase(codesOf("\\LO \\OW"));
            QTRY_VERIFY_WITH_TIMEOUT(speech.isIdle(), kWaitMs);
        }
        QCOMPARE(notices.size(), 1);
        QCOMPARE(notices.first().first().toString(),
                 QStringLiteral("Speak aloud: espeak-ng is not installed; install the espeak-ng package"));

        if (!FakePlayer::haveEspeak())
            QSKIP("espeak-ng is not installed, so the player is never reached");
        qunsetenv("TELVAR_ESPEAK");
        qputenv("TELVAR_PLAYER", "/nonexistent/player");
        speech.hearPhrase(codesOf("\\HE \\EH"));
        QVERIFY(idle.wait(kWaitMs));
        speech.hearPhrase(codesOf("\\HE \\EH"));
        QVERIFY(idle.wait(kWaitMs));
        QCOMPARE(notices.size(), 2);
        QVERIFY(notices.last().first().toString().startsWith(
            QStringLiteral("Speak aloud: no audio player found")));

        // A player without an audio device: what it said, once.
        qputenv("TELVAR_PLAYER", m_player.failingPath().toLocal8Bit());
        speech.hearPhrase(codesOf("\\HE \\EH"));
        QVERIFY(idle.wait(kWaitMs));
        speech.hearPhrase(codesOf("\\HE \\EH"));
        QVERIFY(idle.wait(kWaitMs));
        QCOMPARE(notices.size(), 3);
        QCOMPARE(notices.last().first().toString(),
                 QStringLiteral("Speak aloud: failing.sh: no sound card here"));
    }
};

QTEST_GUILESS_MAIN(SpeechAloudTest)
#include "SpeechAloudTest.moc"
