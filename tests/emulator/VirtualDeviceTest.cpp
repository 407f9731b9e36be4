// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReplyCollector.h"

#include "emulator/VirtualDevice.h"
#include "vocab/BuiltinVocabulary.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

using namespace telvar;
using telvar::test::ReplyCollector;
using telvar::test::sendReport;

class VirtualDeviceTest : public QObject {
    Q_OBJECT

private:
    // Replies keep the order of their commands, so once a trailing "Z" is answered every earlier reply has
    // come too: this is how a test sees that a command got no reply without waiting for wall-clock time.
    static QList<QByteArray> repliesUpToVersion(VirtualDevice& device, ReplyCollector& collector) {
        const qsizetype before = collector.replies.size();
        sendReport(device, {'Z'});
        const auto isVersion = [](const QByteArray& reply) {
            return reply.mid(1, 6) == QByteArray("Z1.23A");
        };
        if (!QTest::qWaitFor(
                [&] { return collector.replies.size() > before && isVersion(collector.replies.last()); }))
            return {};
        return collector.replies.mid(before, collector.replies.size() - before - 1);
    }

    static quint16 entry(const QByteArray& reply) { return quint8(reply[1]) + 256 * quint8(reply[2]); }

private Q_SLOTS:
    void factoryStateHoldsTheBuiltinVocabularyAndSettings() {
        VirtualDevice device;
        const auto& rows = builtin::codeRows();
        for (int row : {0, 77, 2047, 2054}) { // 77 has ten codes: the first eight are kept
            for (int i = 0; i < 8; ++i)
                QCOMPARE(quint8(device.wordMemory(row * 8, 8)[i]), quint8(rows[row * 10 + i]));
        }
        QCOMPARE(device.wordMemory(2048 * 8, 8), QByteArray(8, 48));
        QVERIFY(device.state().wordMemory.size() >= 2060 * 8);

        const auto config = device.state().config;
        QCOMPARE(QList<int>(config.begin(), config.begin() + 8), QList<int>({4, 173, 127, 103, 89, 5, 0, 0}));
        QCOMPARE(config[14] + 256 * config[15], 255);
        QVERIFY(config[12] + 256 * config[13] >= 4 && config[12] + 256 * config[13] <= 1000);
        QCOMPARE(device.readRecord(0), quint16(0xFFFF));
    }

    void addressThenWritesFillWordMemoryEightBytesAtATime() {
        VirtualDevice device;
        ReplyCollector collector(device);
        sendReport(device, {'A', 0x10, 0x01}); // 272
        sendReport(device, {'W'});
        sendReport(device, {1, 2, 3, 4, 5, 6, 7, 8});
        sendReport(device, {'W'});
        sendReport(device, {'A', 'B', 'C', 'D', 'S', 'W', 'Y', 'Z'}); // data, not commands
        const QList<QByteArray> replies = repliesUpToVersion(device, collector);

        QCOMPARE(device.wordMemory(272, 16), QByteArray("\x01\x02\x03\x04\x05\x06\x07\x08"
                                                        "ABCDSWYZ"));
        QCOMPARE(device.address(), quint16(288));
        QCOMPARE(replies.size(), 3); // "A", "W", "W"; the data reports get none
        QCOMPARE(replies[1], QByteArray("\0W\0\0\0\0\0\0\0", 9));

        // A write past the end of the memory is lost, not grown into.
        const qsizetype size = device.state().wordMemory.size();
        sendReport(device, {'A', int((size - 4) % 256), int((size - 4) / 256)});
        sendReport(device, {'W'});
        sendReport(device, {9, 9, 9, 9, 9, 9, 9, 9});
        QCOMPARE(device.state().wordMemory.size(), size);
        QCOMPARE(device.wordMemory(size - 4, 4), QByteArray(4, 9));
    }

    void configurationBytesAreWrittenAndReadBack() {
        VirtualDevice device;
        ReplyCollector collector(device);
        sendReport(device, {'B', 1, 200});
        sendReport(device, {'C', 1});
        sendReport(device, {'B', 16, 7}); // no such byte: answered, nothing written
        sendReport(device, {'C', 15});
        const QList<QByteArray> replies = repliesUpToVersion(device, collector);
        QCOMPARE(replies.size(), 4);
        QCOMPARE(quint8(replies[1][2]), quint8(200));
        QCOMPARE(quint8(replies[3][2]), quint8(0));
        QCOMPARE(device.configByte(1), quint8(200));

        // "$" restores gain, offset and voice only.
        for (int number = 0; number < 16; ++number)
            sendReport(device, {'B', number, 250});
        sendReport(device, {'$'});
        const QList<int> factoryVoiceAndGain{4, 173, 127, 103, 89, 5};
        for (int number = 0; number < 16; ++number)
            QCOMPARE(int(device.configByte(number)), number < 6 ? factoryVoiceAndGain[number] : 250);
    }

