// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowRig.h"

#include "device/DeviceLink.h"
#include "emulator/FaultSet.h"
#include "device/DeviceSequence.h"

#include <QCheckBox>
#include <QPushButton>
#include <QTest>

using namespace telvar;
using telvar::test::WindowRig;
using Report = WindowRig::Report;

namespace {

Report config(quint8 number, quint8 value, const Report& before) {
    Report report = before;
    report[0] = 0;
    report[1] = 'B';
    report[2] = number;
    report[3] = value;
    return report;
}

} // namespace

class ModesScreenTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void untickingAndTickingSendsTheWholeValue();
    void touchAndEnergySendTheSameReport();
    void aModeButtonCarriesTheLastArguments();
    void aWriteWithoutReplyPutsTheReasonInTheTitle();
    void aClickWhileAnotherCommandRunsIsUndone();

private:
    QCheckBox* box(int index) { return m_rig->find<QCheckBox>(QStringLiteral("modes_%1").arg(index)); }
    QPushButton* modeButton(const QString& caption) {
        for (auto* button : m_rig->window->findChildren<QPushButton*>()) {
            if (button->text() == caption)
                return button;
        }
        return nullptr;
    }
    // Starts the rig on the modes screen with the device attached.
    void start(std::chrono::milliseconds replyLimit = {});

    std::unique_ptr<WindowRig> m_rig;
};

void ModesScreenTest::init() {
    start();
}

void ModesScreenTest::cleanup() {
    m_rig.reset();
}

void ModesScreenTest::start(std::chrono::milliseconds replyLimit) {
    m_rig.reset();
    m_rig = std::make_unique<WindowRig>(test::WindowSetup().withReplyLimit(replyLimit));
    QVERIFY(m_rig->waitAttached());
    QTRY_VERIFY(m_rig->tabStrip()->isVisible());
    m_rig->clickTab(QStringLiteral("Telvar X"));
    QVERIFY(m_rig->frame(QStringLiteral("QNframe"))->isVisible());
}

void ModesScreenTest::untickingAndTickingSendsTheWholeValue() {
    QVERIFY(box(7)->isChecked());
    QVERIFY(!box(8)->isChecked());
    QVERIFY(!box(8)->isEnabled()); // the boxes of modes to come stay out of reach
    QTest::mouseClick(box(0), Qt::LeftButton);
    QVERIFY(m_rig->waitIdle());
    QCOMPARE(m_rig->fakePrompter->texts, QStringList{QStringLiteral("254")});
    QCOMPARE(m_rig->fakePrompter->titles, QStringList{QString()}); // the program's own title
    QCOMPARE(m_rig->titles.mid(m_rig->titles.size() - 2), (QStringList{"send  254", "send"}));
    QCOMPARE(m_rig->sent.size(), 2);
    QCOMPARE(m_rig->sent[0], config(14, 254, m_rig->sent[0]));
    QCOMPARE(m_rig->sent[1], config(15, 0, m_rig->sent[1]));
    QCOMPARE(m_rig->library.device().configByte(14), 254);

    QTest::mouseClick(box(0), Qt::LeftButton);
    QVERIFY(m_rig->waitIdle());
    QCOMPARE(m_rig->fakePrompter->texts.last(), QStringLiteral("255"));
    QCOMPARE(m_rig->sent.size(), 4);
    QCOMPARE(m_rig->sent[2], config(14, 255, m_rig->sent[2]));
    QCOMPARE(m_rig->library.device().configByte(14), 255);
    QCOMPARE(m_rig->library.device().configByte(15), 0);
}

void ModesScreenTest::touchAndEnergySendTheSameReport() {
    QCOMPARE(modeButton(QStringLiteral("Touch Mode"))->toolTip(),
             QStringLiteral("Click here to run  Touch   mode"));
    QCOMPARE(modeButton(QStringLiteral("Energy mode"))->toolTip(),
             QStringLiteral("Click here to run Energy Mode  \"EM Pump\""));
    QTest::mouseClick(modeButton(QStringLiteral("Touch Mode")), Qt::LeftButton);
    QTest::mouseClick(modeButton(QStringLiteral("Energy mode")), Qt::LeftButton);
    QCOMPARE(m_rig->sent.size(), 2);
    QCOMPARE(m_rig->sent[0][1], quint8('K'));
    QCOMPARE(m_rig->sent[0], m_rig->sent[1]);
    QTRY_COMPARE(m_rig->library.device().mode(), 'K');
}

void ModesScreenTest::aModeButtonCarriesTheLastArguments() {
    QTest::mouseClick(box(3), Qt::LeftButton); // ends with "B" 15, 0
    QVERIFY(m_rig->waitIdle());
    const QList<std::pair<QString, char>> buttons = {
        {"Dictionary Mode", 'G'},  {"Phonetic Mode", 'H'},       {" Reverse Phonetic Mode", 'I'},
        {"White Noise Mode", 'O'}, {"Say Last Words Said", 'X'}, {"Sync mode", 'F'},
    };
    for (const auto& [caption, letter] : buttons) {
        QPushButton* button = modeButton(caption);
        QVERIFY2(button, qPrintable(caption));
        QTest::mouseClick(button, Qt::LeftButton);
        Report expected = m_rig->sent[1];
        expected[1] = static_cast<quint8>(letter);
        QCOMPARE(m_rig->sent.last(), expected);
        QCOMPARE(m_rig->sent.last()[2], quint8(15));
    }
    QVERIFY(!m_rig->window->link().sequenceRunning());
}

void ModesScreenTest::aWriteWithoutReplyPutsTheReasonInTheTitle() {
    start(std::chrono::milliseconds(100));
    FaultSet faults;
    QVERIFY(faults.add(QStringLiteral("drop:B")).isEmpty());
    m_rig->library.device().setFaults(faults);

    QTest::mouseClick(box(1), Qt::LeftButton);
    QVERIFY(m_rig->waitIdle());
    QCOMPARE(m_rig->window->windowTitle(),
             QStringLiteral("Modes not saved: no reply to \"B\" 14"));
    QCOMPARE(m_rig->sent.size(), 1); // the second byte is not written after the first failed
    QVERIFY(!box(1)->isChecked());   // nothing is restored
}

void ModesScreenTest::aClickWhileAnotherCommandRunsIsUndone() {
    {
        // A job the user started keeps the boxes out of reach altogether...
        auto job = m_rig->window->link().begin();
        QVERIFY(job);
        QVERIFY(!box(2)->isEnabled());
    }
    QVERIFY(box(2)->isEnabled());
    // ...a session's reading holds the device only for a moment, so a click can meet it.
    auto other = m_rig->window->link().begin(DeviceLink::Role::Poll);
    QVERIFY(other);
    QTest::mouseClick(box(2), Qt::LeftButton);
    QTest::mouseClick(modeButton(QStringLiteral("Sync mode")), Qt::LeftButton);
    // The box with the value is shown before the device is asked for, so it never holds the device.
    QCOMPARE(m_rig->fakePrompter->texts, QStringList{QStringLiteral("251")});
    QTRY_VERIFY(box(2)->isChecked());
    QCOMPARE(m_rig->window->windowTitle(), DeviceLink::busyText());
    QVERIFY(m_rig->sent.isEmpty());
}

QTEST_MAIN(ModesScreenTest)
#include "ModesScreenTest.moc"
