// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/VirtualTelvar.h"

#include "device/Spinner.h"
#include "device/Timings.h"
#include "emulator/DeviceState.h"
#include "vocab/Vocabulary.h"
#include "vocab/WordMemoryClearer.h"
#include "vocab/WordMemoryEntry.h"
#include "vocab/WordMemoryReader.h"

#include <QTest>

using namespace telvar;
using telvar::test::VirtualTelvar;

namespace {

QStringList numberedWords(int count) {
    QStringList words;
    for (int i = 0; i < count; ++i)
        words << QStringLiteral("WORD%1").arg(i);
    return words;
}

// The device's record holds these word-memory addresses from entry 0 on, the count says `count`.
void setRecord(VirtualDevice& device, const QList<quint16>& entries, int count) {
    DeviceState state = DeviceState::factory();
    state.eraseRecord();
    for (int k = 0; k < entries.size(); ++k)
        state.record[k] = entries.at(k);
    state.config[DeviceState::SpokenCountLow] = count % 256;
    state.config[DeviceState::SpokenCountHigh] = count / 256;
    device.setState(state);
}

struct Reading {
    SequenceOutcome outcome;
    QStringList lines;
    QStringList statuses;
};

enum class Reader { Spoken, All };

Reading read(VirtualTelvar& telvar, const QStringList& list3, Reader which,
             const std::function<void(WordMemoryReader&)>& prepare = {}) {
    Vocabulary vocabulary;
    vocabulary.setList3(list3);
    Spinner spinner;
    WordMemoryReader reader(telvar.link, vocabulary, spinner);
    Reading reading;
    QObject::connect(&reader, &WordMemoryReader::lineAdded,
                     [&](const QString& line) { reading.lines << line; });
    QObject::connect(&reader, &DeviceSequence::statusChanged,
                     [&](const QString& text) { reading.statuses << text; });
    if (prepare)
        prepare(reader);
    reading.outcome =
        QCoro::waitFor(which == Reader::Spoken ? reader.readWordsSpoken() : reader.readAllWords());
    return reading;
}

} // namespace

class WordMemoryTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { Timings::setDivisor(50); } // the pause after each spoken-word entry
    void cleanup() { Timings::setDivisor(1); }

    void decodingRoundsHalfToEven_data() {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("index");
        QTest::newRow("exact") << 40 << 5;
        QTest::newRow("1.375 down") << 11 << 1;
        QTest::newRow("1.5 up to even") << 12 << 2;
        QTest::newRow("1.625 up") << 13 << 2;
        QTest::newRow("2.5 down to even") << 20 << 2;
        QTest::newRow("3.5 up to even") << 28 << 4;
        QTest::newRow("2047.5 up to even") << 16380 << 2048;
    }
    void decodingRoundsHalfToEven() {
        QFETCH(int, value);
        QFETCH(int, index);
        QCOMPARE(WordMemoryEntry::roundedIndex(static_cast<quint16>(value)), index);
    }

    void decodingFindsNoWordPastTheVocabulary() {
        const QStringList list3 = numberedWords(2049);
        QCOMPARE(WordMemoryEntry::decode(12, 0, list3), std::optional<QString>(QStringLiteral("WORD2")));
        QCOMPARE(WordMemoryEntry::decode(0xFC, 0x3F, list3),
                 std::optional<QString>(QStringLiteral("WORD2048")));
        QCOMPARE(WordMemoryEntry::decode(0x00, 0x40, list3), std::nullopt); // 16384: index 2048 and above
        QCOMPARE(WordMemoryEntry::decode(0xFF, 0xFF, list3), std::nullopt); // an erased entry
        // A shortened word list: index 3 is below 2048 but there is no item 3.
        QCOMPARE(WordMemoryEntry::decode(24, 0, numberedWords(3)), std::nullopt);
    }

    void wordsSpokenAreReadNewestFirst() {
        VirtualTelvar telvar;
        QVERIFY(telvar.attach());
        setRecord(telvar.device(), {8 * 5, 12, 8 * 20, 0x4000}, 3);

        const Reading reading = read(telvar, numberedWords(2049), Reader::Spoken);

        QVERIFY(reading.outcome.completed());
        QCOMPARE(reading.lines,
                 (QStringList{QStringLiteral(" 4 number of words"), QStringLiteral(" 4 :  Nothing to read"),
                              QStringLiteral(" 3 : WORD20"), QStringLiteral(" 2 : WORD2"),
                              QStringLiteral(" 1 : WORD5")}));
        QVERIFY(reading.statuses.isEmpty()); // the title bar is left alone
        const auto reads = telvar.sentWith('R');
        QCOMPARE(reads.size(), 4);
        QCOMPARE(reads.first()[2], quint8(48)); // entry 3 at address 48
        QCOMPARE(reads.last()[2], quint8(0));
        QCOMPARE(telvar.sentWith('C').size(), 2);
    }

    void aCountOfZeroReadsEntryZeroOnly() {
        VirtualTelvar telvar;
        QVERIFY(telvar.attach());
        setRecord(telvar.device(), {8 * 7}, 0);
        const Reading reading = read(telvar, numberedWords(2049), Reader::Spoken);
        QCOMPARE(reading.lines,
                 (QStringList{QStringLiteral(" 1 number of words"), QStringLiteral(" 1 : WORD7")}));
    }

    void anIndexPastAShortListIsNothingToRead() {
        VirtualTelvar telvar;
        QVERIFY(telvar.attach());
        setRecord(telvar.device(), {8 * 1, 8 * 10}, 1);
        const Reading spoken = read(telvar, numberedWords(3), Reader::Spoken);
        QCOMPARE(spoken.lines,
                 (QStringList{QStringLiteral(" 2 number of words"), QStringLiteral(" 2 :  Nothing to read"),
                              QStringLiteral(" 1 : WORD1")}));
        const Reading all = read(telvar, numberedWords(3), Reader::All);
        QCOMPARE(all.lines,
                 (QStringList{QStringLiteral(" Reading 500 stored words"), QStringLiteral(" 1 : WORD1")}));
    }

    void readAllReads476EntriesAndListsOnlyWords() {
        VirtualTelvar telvar;
        QVERIFY(telvar.attach());
        QList<quint16> entries(476, 0xFFFF);
        entries[0] = 8 * 3;
        entries[100] = 20;     // 2.5: item 2
        entries[200] = 0x4000; // index 2048: no line
        entries[475] = 8 * 9;
        setRecord(telvar.device(), entries, 1); // the count does not matter to this reader

        const Reading reading = read(telvar, numberedWords(2049), Reader::All);

        QVERIFY(reading.outcome.completed());
        QCOMPARE(reading.lines,
                 (QStringList{QStringLiteral(" Reading 500 stored words"), QStringLiteral(" 476 : WORD9"),
                              QStringLiteral(" 101 : WORD2"), QStringLiteral(" 1 : WORD3")}));
        const auto reads = telvar.sentWith('R');
        QCOMPARE(reads.size(), 476);
        QCOMPARE(reads.first()[2] + 256 * reads.first()[3], 7600);
        QCOMPARE(reading.statuses.size(), 477);
        QVERIFY(reading.statuses.at(5).startsWith(QStringLiteral("Reading Memeory ")));
        QCOMPARE(reading.statuses.last(), QStringLiteral(" Complete "));
    }

    // A reader that loses the device, or is cancelled, keeps the lines it has and says why it stopped.
    void readersStopCleanly_data() {
        QTest::addColumn<int>("reader");
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("status");
        QTest::newRow("spoken, no reply")
            << int(Reader::Spoken) << QStringLiteral("drop")
            << QStringLiteral("Reading stopped at entry 3: ") + describe(WaitResult::TimedOut);
        QTest::newRow("all, unplugged")
            << int(Reader::All) << QStringLiteral("unplug")
            << QStringLiteral("Reading stopped at entry 475: ") + describe(WaitResult::Unplugged);
        QTest::newRow("spoken, cancelled")
            << int(Reader::Spoken) << QStringLiteral("cancel")
            << QStringLiteral("Reading stopped at entry 3: ") + describe(WaitResult::Cancelled);
    }
    void readersStopCleanly() {
        QFETCH(int, reader);
        QFETCH(QString, how);
        QFETCH(QString, status);
        VirtualTelvar telvar;
        QVERIFY(telvar.attach());
        telvar.link.setDefaultReplyLimit(std::chrono::milliseconds(1000));
        setRecord(telvar.device(), {8, 16, 24, 32}, 3);

        const Reading reading =
            read(telvar, numberedWords(2049), Reader(reader), [&](WordMemoryReader& sequence) {
                QObject::connect(&telvar.link, &DeviceLink::reportSent, &sequence, [&] {
                    // A dropped reply takes effect from the next request on; the others end the current wait.
                    if (telvar.sentWith('R').size() != (how == QLatin1String("drop") ? 1 : 2))
                        return;
                    if (how == QLatin1String("drop")) {
                        FaultSet faults;
                        faults.add(QStringLiteral("drop:R"));
                        telvar.device().setFaults(faults);
                    } else if (how == QLatin1String("unplug")) {
                        telvar.library.unplug();
                    } else {
                        telvar.link.cancel();
                    }
                });
            });

        QCOMPARE(reading.outcome.status, SequenceOutcome::Status::Failed);
        QCOMPARE(reading.statuses.last(), status);
        QCOMPARE(reading.outcome.message, status);
        QVERIFY(!telvar.link.sequenceRunning());
    }

    void clearLastWordZeroesTheCount() {
        VirtualTelvar telvar;
        QVERIFY(telvar.attach());
        setRecord(telvar.device(), {8, 16, 24}, 3 + 256);
        WordMemoryClearer clearer(telvar.link);
        QStringList statuses;
        connect(&clearer, &DeviceSequence::statusChanged, [&](const QString& text) { statuses << text; });

        QVERIFY(QCoro::waitFor(clearer.clearLastWord()).completed());

        QCOMPARE(statuses, (QStringList{QStringLiteral("send"), QStringLiteral("send")}));
        QCOMPARE(telvar.device().configByte(6), quint8(0));
        QCOMPARE(telvar.device().configByte(7), quint8(0));
        const Reading reading = read(telvar, numberedWords(2049), Reader::Spoken);
        QCOMPARE(reading.lines,
                 (QStringList{QStringLiteral(" 1 number of words"), QStringLiteral(" 1 : WORD1")}));
    }

    void clearStoredMemoryErasesTheRecord() {
        VirtualTelvar telvar;
        QVERIFY(telvar.attach());
        setRecord(telvar.device(), {8, 16}, 2);
        WordMemoryClearer clearer(telvar.link);
        QStringList statuses;
        connect(&clearer, &DeviceSequence::statusChanged, [&](const QString& text) { statuses << text; });

        QVERIFY(QCoro::waitFor(clearer.clearStoredMemory()).completed());

        QCOMPARE(statuses, (QStringList{QStringLiteral("Clearing Memory please wait"),
                                        QStringLiteral("Memory Clear")}));
        QCOMPARE(telvar.device().readRecord(0), quint16(0xFFFF));
    }
};

QTEST_GUILESS_MAIN(WordMemoryTest)
#include "WordMemoryTest.moc"