    void spokenWordsAreRecordedCountedReadAndCleared() {
        VirtualDevice device;
        ReplyCollector collector(device);
        QSignalSpy spoke(&device, &VirtualDevice::spoke);
        const auto& rows = builtin::codeRows();

        sendReport(device, {'A', 40, 0}); // word 5
        sendReport(device, {'S'});
        sendReport(device, {'A', 0, 64}); // word 2048: pads only
        sendReport(device, {'S'});
        QCOMPARE(repliesUpToVersion(device, collector).size(), 2); // the two "A"s
        QCOMPARE(spoke.size(), 2);
        const auto first = spoke[0][0].value<Utterance>();
        QCOMPARE(first.address, 40);
        QByteArray codes; // up to the first pad
        for (int i = 50; i < 58 && rows[i] != 48; ++i)
            codes.append(char(rows[i]));
        QCOMPARE(first.codes, codes);
        QVERIFY(first.line().startsWith(QLatin1String("word #6: \\")));
        QVERIFY(spoke[1][0].value<Utterance>().codes.isEmpty());

        QCOMPARE(device.configByte(6) + 256 * device.configByte(7), 1); // the newest entry
        sendReport(device, {'R', 0, 0});
        sendReport(device, {'R', 16, 0});
        sendReport(device, {'R', 32, 0}); // not written yet
        sendReport(device, {'R', 8, 0});  // between slots
        QList<QByteArray> replies = repliesUpToVersion(device, collector);
        QCOMPARE(replies.size(), 4);
        QCOMPARE(entry(replies[0]), quint16(40));
        QCOMPARE(entry(replies[1]), quint16(16384));
        QCOMPARE(entry(replies[2]), quint16(0xFFFF));
        QCOMPARE(entry(replies[3]), quint16(0xFFFF));

        // Clearing the count keeps the record: the next word follows entry 0.
        sendReport(device, {'B', 6, 0});
        sendReport(device, {'B', 7, 0});
        sendReport(device, {'A', 80, 0});
        sendReport(device, {'S'});
        QCOMPARE(device.readRecord(0), quint16(40));
        QCOMPARE(device.readRecord(16), quint16(80));
        QCOMPARE(device.configByte(6), quint8(1));

        QCOMPARE(repliesUpToVersion(device, collector).size(), 3); // "B", "B", "A"

        // "Y" erases every entry and the count, and is answered.
        sendReport(device, {'Y'});
        replies = repliesUpToVersion(device, collector);
        QCOMPARE(replies.size(), 1);
        QCOMPARE(device.readRecord(0), quint16(0xFFFF));
        QCOMPARE(device.readRecord(16), quint16(0xFFFF));
        QCOMPARE(device.configByte(6), quint8(0));
    }

    void theRecordWraps() {
        VirtualDevice device;
        sendReport(device, {'B', 6, 255}); // newest entry 511: one round of the ring done
        sendReport(device, {'B', 7, 1});
        sendReport(device, {'A', 24, 0});
        sendReport(device, {'S'});
        QCOMPARE(device.readRecord(0), quint16(24));
        QCOMPARE(device.configByte(7), quint8(2));
        QCOMPARE(device.configByte(6), quint8(0));
    }

    void onlyAwaitedCommandsAreAnswered() {
        VirtualDevice device;
        ReplyCollector collector(device);
        for (int letter :
             {'F', 'G', 'H', 'I', 'K', 'O', 'X', 'L', 'M', 'N', 'S', 'V', 'd', '!', '$', 'q', '\0'})
            sendReport(device, {letter, 1, 2});
        QCOMPARE(repliesUpToVersion(device, collector).size(), 0);
        collector.replies.clear();

        for (int letter : {'A', 'B', 'C', 'D', 'R', 'W'}) {
            sendReport(device, {letter, 1, 0});
            if (letter == 'W')
                sendReport(device, {0, 0, 0, 0, 0, 0, 0, 0});
        }
        sendReport(device, {'Y'});
        sendReport(device, {'v'});
        QTRY_COMPARE(collector.replies.size(), 8);
    }

