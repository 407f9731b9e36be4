#include "app/VirtualDeviceControls.h"
#include "WindowRig.h"
#include "pronounce/SpeechAloud.h"
#include "support/FakePlayer.h"

#include <QCheckBox>
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
