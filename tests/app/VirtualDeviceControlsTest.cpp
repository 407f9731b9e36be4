// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/VirtualDeviceControls.h"
#include "WindowRig.h"
#include "pronounce/SpeechAloud.h"
#include "support/FakePlayer.h"

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSettings>
#include <QStandardPaths>

using telvar::VirtualDeviceControls;
using telvar::test::FakePlayer;
using telvar::test::WindowRig;

namespace {

QCheckBox* speakAloudCheck(const WindowRig& rig) {
    return rig.find<QCheckBox>(QStringLiteral("speakAloudCheck"));
}

// A "V" report as the word editor sends it: one code for the speech chip.
void sendCode(WindowRig& rig, quint8 code) {
    const std::array<quint8, 9> report{0, 'V', code, 0, 0, 0, 0, 0, 0};
    QVERIFY(rig.library.device().receive(report.data()));
}

} // namespace

// The simulate-mode speech dock's "Speak aloud" check; a fake player stands in for the sound card.
class VirtualDeviceControlsTest : public QObject {
    Q_OBJECT

    FakePlayer m_player;

private Q_SLOTS:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        qputenv("TELVAR_PLAYER", m_player.recorderPath().toLocal8Bit());
    }

    void init() {
        QSettings().clear();
        m_player.clear();
    }

    void speakAloudIsOffUntilChosenAndThenRemembered() {
        {
            WindowRig rig;
            new VirtualDeviceControls(rig.library, *rig.window);
            QCheckBox* check = speakAloudCheck(rig);
            QVERIFY(check);
            QVERIFY(!check->isChecked());
            check->click();
        }
        WindowRig rig;
        new VirtualDeviceControls(rig.library, *rig.window);
        QVERIFY(speakAloudCheck(rig)->isChecked());

        // Turned off again, it stays off; --speak-aloud turns it on for one run without changing that.
        speakAloudCheck(rig)->click();
        WindowRig withOption;
        new VirtualDeviceControls(withOption.library, *withOption.window, true);
        QVERIFY(speakAloudCheck(withOption)->isChecked());
        QCOMPARE(QSettings().value(QLatin1String(VirtualDeviceControls::kSpeakAloudKey)).toBool(), false);
    }

    // A control code that takes a value shows it on its own line as a number, never as a code.
    void valueBytesShowAsNumbersAfterTheirCode_data() {
        QTest::addColumn<QList<int>>("codes");
        QTest::addColumn<QString>("shown");
        QTest::newRow("Test Voice")
            << QList<int>{20, 120, 21, 114, 22, 254, 23, 15}
            << "code: \\VOLUME 120\ncode: \\SPEED 114\ncode: \\PITCH 254\ncode: \\BEND 15";
        QTest::newRow("a value of 31 is no reset")
            << QList<int>{22, 31, 31} << "code: \\PITCH 31\ncode: \\RESET";
        QTest::newRow("delay, then a sound") << QList<int>{30, 200, 128} << "code: \\DELAY 200\ncode: \\IY";
        QTest::newRow("codes without values") << QList<int>{15, 254} << "code: \\RELAX\ncode: \\M2";
    }
    void valueBytesShowAsNumbersAfterTheirCode() {
        QFETCH(QList<int>, codes);
        QFETCH(QString, shown);
        WindowRig rig;
        new VirtualDeviceControls(rig.library, *rig.window);
        auto* log = rig.find<QPlainTextEdit>(QStringLiteral("speechLog"));
        for (const int code : codes)
            sendCode(rig, static_cast<quint8>(code));
        QTRY_COMPARE(log->toPlainText(), shown);
    }

    // Without the programs it needs, speaking aloud cannot work: the box says so beside it and is cleared
    // for this run, without forgetting the user's choice.
    void aMissingProgramClearsSpeakAloudAndSaysWhy() {
        QSettings().setValue(QLatin1String(VirtualDeviceControls::kSpeakAloudKey), true);
        qputenv("TELVAR_ESPEAK", "/nonexistent/espeak-ng");
        WindowRig rig;
        new VirtualDeviceControls(rig.library, *rig.window);
        QVERIFY(speakAloudCheck(rig)->isChecked());
        for (const quint8 code : {31, 183, 131})
            sendCode(rig, code);
        QTRY_VERIFY(!speakAloudCheck(rig)->isChecked());
        qunsetenv("TELVAR_ESPEAK");
        auto* note = rig.find<QLabel>(QStringLiteral("speakAloudNote"));
        QVERIFY2(note->text().contains(QStringLiteral("espeak-ng is not installed")),
                 qPrintable(note->text()));
        QVERIFY(note->isEnabled());
        QCOMPARE(QSettings().value(QLatin1String(VirtualDeviceControls::kSpeakAloudKey)).toBool(), true);
    }

    void whatTheDeviceSaysIsPlayedOnlyWhileChecked() {
        if (!FakePlayer::haveEspeak())
            QSKIP("espeak-ng is not installed");
        WindowRig rig;
        // Something said before the controls exist is shown, never played.
        sendCode(rig, 31);
        sendCode(rig, 128);
        new VirtualDeviceControls(rig.library, *rig.window, true);
        auto* log = rig.find<QPlainTextEdit>(QStringLiteral("speechLog"));

        for (const quint8 code : {31, 183, 131, 146, 164})
            sendCode(rig, code);
        QTRY_COMPARE_WITH_TIMEOUT(m_player.played().size(), 1, 60000);
        QVERIFY(log->toPlainText().contains(QStringLiteral("code: \\OWWW")));
        // The player has copied the file but may not have exited yet: the phrase is done once it has.
        auto* aloud = rig.window->findChild<telvar::SpeechAloud*>();
        QTRY_VERIFY_WITH_TIMEOUT(aloud->isIdle(), 60000);

        speakAloudCheck(rig)->click();
        for (const quint8 code : {31, 183, 131})
            sendCode(rig, code);
        QTRY_VERIFY(log->toPlainText().endsWith(QStringLiteral("code: \\EH")));
        // Nothing is gathered that a quiet spell could turn into a phrase.
        QVERIFY(aloud->isIdle());
        QCOMPARE(m_player.played().size(), 1);
    }
};

QTEST_MAIN(VirtualDeviceControlsTest)
#include "VirtualDeviceControlsTest.moc"