    void modesAmplifierAndVoiceCodes() {
        VirtualDevice device;
        QSignalSpy spoke(&device, &VirtualDevice::spoke);
        QCOMPARE(device.mode(), 'G');
        for (char letter : {'F', 'H', 'I', 'K', 'O'}) {
            sendReport(device, {letter});
            QCOMPARE(device.mode(), letter);
        }
        sendReport(device, {'M'});
        QVERIFY(!device.amplifierOn());

        sendReport(device, {'V', 20});
        sendReport(device, {'V', 127});
        sendReport(device, {'N', 2});
        sendReport(device, {'L'});
        QVERIFY(device.amplifierOn());
        // Whether anything could be heard is part of what the log tells.
        QCOMPARE(spoke.size(), 5);
        QCOMPARE(spoke[0][0].value<Utterance>().line(), QStringLiteral("amplifier off"));
        QCOMPARE(spoke[1][0].value<Utterance>().line(), QStringLiteral("code: \\VOLUME"));
        QCOMPARE(spoke[2][0].value<Utterance>().mnemonics(), QStringLiteral("\\127"));
        QCOMPARE(spoke[3][0].value<Utterance>().line(), QStringLiteral("voice test 2"));
        QCOMPARE(spoke[4][0].value<Utterance>().line(), QStringLiteral("amplifier on"));
        QCOMPARE(device.speechLog().size(), 5);
    }

    void sayLastWordsRepeatsTheNewestRecordedWords() {
        VirtualDevice device;
        for (int word = 1; word <= 12; ++word) {
            sendReport(device, {'A', (8 * word) % 256, (8 * word) / 256});
            sendReport(device, {'S'});
        }
        QSignalSpy spoke(&device, &VirtualDevice::spoke);
        sendReport(device, {'X'});
        QCOMPARE(spoke.size(), 10);
        QCOMPARE(spoke.first()[0].value<Utterance>().address, 8 * 3);
        QCOMPARE(spoke.last()[0].value<Utterance>().address, 8 * 12);
        QCOMPARE(device.configByte(6), quint8(11)); // repeating records nothing
    }

    void sensorAndVersionReplies() {
        VirtualDevice device;
        ReplyCollector collector(device);
        QString error;
        device.setSensorScript(*SensorScript::parse(QStringLiteral("1200,255"), &error));
        for (int i = 0; i < 3; ++i)
            sendReport(device, {'D'});
        sendReport(device, {'Z'});
        QTRY_COMPARE(collector.replies.size(), 4);
        // 1200 = 180 + 255 * 4; the other two readings are 0 while scripted.
        QCOMPARE(collector.replies[0], QByteArray("\0D\xb4\x04\0\0\0\0\0", 9));
        QCOMPARE(collector.replies[1].mid(2, 2), QByteArray("\0\x01", 2)); // 255 is low 0, high 1
        QCOMPARE(collector.replies[2].mid(2, 2), QByteArray("\0\0", 2));   // the script has run out
        QCOMPARE(collector.replies[3], QByteArray("\0Z1.23A\x04\0", 9));
    }

    void bootLoaderAndUnplugFaultMakeTheDeviceLeave() {
        VirtualDevice device;
        QSignalSpy leaving(&device, &VirtualDevice::leaving);
        sendReport(device, {'@'});
        QCOMPARE(leaving.size(), 1);

        VirtualDevice faulty;
        FaultSet faults;
        QVERIFY(faults.add(QStringLiteral("unplug-after:3")).isEmpty());
        faulty.setFaults(faults);
        QSignalSpy gone(&faulty, &VirtualDevice::leaving);
        sendReport(faulty, {'G'});
        sendReport(faulty, {'H'});
        QCOMPARE(gone.size(), 0);
        sendReport(faulty, {'B', 2, 99});
        QCOMPARE(gone.size(), 1);
        QCOMPARE(faulty.configByte(2), quint8(99)); // the last report was still taken
    }

    void droppedAndDelayedReplies() {
        VirtualDevice device;
        ReplyCollector collector(device);
        FaultSet faults;
        QVERIFY(faults.add(QStringLiteral("drop:D")).isEmpty());
        QVERIFY(faults.add(QStringLiteral("drop:v")).isEmpty());
        device.setFaults(faults);
        sendReport(device, {'D'});
        sendReport(device, {'V', 'v'}); // "V" is not "v"
        sendReport(device, {'C', 0});
        QList<QByteArray> replies = repliesUpToVersion(device, collector);
        QCOMPARE(replies.size(), 1);
        QCOMPARE(replies[0][1], 'C');

        QVERIFY(faults.add(QStringLiteral("delay:150")).isEmpty());
        device.setFaults(faults);
        collector.replies.clear();
        QElapsedTimer clock;
        clock.start();
        sendReport(device, {'A', 0, 0});
        QTRY_COMPARE(collector.replies.size(), 1);
        QVERIFY(clock.elapsed() >= 150);
    }

