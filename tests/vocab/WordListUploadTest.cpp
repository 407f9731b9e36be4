// SPDX-License-Identifier: GPL-3.0-or-later
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
    // device for the next command and says exactly which words the device now holds: a word whose data
    // report went out is loaded, whether or not its "W" was answered.
    void stopsCleanlyWhenTheDeviceStopsAnswering_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("atReport"); // the reports sent (or, for a fault, taken) before it strikes
        QTest::addColumn<QString>("stopped");
        QTest::addColumn<int>("loaded");
        // Reports: the address, then per row r the request (the (2 + 2r)th) and its data (the (3 + 2r)th).
        const QString noReply = describe(WaitResult::TimedOut);
        const QString gone = describe(WaitResult::Unplugged);
        const QString cancelled = describe(WaitResult::Cancelled);
        QTest::newRow("W dropped at word 0") << "drop" << 1 << "Upload stopped after word #1: " + noReply << 1;
        QTest::newRow("W dropped at word 100")
            << "drop" << 1 + 2 * 100 << "Upload stopped after word #101: " + noReply << 101;
        QTest::newRow("cancel while W of word 100 waits")
            << "cancel" << 2 + 2 * 100 << "Upload stopped after word #101: " + cancelled << 101;
        QTest::newRow("cancel in the pause after word 100")
            << "cancel" << 3 + 2 * 100 << "Upload stopped after word #101: " + cancelled << 101;
        QTest::newRow("unplug after word 100")
            << "unplug-after" << 3 + 2 * 100 << "Upload stopped after word #101: " + gone << 101;
        QTest::newRow("unplug before the data of word 100")
            << "unplug-after" << 2 + 2 * 100 << "Upload stopped at word #101: " + gone << 100;
        QTest::newRow("unplug before word 0")
            << "unplug-after" << 1 << "Upload stopped at word #1: " + gone << 0;
        // The last word's data went out: the whole table is on the device.
        QTest::newRow("cancel while W of the last word waits")
            << "cancel" << 2 + 2 * (kRows - 1) << "Upload Complete" << kRows;
    }
    void stopsCleanlyWhenTheDeviceStopsAnswering() {
        QFETCH(QString, how);
        QFETCH(int, atReport);
        QFETCH(QString, stopped);
        QFETCH(int, loaded);
        VirtualTelvar telvar;
        QVERIFY(telvar.attach());
        fillWordMemory(telvar.device(), '\xAA'); // the empty vocabulary below writes zeros
        telvar.link.setDefaultReplyLimit(std::chrono::milliseconds(1000));
        if (how == QLatin1String("unplug-after"))
            telvar.fault(QStringLiteral("unplug-after:%1").arg(atReport));
        Vocabulary vocabulary;
        FakePrompter prompter;

        const Run run = runUpload(telvar, vocabulary, prompter, [&](WordListUpload& upload) {
            QObject::connect(&telvar.link, &DeviceLink::reportSent, &upload, [&] {
                if (telvar.sent.size() != atReport)
                    return;
                if (how == QLatin1String("drop"))
                    telvar.fault(QStringLiteral("drop:W")); // from the next request on
                else if (how == QLatin1String("cancel"))
                    telvar.link.cancel();
            });
        });

        QCOMPARE(run.statuses.last(), stopped);
        // What the message says is what the device holds.
        QCOMPARE(telvar.device().wordMemory(0, 8 * loaded), QByteArray(8 * loaded, '\0'));
        QVERIFY(!telvar.link.sequenceRunning());
        if (loaded == kRows) {
            QVERIFY(run.outcome.completed());
            return;
        }
        QCOMPARE(run.outcome.status, SequenceOutcome::Status::Failed);
        const QString held =
            loaded == 0 ? QStringLiteral("No word is loaded, the device's words are as they were")
            : loaded == 1
                ? QStringLiteral("Word #1 is loaded, the rest are as they were")
                : QStringLiteral("Words #1 to #%1 are loaded, the rest are as they were").arg(loaded);
        QCOMPARE(run.outcome.message,
                 stopped + ".\n" + held + ": run Re-Load Word List again to load them all.");
        QCOMPARE(telvar.device().wordMemory(8 * loaded, 8), QByteArray(8, '\xAA'));
        if (how != QLatin1String("unplug-after")) {
            // The stopped row's write was completed, so the device takes the next report as a command.
            auto device = telvar.link.begin();
            QCOMPARE(QCoro::waitFor(device->command(Command::SetAddress, 8, 0)), WaitResult::Ok);
            QVERIFY(telvar::test::runUntil([&] { return telvar.device().address() == 8; }));
        }
    }
};

QTEST_GUILESS_MAIN(WordListUploadTest)
#include "WordListUploadTest.moc"
