// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/ChildWidget.h"
#include "support/FakePrompter.h"
#include "support/ScratchFolder.h"
#include "support/VirtualTelvar.h"

#include "editor/Dictionary.h"
#include "editor/frmPhrase.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace telvar;
using telvar::test::VirtualTelvar;

namespace {

using Report = VirtualDevice::Report;

QList<Report> speechReports(const QByteArray& codes) {
    QList<Report> reports;
    for (const char code : codes)
        reports << Report{0, 'V', static_cast<quint8>(code), 0, 0, 0, 0, 0, 0};
    return reports;
}

QByteArray spokenCodes(const VirtualDevice& device) {
    QByteArray codes;
    for (const Utterance& utterance : device.speechLog())
        codes += utterance.codes;
    return codes;
}

const QByteArray kHello("\x1f\xb7\x83\x92\x89"); // the reset code, then \HE \EH \LO \OW

} // namespace

// The word editor window offscreen, speaking through a link to the virtual device.
class WordEditorSpeechTest : public QObject, protected telvar::test::ScratchFolder {
    Q_OBJECT

    std::unique_ptr<VirtualTelvar> m_telvar;
    test::FakePrompter m_prompter;
    std::unique_ptr<QWidget> m_owner;
    QPointer<frmPhrase> m_editor;

    template <typename T> T* child(const char* name) const { return test::childOf<T>(m_editor, name); }

    QPushButton* sayButton() const { return child<QPushButton>("bntSayIt"); }

    // Types `text` into the Say Data bar and presses "Say ".
    void say(const QString& text) {
        child<QLineEdit>("txtSayData")->setText(text);
        QTest::mouseClick(sayButton(), Qt::LeftButton);
    }

    void setFault(const QString& spec) {
        FaultSet faults;
        QVERIFY(faults.add(spec).isEmpty());
        m_telvar->device().setFaults(faults);
    }

private Q_SLOTS:
    void init() {
        put("tempw.txt", "EAT\r\n");
        put("tempph.txt", "\x80\xBF"
                          "00000000\r\n");
        put(Dictionary::kFileName, "[Words]\nhello=\\HE \\EH \\LO \\OW\n");
        m_telvar = std::make_unique<VirtualTelvar>();
        m_owner = std::make_unique<QWidget>();
        m_editor = frmPhrase::showEditor(m_owner.get(), m_folder.path(), m_telvar->link, m_prompter);
    }

    void cleanup() {
        m_owner.reset();
        m_telvar.reset();
    }

    void sayAndRightClickSpeakOnTheDevice() {
        QVERIFY(m_telvar->attach());
        bool sayEnabledWhileSending = true;
        bool currentEnabledWhileSending = false;
        connect(&m_telvar->link, &DeviceLink::reportSent, m_editor, [&] {
            sayEnabledWhileSending = sayEnabledWhileSending && sayButton()->isEnabled();
            currentEnabledWhileSending = child<QPushButton>("currentButton")->isEnabled();
        });

        say(QStringLiteral("hello"));
        QVERIFY(!sayEnabledWhileSending);
        QVERIFY(currentEnabledWhileSending);
        QVERIFY(sayButton()->isEnabled());
        QCOMPARE(m_editor->status(), QString());

        QTest::mouseClick(child<QLabel>("allophoneRR"), Qt::RightButton);
        QCOMPARE(m_telvar->device().receivedReports(), speechReports(kHello + "\x1f\x94"));
        QCOMPARE(spokenCodes(m_telvar->device()), kHello + "\x1f\x94");
    }

    void aClickWhileSendingIsRefused() {
        QVERIFY(m_telvar->attach());
        QTest::mouseClick(child<QLabel>("allophoneIY"), Qt::LeftButton);
        // "Current" and a right click come while "Say " is between its reports.
        connect(&m_telvar->link, &DeviceLink::reportSent, m_editor, [this] {
            if (m_telvar->sent.size() != 2)
                return;
            QTest::mouseClick(child<QPushButton>("currentButton"), Qt::LeftButton);
            QTest::mouseClick(child<QLabel>("allophoneRR"), Qt::RightButton);
        });

        say(QStringLiteral("hello"));

        QCOMPARE(m_telvar->device().receivedReports(), speechReports(kHello));
        QCOMPARE(m_editor->status(), DeviceLink::busyText());
        QVERIFY(sayButton()->isEnabled());
    }

    void withoutADeviceNothingIsSentAndItSaysSo() {
        say(QStringLiteral("hello"));
        QCOMPARE(m_editor->status(), QStringLiteral("Nothing spoken: ") + describe(WaitResult::Unplugged));
        QVERIFY(sayButton()->isEnabled());
        QVERIFY(m_telvar->device().receivedReports().isEmpty());

        // Once the device is there, the next phrase goes out and the old complaint goes.
        QVERIFY(m_telvar->attach());
        say(QStringLiteral("hello"));
        QCOMPARE(m_editor->status(), QString());
        QCOMPARE(m_telvar->device().receivedReports(), speechReports(kHello));
    }

    void aDeviceLostPartWayStopsTheSend_data() {
        QTest::addColumn<QString>("fault");
        QTest::newRow("unplugged") << QStringLiteral("unplug-after:2");
        QTest::newRow("write refused") << QStringLiteral("refuse-after:2");
    }
    void aDeviceLostPartWayStopsTheSend() {
        QFETCH(QString, fault);
        QVERIFY(m_telvar->attach());
        setFault(fault);

        say(QStringLiteral("hello"));

        QVERIFY2(m_editor->status().startsWith(QStringLiteral("Speaking stopped after 2 of 5 codes")),
                 qPrintable(m_editor->status()));
        QVERIFY(sayButton()->isEnabled());
        QVERIFY(!m_telvar->link.sequenceRunning());
        QCOMPARE(m_telvar->device().receivedReports(), speechReports(kHello.left(2)));
    }
};

QTEST_MAIN(WordEditorSpeechTest)
#include "WordEditorSpeechTest.moc"
