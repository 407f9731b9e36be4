// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/VirtualTelvar.h"

#include "device/Timings.h"
#include "vocab/SayWord.h"

#include <QTest>

using namespace telvar;
using telvar::test::VirtualTelvar;

class SayWordTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void sendsTheWordAddressLowByteFirst_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("low");
        QTest::addColumn<int>("high");
        QTest::newRow("0") << 0 << 0 << 0;
        QTest::newRow("31") << 31 << 248 << 0;
        QTest::newRow("32") << 32 << 0 << 1;
        QTest::newRow("2048") << 2048 << 0 << 64;
    }
    void sendsTheWordAddressLowByteFirst() {
        QFETCH(int, index);
        QFETCH(int, low);
        QFETCH(int, high);
        VirtualTelvar telvar;
        QVERIFY(telvar.attach());
        SayWord say(telvar.link);

        QVERIFY(QCoro::waitFor(say.run(index, false)).completed());

        QCOMPARE(telvar.sent.size(), 2);
        QCOMPARE(telvar.sent.at(0)[1], quint8('A'));
        QCOMPARE(telvar.sent.at(0)[2], quint8(low));
        QCOMPARE(telvar.sent.at(0)[3], quint8(high));
        QCOMPARE(telvar.sent.at(1)[1], quint8('S'));
        QTRY_COMPARE(telvar.device().speechLog().size(), 1);
        QCOMPARE(telvar.device().speechLog().first().address, 8 * index);
        QVERIFY(telvar.device().unitCommands().isEmpty());
    }

    void theUnitGetsTheWordNumberOneCharacterAReport() {
        VirtualTelvar telvar;
        QVERIFY(telvar.attach());
        SayWord say(telvar.link);
        QStringList statuses;
        connect(&say, &DeviceSequence::statusChanged, [&](const QString& text) { statuses << text; });

        QVERIFY(QCoro::waitFor(say.run(0, true)).completed());

        QCOMPARE(SayWord::unitCommand(123), QStringLiteral(" AA = 00123"));
        const QString command = QStringLiteral(" AA = 00000");
        QCOMPARE(statuses, QStringList{command});
        const auto characters = telvar.sentWith('!');
        QCOMPARE(characters.size(), command.size());
        for (int i = 0; i < command.size(); ++i)
            QCOMPARE(characters.at(i)[2], quint8(command.at(i).toLatin1()));
        QCOMPARE(telvar.device().unitCommands(), QStringList{command});
    }

    void noAddressReplyMeansNothingIsSpoken() {
        VirtualTelvar telvar;
        QVERIFY(telvar.attach());
        telvar.link.setDefaultReplyLimit(std::chrono::milliseconds(1000));
        FaultSet faults;
        faults.add(QStringLiteral("drop:A"));
        telvar.device().setFaults(faults);
        SayWord say(telvar.link);
        QString status;
        connect(&say, &DeviceSequence::statusChanged, [&](const QString& text) { status = text; });

        const SequenceOutcome outcome = QCoro::waitFor(say.run(5, true));

        QCOMPARE(outcome.status, SequenceOutcome::Status::Failed);
        QCOMPARE(status, QStringLiteral("Say Word 5 failed: no reply to \"A\" 40 0"));
        QCOMPARE(telvar.sent.size(), 1);
        QVERIFY(!telvar.link.sequenceRunning());
    }
};

QTEST_GUILESS_MAIN(SayWordTest)
#include "SayWordTest.moc"
