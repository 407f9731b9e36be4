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
    // The idle second, which the transfer waits out after it ends, runs at a quarter.
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

    void aStopReplyEndsTheTransfer() {
        QTemporaryDir folder;
        QVERIFY(writeMainWords(folder.path(), {"ONE", "TWO", "THREE"}));
        VirtualTelvar telvar;
        QVERIFY(telvar.attach());
        telvar.device().setUnitCapacity(1);
        FakePrompter prompter;

        const Transfer result = transfer(telvar, prompter, folder.path());

        QVERIFY(result.outcome.completed());
        QCOMPARE(telvar.sent.size(), 1 + 10);
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
                                             QStringLiteral("; the unit may hold a partial list"));
        QCOMPARE(telvar.device().unitWords().size(), 2);
        QVERIFY(!telvar.link.sequenceRunning());
    }

    // Replies late enough for the device to have left transfer mode, replies that are not 0 or 199, and
    // a cancel: the transfer stops before the next word, and the device is left idle long enough to leave
    // transfer mode before anything else is sent. The device's clock runs at the shortened pace.
    void aLateWordReplyStopsBeforeTheNextWord() {
        QTemporaryDir folder;
        QVERIFY(writeMainWords(folder.path(), {"ONE", "YES", "TWO"}));
        VirtualTelvar telvar;
        runDeviceClock(telvar);
        QVERIFY(telvar.attach());
        FakePrompter prompter;

        // The reply to the first word comes one and a half idle seconds late.
        const Transfer result = transfer(telvar, prompter, folder.path(), [&](UnitTransfer& sequence) {
            connect(&telvar.link, &DeviceLink::reportSent, &sequence, [&] {
                if (telvar.sent.size() == 1 + 9)
                    telvar.fault(QStringLiteral("delay:%1").arg(kIdleMs * 3 / 2));
            });
        });

        QCOMPARE(result.outcome.status, SequenceOutcome::Status::Failed);
        QVERIFY2(result.outcome.message.startsWith(
                     QStringLiteral("Word list transfer stopped at word #1 \"ONE\"")),
                 qPrintable(result.outcome.message));
        QVERIFY(result.outcome.message.contains(QStringLiteral("left transfer mode")));
        QVERIFY(result.outcome.message.endsWith(QStringLiteral("the unit may hold a partial list")));
        QCOMPARE(telvar.sent.size(), 1 + 10); // not one character of "YES", which would clear the record
        QCOMPARE(telvar.device().unitWords(), QStringList{QStringLiteral("ONE       ")});
        QVERIFY(!telvar.device().inTransferMode());
        nextCommandIsAnswered(telvar);
    }

    void aLateStartReplySendsNoWord() {
        QTemporaryDir folder;
        QVERIFY(writeMainWords(folder.path(), {"ONE"}));
        VirtualTelvar telvar;
        runDeviceClock(telvar);
        QVERIFY(telvar.attach());
        telvar.fault(QStringLiteral("delay:v:%1").arg(kIdleMs * 3 / 2));
        FakePrompter prompter;

        const Transfer result = transfer(telvar, prompter, folder.path());

        QCOMPARE(result.outcome.status, SequenceOutcome::Status::Failed);
        QVERIFY2(result.outcome.message.startsWith(QStringLiteral("Word list not sent: the reply to \"v\"")),
                 qPrintable(result.outcome.message));
        QCOMPARE(telvar.sent.size(), 1);
        telvar.fault(QStringList{});
        nextCommandIsAnswered(telvar);
    }

    void aReplyThatIsNeitherMoreNorStopEndsTheTransfer() {
        QTemporaryDir folder;
        QVERIFY(writeMainWords(folder.path(), {"ONE", "C", "TWO"}));
        VirtualTelvar telvar;
        qint64 deviceNow = 0;
        telvar.device().setClock([&deviceNow] { return deviceNow; });
        QVERIFY(telvar.attach());
        FakePrompter prompter;

        // The device idles out of transfer mode between the words without the program seeing it late:
        // "C" then runs as a command, and its reply is no word reply.
        const Transfer result = transfer(telvar, prompter, folder.path(), [&](UnitTransfer& sequence) {
            connect(&telvar.link, &DeviceLink::reportReceived, &sequence, [&] {
                if (telvar.sent.size() == 1 + 10)
                    deviceNow += 2 * Timings::kUnitIdle.count();
            });
        });

        QCOMPARE(result.outcome.status, SequenceOutcome::Status::Failed);
        QVERIFY2(
            result.outcome.message.startsWith(QStringLiteral("Word list transfer stopped at word #2 \"C\": "
                                                             "the device answered 67 instead of 0 or 199")),
            qPrintable(result.outcome.message));
        QCOMPARE(telvar.sent.size(), 1 + 20);
    }

    // A cancel stops the transfer before the next word and leaves the device idle; one that comes once
    // every word is with the unit, while the idle second is waited out, stops nothing.
    void aCancelledTransferLeavesTheDeviceIdle_data() {
        QTest::addColumn<int>("atReport");   // -1: once the title bar says the transfer is complete
        QTest::addColumn<QString>("ending"); // empty: the transfer completed
        QTest::newRow("half way through the second word") << 1 + 15 << "word #2 \"TWO\": cancelled";
        QTest::newRow("in the idle second after the last word") << -1 << QString();
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
            // The title bar says the transfer is complete just before the idle second starts.
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
        }
        QVERIFY(!telvar.device().inTransferMode());
        nextCommandIsAnswered(telvar);
    }

private:
    static constexpr int kDivisor = 4;
    static constexpr int kIdleMs = 1000 / kDivisor;

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
