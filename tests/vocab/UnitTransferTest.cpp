#include "support/VirtualTelvar.h"
#include "support/FakePrompter.h"

#include "vocab/LineFile.h"
#include "vocab/UnitTransfer.h"
#include "vocab/WordListFiles.h"

#include <QTemporaryDir>
#include <QTest>

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
        QCOMPARE(result.statuses.last(), QStringLiteral("Word list transfer stopped at word # 3: ") +
                                             describe(WaitResult::Unplugged));
        QCOMPARE(telvar.device().unitWords().size(), 2);
        QVERIFY(!telvar.link.sequenceRunning());
    }
};

QTEST_GUILESS_MAIN(UnitTransferTest)
#include "UnitTransferTest.moc"
