#include "support/FakePrompter.h"
#include "support/VirtualTelvar.h"

#include "device/Commands.h"
#include "device/Spinner.h"
#include "device/Timings.h"
#include "emulator/DeviceState.h"
#include "vocab/VocabularyLoader.h"
#include "vocab/WordListUpload.h"

#include <QTest>

using namespace telvar;
using telvar::test::FakePrompter;
using telvar::test::VirtualTelvar;

namespace {

constexpr int kRows = WordListUpload::kRows;

// A device whose word memory holds none of the values an upload writes.
void fillWordMemory(VirtualDevice& device, char value) {
    DeviceState state = DeviceState::factory();
    state.wordMemory.fill(value);
    device.setState(state);
}

// The word memory the upload must leave: the first eight elements of every row, as bytes.
QByteArray expectedMemory(const Vocabulary::CodeTable& codes) {
    QByteArray bytes;
    for (int row = 0; row < kRows; ++row) {
        for (int j = 0; j < WordListUpload::kBytesPerRow; ++j)
            bytes.append(static_cast<char>(codes[row * Vocabulary::kRowLength + j]));
    }
    return bytes;
}

struct Run {
    SequenceOutcome outcome;
    QStringList statuses;
    int begun = 0;
    int lastProgress = -1;
};

Run runUpload(VirtualTelvar& telvar, const Vocabulary& vocabulary, FakePrompter& prompter,
              const std::function<void(WordListUpload&)>& prepare = {}) {
    Spinner spinner;
    WordListUpload upload(telvar.link, vocabulary, prompter, spinner);
    Run run;
    QObject::connect(&upload, &DeviceSequence::statusChanged,
                     [&run](const QString& text) { run.statuses << text; });
    QObject::connect(&upload, &DeviceSequence::begun, [&run] { ++run.begun; });
    QObject::connect(&upload, &DeviceSequence::progressChanged,
                     [&run](int done, int) { run.lastProgress = done; });
    if (prepare)
        prepare(upload);
    run.outcome = QCoro::waitFor(upload.run());
    return run;
}

} // namespace

class WordListUploadTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        Timings::setDivisor(10); // the 10 ms row pause becomes 1 ms: the count of pauses is what matters
    }
    void cleanup() { Timings::setDivisor(1); }

    void writesTheFirstEightCodesOfEveryRow() {
        VirtualTelvar telvar;
        QVERIFY(telvar.attach());
        fillWordMemory(telvar.device(), '\xAA');
        Vocabulary vocabulary;
        const VocabularyTables builtin = VocabularyLoader::builtinTables();
        vocabulary.assign(builtin.list1, builtin.list3, builtin.codes);
        FakePrompter prompter;

        const Run run = runUpload(telvar, vocabulary, prompter);

        QVERIFY(run.outcome.completed());
        QCOMPARE(prompter.texts, QStringList{WordListUpload::confirmationText(builtin.list1.size())});
        QCOMPARE(telvar.device().wordMemory(0, kRows * 8), expectedMemory(builtin.codes));
        // Row 77 has ten codes; the last two never reach the device.
        QCOMPARE(telvar.device().wordMemory(8 * 78, 8), expectedMemory(builtin.codes).mid(8 * 78, 8));
        // The all-pad rows at the end.
        QCOMPARE(telvar.device().wordMemory(8 * 2048, 7 * 8), QByteArray(7 * 8, '0'));

        QCOMPARE(run.statuses.size(), kRows + 1);
        QVERIFY(run.statuses.first().startsWith(QStringLiteral("Loading ")));
        QVERIFY(run.statuses.first().endsWith(QStringLiteral(" 0")));
        QVERIFY(run.statuses.at(kRows - 1).endsWith(QStringLiteral(" 2054")));
        QCOMPARE(run.statuses.last(), QStringLiteral("Upload Complete"));
        QCOMPARE(run.lastProgress, kRows);
        // One address report, then per row one request and one data report; the pause period stays at the
        // row pause for every later pause.
        QCOMPARE(telvar.sent.size(), 1 + 2 * kRows);
        QCOMPARE(telvar.sent.first()[1], quint8('A'));
        QCOMPARE(telvar.link.pausePeriod(), Timings::kUploadRowPause);
        QVERIFY(!telvar.link.sequenceRunning());
    }

    void aValueThatIsNoByteKeepsTheBufferedOne() {
        Vocabulary::CodeTable codes{};
        for (int i = 0; i < Vocabulary::kCodeTableSize; ++i)
            codes[i] = static_cast<qint16>(i % 200);
        const std::array<quint8, 11> output{0, 'W', 11, 12, 13, 14, 15, 16, 17, 18, 0};
        codes[30] = 300;
        codes[33] = -1;
        const auto bytes = WordListUpload::rowBytes(codes.data() + 30, output);
        // Byte 1 of the buffer still holds the "W" of the request; byte 4 the previous row's code.
        QCOMPARE(bytes, (std::array<quint8, 8>{'W', 31, 32, 13, 34, 35, 36, 37}));
    }

    void answeringNoSendsNothing() {
        VirtualTelvar telvar;
        QVERIFY(telvar.attach());
        Vocabulary vocabulary;
        FakePrompter prompter;
        prompter.answers.enqueue(false);
        const QByteArray before = telvar.device().wordMemory(0, kRows * 8);

        const Run run = runUpload(telvar, vocabulary, prompter);

        QCOMPARE(run.outcome.status, SequenceOutcome::Status::Declined);
        QCOMPARE(run.begun, 0);
        QVERIFY(run.statuses.isEmpty());
        QVERIFY(telvar.sent.isEmpty());
        QCOMPARE(telvar.device().wordMemory(0, kRows * 8), before);
    }

    void anotherSequenceStillRunningAfterTheAnswerRefuses() {
        VirtualTelvar telvar;
        QVERIFY(telvar.attach());
        const auto other = telvar.link.begin();
        Vocabulary vocabulary;
        FakePrompter prompter;

        const Run run = runUpload(telvar, vocabulary, prompter);

        // The box came first, so the other sequence was never held up by it.
        QCOMPARE(prompter.texts, QStringList{WordListUpload::confirmationText(0)});
        QCOMPARE(run.outcome.status, SequenceOutcome::Status::Busy);
        QCOMPARE(run.statuses, QStringList{DeviceLink::busyText()});
        QCOMPARE(run.begun, 0);
        QVERIFY(telvar.sent.isEmpty());
    }

    void aRefusedWriteStopsTheUploadAtOnce() {
        VirtualTelvar telvar;
        QVERIFY(telvar.attach());
        FaultSet faults; // the address and 50 rows go in, then the endpoint stalls
        faults.add(QStringLiteral("refuse-after:101"));
        telvar.device().setFaults(faults);
        Vocabulary vocabulary;
        FakePrompter prompter;

        const Run run = runUpload(telvar, vocabulary, prompter);

        QCOMPARE(run.outcome.status, SequenceOutcome::Status::Failed);
        QCOMPARE(run.statuses.last(),
                 QStringLiteral("Upload stopped at word #51: could not send to the Telvar X: "
                                "the device refused the report"));
        QCOMPARE(run.lastProgress, 50);
        // Nothing more was tried after the refusal.
        QCOMPARE(telvar.sent.size(), 102);
        QVERIFY(!telvar.link.sequenceRunning());
    }

    // Each way the device can stop answering ends the upload at the word it had reached, releases the
    // device for the next command and says where it stopped.
    void stopsCleanlyWhenTheDeviceStopsAnswering_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("reason");
        QTest::newRow("dropped W reply") << QStringLiteral("drop") << describe(WaitResult::TimedOut);
        QTest::newRow("unplugged") << QStringLiteral("unplug") << describe(WaitResult::Unplugged);
        QTest::newRow("cancelled") << QStringLiteral("cancel") << describe(WaitResult::Cancelled);
    }
    void stopsCleanlyWhenTheDeviceStopsAnswering() {
        QFETCH(QString, how);
        QFETCH(QString, reason);
        constexpr int kStopRow = 100;
        VirtualTelvar telvar;
        QVERIFY(telvar.attach());
        telvar.link.setDefaultReplyLimit(std::chrono::milliseconds(1000));
        Vocabulary vocabulary;
        FakePrompter prompter;

        // Reports: the address, then per row r the request (the (2 + 2r)th) and its data (the (3 + 2r)th).
        const Run run = runUpload(telvar, vocabulary, prompter, [&](WordListUpload& upload) {
            QObject::connect(&telvar.link, &DeviceLink::reportSent, &upload, [&] {
                const qsizetype count = telvar.sent.size();
                if (how == QLatin1String("drop") && count == 1 + 2 * kStopRow) {
                    FaultSet faults; // from the next request on
                    faults.add(QStringLiteral("drop:W"));
                    telvar.device().setFaults(faults);
                } else if (how == QLatin1String("unplug") && count == 2 + 2 * kStopRow) {
                    telvar.library.unplug();
                } else if (how == QLatin1String("cancel") && count == 2 + 2 * kStopRow) {
                    telvar.link.cancel();
                }
            });
        });

        QCOMPARE(run.outcome.status, SequenceOutcome::Status::Failed);
        const QString stopped =
            QStringLiteral("Upload stopped at word #%1: %2").arg(kStopRow + 1).arg(reason);
        QCOMPARE(run.statuses.last(), stopped);
        QVERIFY2(run.outcome.message.startsWith(stopped), qPrintable(run.outcome.message));
        QCOMPARE(run.lastProgress, kStopRow);
        QVERIFY(!telvar.link.sequenceRunning());
        if (how != QLatin1String("unplug")) {
            // The stopped row's write was completed, so the device takes the next report as a command.
            auto device = telvar.link.begin();
            QCOMPARE(QCoro::waitFor(device->command(Command::SetAddress, 8, 0)), WaitResult::Ok);
            QVERIFY(telvar::test::runUntil([&] { return telvar.device().address() == 8; }));
        }
    }
};

QTEST_GUILESS_MAIN(WordListUploadTest)
#include "WordListUploadTest.moc"