    void unitTransferTakesTenCharactersAWordUntilTheUnitIsFull() {
        VirtualDevice device;
        ReplyCollector collector(device);
        device.setUnitCapacity(2);
        sendReport(device, {'v'});
        QTRY_COMPARE(collector.replies.size(), 1);
        const QByteArray first = "ALL RIGHT ";
        const QByteArray second = QByteArray("Z\xc8") + QByteArray(8, ' '); // any byte is a character
        for (const QByteArray& word : {first, second}) {
            for (char c : word)
                sendReport(device, {quint8(c), quint8(c)});
        }
        QTRY_COMPARE(collector.replies.size(), 3);
        QCOMPARE(quint8(collector.replies[1][1]), quint8(0));
        QCOMPARE(quint8(collector.replies[2][1]), quint8(199));
        QCOMPARE(device.unitWords(),
                 QStringList({QStringLiteral("ALL RIGHT "), QString::fromLatin1(second)}));
        QVERIFY(!device.inTransferMode());

        // After the stop reply, reports are commands again.
        sendReport(device, {'B', 3, 50});
        QCOMPARE(device.configByte(3), quint8(50));

        // A new transfer replaces what the unit held.
        sendReport(device, {'v'});
        for (char c : QByteArray("HELLO     "))
            sendReport(device, {quint8(c), quint8(c)});
        QCOMPARE(device.unitWords(), QStringList{QStringLiteral("HELLO     ")});
    }

    void unitTransferEndsAfterAnIdleSpellFromTheDevicesLastReply() {
        qint64 now = 0; // outlives the device that reads it
        VirtualDevice device;
        ReplyCollector collector(device);
        device.setClock([&now] { return now; });
        sendReport(device, {'v'});
        for (char c : QByteArray("ABC"))
            sendReport(device, {quint8(c), quint8(c)});
        now += 999;
        QVERIFY(device.inTransferMode());
        sendReport(device, {'D', 'D'}); // still a character
        now += 1000;
        QVERIFY(!device.inTransferMode());
        sendReport(device, {'B', 4, 77});
        QCOMPARE(device.configByte(4), quint8(77));
        QVERIFY(device.unitWords().isEmpty()); // the half word is dropped

        // The idle spell starts when the device's reply to a word leaves, once the unit has taken it: a
        // unit slower than the idle spell keeps the device in transfer mode.
        device.setUnitPace(std::chrono::milliseconds(1300));
        sendReport(device, {'v'});
        for (char c : QByteArray("SLOW WORD "))
            sendReport(device, {quint8(c), quint8(c)});
        now += 2000;
        QVERIFY(device.inTransferMode());
        now += 400;
        QVERIFY(!device.inTransferMode());

        // Losing power ends it too.
        sendReport(device, {'v'});
        device.powerOff();
        device.powerOn();
        sendReport(device, {'B', 4, 78});
        QCOMPARE(device.configByte(4), quint8(78));
    }

    void unitCommandsAreBuiltFromConsecutiveCharacters() {
        qint64 now = 0; // outlives the device that reads it
        VirtualDevice device;
        device.setClock([&now] { return now; });
        for (char c : QByteArray(" AA = 00123"))
            sendReport(device, {'!', quint8(c)});
        sendReport(device, {'A', 8, 0});
        sendReport(device, {'!', 'X'});
        now += 1000;
        sendReport(device, {'!', 'Y'});
        QCOMPARE(device.unitCommands(),
                 QStringList({QStringLiteral(" AA = 00123"), QStringLiteral("X"), QStringLiteral("Y")}));
    }

    void powerCyclingRestoresEveryModeAndTheAddress() {
        VirtualDevice device;
        sendReport(device, {'B', 14, 0x0F});
        sendReport(device, {'A', 80, 0});
        sendReport(device, {'H'});
        sendReport(device, {'W'}); // a write left open by a lost device
        const quint64 session = device.session();
        device.powerOff();
        sendReport(device, {'B', 1, 11}); // no power: ignored
        QCOMPARE(device.configByte(1), quint8(173));
        device.powerOn();
        QVERIFY(device.session() != session);
        QCOMPARE(device.configByte(14), quint8(255));
        QCOMPARE(device.address(), quint16(0));
        QCOMPARE(device.mode(), 'G');
        sendReport(device, {'B', 1, 12}); // a command, not the data of the old "W"
        QCOMPARE(device.configByte(1), quint8(12));
    }
};

QTEST_GUILESS_MAIN(VirtualDeviceTest)
#include "VirtualDeviceTest.moc"
