// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/FakePrompter.h"
#include "support/VirtualTelvar.h"

#include "device/Timings.h"
#include "vocab/LineFile.h"
#include "vocab/UnitTransfer.h"
#include "vocab/WordListFiles.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace telvar;
using telvar::test::FakePrompter;
using telvar::test::VirtualTelvar;

namespace {

struct Transfer {
    SequenceOutcome outcome;
    QStringList statuses;
};

Transfer transfer(VirtualTelvar& telvar, FakePrompter& prompter, const QString& folder,
                  const std::function<void(UnitTransfer&)>& prepare = {}) {
    UnitTransfer sequence(telvar.link, prompter, folder);
    Transfer result;
    QObject::connect(&sequence, &DeviceSequence::statusChanged,
                     [&](const QString& text) { result.statuses << text; });
    if (prepare)
        prepare(sequence);
    result.outcome = QCoro::waitFor(sequence.run());
    return result;
}

bool writeMainWords(const QString& folder, const QList<QByteArray>& words) {
    QString error;
    return LineFile::write(WordListFiles(folder).path(WordListFiles::kMainWords), words, &error);
}

} // namespace

class UnitTransferTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The unit's pace and the device's idle spell run at a quarter, and so do the program's limits.
    void init() { Timings::setDivisor(kDivisor); }
    void cleanup() { Timings::setDivisor(1); }

    void wordsBecomeTenCharacterFields() {
        QCOMPARE(UnitTransfer::wordField("ALL RIGHT"), QByteArray("ALL RIGHT "));
        QCOMPARE(UnitTransfer::wordField(""), QByteArray(10, ' '));
        QCOMPARE(UnitTransfer::wordField("INTERNATIONAL"), QByteArray("INTERNATIO"));
    }

    void captionCountsPercentOf2048Words_data() {
        QTest::addColumn<int>("counter");
        QTest::addColumn<QString>("percent");
        QTest::newRow("1") << 1 << QStringLiteral(" 0");
        QTest::newRow("20") << 20 << QStringLiteral(" 0");
        QTest::newRow("21") << 21 << QStringLiteral(" 1");
        QTest::newRow("2048") << 2048 << QStringLiteral(" 100");
        QTest::newRow("2051") << 2051 << QStringLiteral(" 100");
    }
    void captionCountsPercentOf2048Words() {
        QFETCH(int, counter);
        QFETCH(QString, percent);
        QCOMPARE(UnitTransfer::caption("HELLO     ", counter),
                 QStringLiteral("Curent Word HELLO      Word # ") + QStringLiteral(" %1").arg(counter) +
                     QStringLiteral(" Precent Complete ") + percent);
    }

    void sendsEveryWordOfTheFile() {
        QTemporaryDir folder;
        QVERIFY(writeMainWords(folder.path(), {"ALL RIGHT", "", "CAF\xC8", "INTERNATIONAL"}));
        VirtualTelvar telvar;
        QVERIFY(telvar.attach());
        FakePrompter prompter;

        const Transfer result = transfer(telvar, prompter, folder.path());

        QVERIFY(result.outcome.completed());
        QCOMPARE(prompter.texts, QStringList{UnitTransfer::confirmationText()});
        QVERIFY(UnitTransfer::confirmationText().endsWith(QStringLiteral("for help ")));
        QCOMPARE(telvar.sent.first()[1], quint8('v'));
        QCOMPARE(telvar.sent.size(), 1 + 4 * 10);
        for (int i = 1; i < telvar.sent.size(); ++i)
            QCOMPARE(telvar.sent.at(i)[1], telvar.sent.at(i)[2]);
        // Code 200 goes to the unit as a blank.
        QCOMPARE(telvar.device().unitWords(),
                 (QStringList{QStringLiteral("ALL RIGHT "), QString(10, QLatin1Char(' ')),
                              QStringLiteral("CAF       "), QStringLiteral("INTERNATIO")}));
        QCOMPARE(result.statuses.first(), QStringLiteral("Upload Start"));
        QCOMPARE(result.statuses.at(3), UnitTransfer::caption("CAF\xC8      ", 3));
        QCOMPARE(result.statuses.last(), QStringLiteral("Upload complete"));
    }

    void aMissingWordFileSendsNothing() {
        QTemporaryDir folder;
        VirtualTelvar telvar;
        QVERIFY(telvar.attach());
        FakePrompter prompter;
        int begun = 0;

        const Transfer result = transfer(telvar, prompter, folder.path(), [&](UnitTransfer& sequence) {
            connect(&sequence, &DeviceSequence::begun, [&] { ++begun; });
        });

        QCOMPARE(result.outcome.status, SequenceOutcome::Status::Failed);
        QVERIFY2(result.outcome.message.contains(QStringLiteral("mainw.txt")),
                 qPrintable(result.outcome.message));
        QCOMPARE(begun, 0);
        QVERIFY(telvar.sent.isEmpty());
    }

    void anUnplugMidTransferSaysWhichWord() {
        QTemporaryDir folder;
        QVERIFY(writeMainWords(folder.path(), {"ONE", "TWO", "THREE", "FOUR"}));
        VirtualTelvar telvar;
        QVERIFY(telvar.attach());
        FakePrompter prompter;

        const Transfer result = transfer(telvar, prompter, folder.path(), [&](UnitTransfer& sequence) {
            connect(&telvar.link, &DeviceLink::reportSent, &sequence, [&] {
                if (telvar.sent.size() == 1 + 2 * 10 + 5) // half way through the third word
                    telvar.library.unplug();
            });
        });

        QCOMPARE(result.outcome.status, SequenceOutcome::Status::Failed);
        QCOMPARE(result.statuses.last(), QStringLiteral("Word list transfer stopped at word #3 \"THREE\": ") +
                                             describe(WaitResult::Unplugged) +
                                             QStringLiteral(" at this word; the unit may hold the first 2 "
                                                            "words of the list"));
        QCOMPARE(telvar.device().unitWords().size(), 2);
        QVERIFY(!telvar.link.sequenceRunning());
    }

    // The unit sets the pace, and the device's rules that nobody states vary: a fast unit, a slow one, late
    // replies, an idle spell short or long, a unit of another make that answers 1 for more, a unit that is
    // full after one word, one that never answers. The device's clock runs at the shortened pace, so an
    // idle spell counted from the wrong moment would turn "YES" into a command that clears the record.
    void theUnitSetsThePace_data() {
        QTest::addColumn<int>("paceMs"); // the unit's time a word, before shortening
        QTest::addColumn<int>("idleMs"); // the device's idle spell in transfer mode, before shortening
        QTest::addColumn<QStringList>("faults");
        QTest::addColumn<int>("capacity");
        QTest::addColumn<int>("words");       // words sent, and held by the unit
        QTest::addColumn<QString>("failure"); // empty: the transfer completes
        const QStringList none;
        QTest::newRow("fast unit") << 0 << 1000 << none << 100 << 3 << QString();
        QTest::newRow("1.3 s a word") << 1300 << 1000 << none << 100 << 3 << QString();
        QTest::newRow("1.3 s a word, short idle spell") << 1300 << 400 << none << 100 << 3 << QString();
        QTest::newRow("1.3 s a word, long idle spell") << 1300 << 1500 << none << 100 << 3 << QString();
        QTest::newRow("every reply 1.3 s late")
            << 900 << 1000 << QStringList{QStringLiteral("delay:%1").arg(1300 / kDivisor)} << 100 << 3
            << QString();
        QTest::newRow("1 for more goes on")
            << 0 << 1000 << QStringList{QStringLiteral("unit-reply:1")} << 100 << 3 << QString();
        QTest::newRow("199 after the first word") << 0 << 1000 << none << 1 << 1 << QString();
        QTest::newRow("silent unit")
            << 0 << 1000 << QStringList{QStringLiteral("unit-silent")} << 100 << 1
            << QStringLiteral("Word list transfer stopped at word #1 \"ONE\": no reply to this word within "
                              "2.5 s: the unit stopped answering; the unit may hold none of the list");
    }
    void theUnitSetsThePace() {
        QFETCH(int, paceMs);
        QFETCH(int, idleMs);
        QFETCH(QStringList, faults);
        QFETCH(int, capacity);
        QFETCH(int, words);
        QFETCH(QString, failure);
        QTemporaryDir folder;
        QVERIFY(writeMainWords(folder.path(), {"ONE", "YES", "TWO"}));
        VirtualTelvar telvar;
        runDeviceClock(telvar);
        QVERIFY(telvar.attach());
        telvar.device().setUnitPace(std::chrono::milliseconds(paceMs));
        telvar.device().setTransferIdle(std::chrono::milliseconds(idleMs));
        telvar.device().setUnitCapacity(capacity);
        telvar.fault(faults);
        FakePrompter prompter;

        const Transfer result = transfer(telvar, prompter, folder.path());

        QCOMPARE(telvar.sent.size(), 1 + words * 10); // nothing after a stop, not even a character
        QCOMPARE(telvar.device().unitWords().size(), failure.isEmpty() ? words : 0);
        if (failure.isEmpty()) {
            QVERIFY2(result.outcome.completed(), qPrintable(result.outcome.message));
            QCOMPARE(result.statuses.last(), QStringLiteral("Upload complete"));
            QVERIFY(!telvar.device().inTransferMode());
            nextCommandIsAnswered(telvar);
        } else {
            QCOMPARE(result.outcome.status, SequenceOutcome::Status::Failed);
            QVERIFY2(result.outcome.message.startsWith(failure), qPrintable(result.outcome.message));
        }
        // No character ran as a command: "N" of "ONE" and "S" of "YES" would have made the device speak.
        QVERIFY(telvar.device().speechLog().isEmpty());
    }

    // A cancel stops the transfer before the next word and leaves the device idle; one that comes once
    // every word is with the unit, while the device is left to leave transfer mode, stops nothing.
    void aCancelledTransferLeavesTheDeviceIdle_data() {
        QTest::addColumn<int>("atReport");   // -1: once the title bar says the transfer is complete
        QTest::addColumn<QString>("ending"); // empty: the transfer completed
        QTest::newRow("half way through the second word")
            << 1 + 15 << "word #2 \"TWO\": cancelled; the unit may hold the first 2 words of the list";
        QTest::newRow("in the pause after the last word") << -1 << QString();
    }
    void aCancelledTransferLeavesTheDeviceIdle() {
        QFETCH(int, atReport);
        QFETCH(QString, ending);
        QTemporaryDir folder;
        QVERIFY(writeMainWords(folder.path(), {"ONE", "TWO", "THREE"}));
        VirtualTelvar telvar;
        runDeviceClock(telvar);
        QVERIFY(telvar.attach());
        FakePrompter prompter;

        const Transfer result = transfer(telvar, prompter, folder.path(), [&](UnitTransfer& sequence) {
            connect(&telvar.link, &DeviceLink::reportSent, &sequence, [&] {
                if (telvar.sent.size() == atReport)
                    telvar.link.cancel();
            });
            // The title bar says the transfer is complete just before the closing pause starts.
            connect(&sequence, &DeviceSequence::statusChanged, &sequence, [&](const QString& text) {
                if (atReport < 0 && text == QLatin1String("Upload complete"))
                    QTimer::singleShot(0, &telvar.link, [&] { telvar.link.cancel(); });
            });
        });

        if (ending.isEmpty()) {
            QVERIFY2(result.outcome.completed(), qPrintable(result.outcome.message));
            QCOMPARE(result.statuses.last(), QStringLiteral("Upload complete"));
            QCOMPARE(telvar.device().unitWords().size(), 3);
        } else {
            QCOMPARE(result.outcome.status, SequenceOutcome::Status::Failed);
            QVERIFY2(result.outcome.message.contains(ending), qPrintable(result.outcome.message));
            QCOMPARE(telvar.sent.size(), 1 + 20); // a word's characters go out together
            QCOMPARE(telvar.device().unitWords().size(), 2);
        }
        QVERIFY(!telvar.device().inTransferMode());
        nextCommandIsAnswered(telvar);
    }

private:
    static constexpr int kDivisor = 4;

    static void runDeviceClock(VirtualTelvar& telvar) {
        auto clock = std::make_shared<QElapsedTimer>();
        clock->start();
        telvar.device().setClock([clock] { return clock->elapsed() * kDivisor; });
    }

    static void nextCommandIsAnswered(VirtualTelvar& telvar) {
        auto device = telvar.link.begin();
        QVERIFY(device);
        QCOMPARE(QCoro::waitFor(device->request('C', 0)).kind(), WaitResult::Ok);
        QCOMPARE(device->reply(1), quint8('C'));
    }
};

QTEST_GUILESS_MAIN(UnitTransferTest)
#include "UnitTransferTest.moc"
