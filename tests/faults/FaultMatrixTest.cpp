// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/FakePrompter.h"
#include "support/VirtualTelvar.h"

#include "device/Commands.h"
#include "device/DeviceStep.h"
#include "device/Spinner.h"
#include "device/Timings.h"
#include "editor/SendCodes.h"
#include "session/SessionController.h"
#include "settings/AutoTune.h"
#include "settings/AvailabilityWrite.h"
#include "settings/DeviceInformationRead.h"
#include "settings/MaintenanceCommands.h"
#include "settings/ModeCommand.h"
#include "settings/RateSave.h"
#include "settings/SensitivitySave.h"
#include "settings/SettingsRead.h"
#include "settings/VoiceSequence.h"
#include "vocab/BuiltinVocabulary.h"
#include "vocab/LineFile.h"
#include "vocab/SayWord.h"
#include "vocab/UnitTransfer.h"
#include "vocab/Vocabulary.h"
#include "vocab/WordListFiles.h"
#include "vocab/WordListUpload.h"
#include "vocab/WordMemoryClearer.h"
#include "vocab/WordMemoryReader.h"

#include <QCoro/QCoroSignal>
#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <map>
#include <optional>

using namespace telvar;
using namespace std::chrono_literals;
using telvar::test::FakePrompter;
using telvar::test::VirtualTelvar;

namespace {

// The reply limit of every wait in the matrix, a reply well past it and one comfortably inside it.
constexpr auto kLimit = 200ms;
constexpr int kLateMs = 600;
constexpr int kInsideMs = 50;

// How one run of a sequence ended, whatever kind of sequence it was.
struct Ending {
    bool completed = false;
    QString message;
    static Ending of(const SequenceOutcome& outcome) { return {outcome.completed(), outcome.message}; }
};

// A virtual device, a link, and what the sequences need besides: a vocabulary, confirmations answered
// Yes, and a folder of word-list files that no sequence may change.
struct Bench {
    VirtualTelvar telvar;
    Vocabulary vocabulary;
    FakePrompter prompter;
    Spinner spinner;
    QTemporaryDir folder;    // the word-list files
    QTemporaryDir logFolder; // the session log

    DeviceLink& link() { return telvar.link; }
};

using Runner = std::function<QCoro::Task<Ending>(Bench&)>;

struct SequenceUnderTest {
    QString name;
    QList<char> awaited;     // the commands whose replies it waits for
    bool lastReportAnswered; // an unplug right after a last report that wants no reply fails nothing
    int divisor;             // how far its pauses are shortened
    Runner run;
    int reports = 0; // the reports of a clean run, when a clean run cannot count them
    // How long its replies may take when that is longer than the link's limit (before shortening).
    std::chrono::milliseconds replyLimit{0};
};

QCoro::Task<Ending> sessionPoll(Bench& bench) {
    // Word 5 is spoken with "A" and "S" once its pause is over; polls go on meanwhile, so an unplug after
    // the first few reports falls into that pause. The window is long enough for several polls.
    bench.telvar.script(QStringLiteral("5"));
    SessionController session(bench.link(), bench.vocabulary);
    session.log().setPath(QDir(bench.logFolder.path()).filePath(QStringLiteral("log.qnx")));
    QString told;
    QObject::connect(&session, &SessionController::problem, [&told](const QString& text) { told = text; });
    session.ask(QStringLiteral("Who?"), ResponseWindow::Seconds24);
    co_await qCoro(&session, &SessionController::sessionEnded);
    if (session.isTickRunning())
        co_await qCoro(&session, &SessionController::tickFinished);
    co_return Ending{!session.deviceProblem(), told};
}

QCoro::Task<Ending> raw(Bench& bench) {
    // What `telvarctl raw C 3 --reply` does.
    auto device = bench.link().begin();
    device->clearDataread();
    const std::array<quint8, 2> report{quint8(Command::ReadConfig), 3};
    WaitResult result = co_await device->data(report);
    if (result.ok())
        result = co_await device->waitReply();
    co_return Ending{result.ok(), result.ok() ? QString() : describeAt(result, deviceStep('C', 3))};
}

const QList<SequenceUnderTest>& sequences() {
    static const QList<SequenceUnderTest> all{
        {"upload",
         {'W'},
         false,
         100,
         [](Bench& b) -> QCoro::Task<Ending> {
             WordListUpload job(b.link(), b.vocabulary, b.prompter, b.spinner);
             co_return Ending::of(co_await job.run());
         }},
        {"read words spoken",
         {'C', 'R'},
         true,
         100,
         [](Bench& b) -> QCoro::Task<Ending> {
             WordMemoryReader job(b.link(), b.vocabulary, b.spinner);
             co_return Ending::of(co_await job.readWordsSpoken());
         }},
        {"read all words",
         {'R'},
         true,
         100,
         [](Bench& b) -> QCoro::Task<Ending> {
             WordMemoryReader job(b.link(), b.vocabulary, b.spinner);
             co_return Ending::of(co_await job.readAllWords());
         }},
        {"clear last word",
         {'B'},
         true,
         100,
         [](Bench& b) -> QCoro::Task<Ending> {
             WordMemoryClearer job(b.link());
             co_return Ending::of(co_await job.clearLastWord());
         }},
        {"clear stored memory",
         {'Y'},
         true,
         100,
         [](Bench& b) -> QCoro::Task<Ending> {
             WordMemoryClearer job(b.link());
             co_return Ending::of(co_await job.clearStoredMemory());
         }},
        {"say word",
         {'A'},
         false,
         100,
         [](Bench& b) -> QCoro::Task<Ending> {
             SayWord job(b.link());
             co_return Ending::of(co_await job.run(31, true));
         }},
        {"unit transfer",
         {'v'},
         true,
         4,
         [](Bench& b) -> QCoro::Task<Ending> {
             UnitTransfer job(b.link(), b.prompter, b.folder.path());
             co_return Ending::of(co_await job.run());
         },
         0,
         Timings::kUnitReplyLimit},
        {"mode command",
         {},
         false,
         100,
         [](Bench& b) -> QCoro::Task<Ending> {
             ModeCommand job(b.link());
             co_return Ending::of(co_await job.run(Command::PhoneticMode));
         }},
        {"availability write",
         {'B'},
         true,
         100,
         [](Bench& b) -> QCoro::Task<Ending> {
             AvailabilityWrite job(b.link());
             co_return Ending::of(co_await job.run(0x1f3));
         }},
        // The first tick's "D", "A" and "S" are the places to unplug; the session polls on after "S".
        {"session poll", {'D', 'A'}, true, 100, sessionPoll, 3},
        {"raw", {'C'}, true, 100, raw},
        {"settings read",
         {'C'},
         true,
         100,
         [](Bench& b) -> QCoro::Task<Ending> {
             SettingsRead job(b.link());
             co_return Ending::of(co_await job.run());
         }},
        {"sensitivity save",
         {},
         false,
         100,
         [](Bench& b) -> QCoro::Task<Ending> {
             SensitivitySave job(b.link());
             co_return Ending::of(co_await job.run(4, 173));
         }},
        {"voice save",
         {},
         false,
         100,
         [](Bench& b) -> QCoro::Task<Ending> {
             VoiceSequence job(b.link());
             co_return Ending::of(co_await job.save(VoiceSettings{90, 110, 88, 5}));
         }},
        {"rate save",
         {'B'},
         true,
         100,
         [](Bench& b) -> QCoro::Task<Ending> {
             RateSave job(b.link());
             co_return Ending::of(co_await job.run(300));
         }},
        {"auto-tune",
         {'D'},
         false,
         100,
         [](Bench& b) -> QCoro::Task<Ending> {
             AutoTune job(b.link());
             co_return Ending::of(co_await job.run(true));
         }},
        {"maintenance: firmware version",
         {'Z'},
         true,
         100,
         [](Bench& b) -> QCoro::Task<Ending> {
             MaintenanceCommands job(b.link(), b.prompter);
             co_return Ending::of(co_await job.firmwareVersion());
         }},
        {"maintenance: amplifier",
         {},
         false,
         100,
         [](Bench& b) -> QCoro::Task<Ending> {
             MaintenanceCommands job(b.link(), b.prompter);
             co_return Ending::of(co_await job.amplifier(false));
         }},
        {"device information read",
         {'Z', 'C'},
         true,
         100,
         [](Bench& b) -> QCoro::Task<Ending> {
             DeviceInformationRead job(b.link());
             co_return Ending::of(co_await job.run());
         }},
        {"editor SendCodes",
         {},
         false,
         100,
         [](Bench& b) -> QCoro::Task<Ending> {
             SendCodes job(b.link());
             co_return Ending::of(co_await job.run(QByteArray("\x80\x81\x82\x83", 4)));
         }},
    };
    return all;
}

enum class Fault { Drop, Late, Inside, UnplugAtStart, UnplugMidway, UnplugAtEnd };

QMap<QString, QByteArray> snapshot(const QString& folder) {
    QMap<QString, QByteArray> files;
    for (const QString& name : QDir(folder).entryList(QDir::Files)) {
        QFile file(QDir(folder).filePath(name));
        if (file.open(QIODevice::ReadOnly))
            files[name] = file.readAll();
    }
    return files;
}

// Runs the sequence to its end on the event loop; nothing if it has not ended after a generous while.
std::optional<Ending> runToEnd(const SequenceUnderTest& sequence, Bench& bench) {
    std::optional<Ending> ending;
    auto collect = [](const Runner& run, Bench& b, std::optional<Ending>& into) -> QCoro::Task<> {
        into = co_await run(b);
    };
    auto task = collect(sequence.run, bench, ending);
    test::runUntil([&] { return ending.has_value(); }, 120000);
    return ending;
}

} // namespace

// Every device sequence against every way the device can let it down: it ends, says so (naming the step
// where it can tell), leaves the word-list files alone and leaves the link ready for the next command.
class FaultMatrixTest : public QObject {
    Q_OBJECT

    // Reports a clean run of each sequence sends, to place the unplugs.
    std::map<int, int> m_reportCounts;

    std::unique_ptr<Bench> bench(const SequenceUnderTest& sequence) {
        Timings::setDivisor(sequence.divisor);
        auto made = std::make_unique<Bench>();
        made->vocabulary.setList1(builtin::words());
        made->vocabulary.setList3(builtin::words());
        QString error;
        const WordListFiles files(made->folder.path());
        LineFile::write(files.path(WordListFiles::kMainWords), {"ONE", "TWO", "THREE", "FOUR"}, &error);
        LineFile::write(files.path(WordListFiles::kMainCodes), {"\x80\x81", "\x82", "\x83", "\x84"}, &error);
        made->link().setDefaultReplyLimit(kLimit);
        made->telvar.device().setLatency(0ms); // the upload's 2055 round trips
        // The device's idle spells pass as fast as the program's shortened periods.
        made->telvar.device().setClock([clock = std::make_shared<QElapsedTimer>(QElapsedTimer())] {
            if (!clock->isValid())
                clock->start();
            return clock->elapsed() * Timings::divisor();
        });
        return made;
    }

    int reportCount(int index) {
        if (sequences().at(index).reports > 0)
            return sequences().at(index).reports;
        if (!m_reportCounts.contains(index)) {
            auto clean = bench(sequences().at(index));
            if (!clean->telvar.attach())
                return -1;
            const auto ending = runToEnd(sequences().at(index), *clean);
            m_reportCounts[index] = ending && ending->completed ? int(clean->telvar.sent.size()) : -1;
        }
        return m_reportCounts[index];
    }

private Q_SLOTS:
    void cleanupTestCase() { Timings::setDivisor(1); }

    void everySequenceEndsTidilyUnderEveryFault_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("fault");
        QTest::addColumn<char>("letter");
        for (int index = 0; index < sequences().size(); ++index) {
            const SequenceUnderTest& sequence = sequences().at(index);
            const QByteArray name = sequence.name.toUtf8();
            for (const char letter : sequence.awaited) {
                QTest::addRow("%s: %c dropped", name.data(), letter) << index << int(Fault::Drop) << letter;
                QTest::addRow("%s: %c late", name.data(), letter) << index << int(Fault::Late) << letter;
                QTest::addRow("%s: %c just in time", name.data(), letter)
                    << index << int(Fault::Inside) << letter;
            }
            QTest::addRow("%s: unplug at start", name.data()) << index << int(Fault::UnplugAtStart) << ' ';
            QTest::addRow("%s: unplug midway", name.data()) << index << int(Fault::UnplugMidway) << ' ';
            QTest::addRow("%s: unplug at end", name.data()) << index << int(Fault::UnplugAtEnd) << ' ';
        }
    }

    void everySequenceEndsTidilyUnderEveryFault() {
        QFETCH(int, index);
        QFETCH(int, fault);
        QFETCH(char, letter);
        const SequenceUnderTest& sequence = sequences().at(index);
        const auto kind = static_cast<Fault>(fault);

        int unplugAfter = 0;
        bool completes = false;
        if (kind == Fault::UnplugAtStart || kind == Fault::UnplugMidway || kind == Fault::UnplugAtEnd) {
            const int reports = reportCount(index);
            QVERIFY2(reports > 0, "the sequence does not complete on a sound device");
            unplugAfter = kind == Fault::UnplugAtStart  ? 1
                          : kind == Fault::UnplugMidway ? (reports + 1) / 2
                                                        : reports;
            // The device took every report; only a reply it owed is missing.
            completes = unplugAfter == reports && !sequence.lastReportAnswered;
        } else {
            completes = kind == Fault::Inside;
        }

        auto made = bench(sequence);
        Bench& b = *made;
        QVERIFY(b.telvar.attach());
        const auto filesBefore = snapshot(b.folder.path());

        switch (kind) {
        case Fault::Drop:
            b.telvar.fault(QStringLiteral("drop:%1").arg(letter));
            break;
        case Fault::Late:
            b.telvar.fault(
                QStringLiteral("delay:%1:%2")
                    .arg(letter)
                    .arg(std::max(kLimit, Timings::scaled(sequence.replyLimit)).count() + kLateMs));
            break;
        case Fault::Inside:
            // The first reply to the command comes late, the rest on time, so that long sequences stay short.
            b.telvar.fault(QStringLiteral("delay:%1:%2").arg(letter).arg(kInsideMs));
            connect(&b.link(), &DeviceLink::reportSent, &b.link(), [&b, letter](const auto& report) {
                if (report[1] != quint8(letter))
                    return;
                connect(
                    &b.link(), &DeviceLink::reportReceived, &b.link(),
                    [&b] { b.telvar.device().setFaults(FaultSet()); }, Qt::SingleShotConnection);
            });
            break;
        default:
            b.telvar.fault(QStringLiteral("unplug-after:%1").arg(unplugAfter));
            break;
        }

        const std::optional<Ending> ending = runToEnd(sequence, b);
        QVERIFY2(ending, "the sequence did not end");
        QVERIFY2(ending->completed == completes,
                 qPrintable(QStringLiteral("completed %1: %2").arg(ending->completed).arg(ending->message)));
        if (!completes) {
            static const QRegularExpression step(
                QStringLiteral(R"("."|\b(word|entry|pass) #? ?\d+|after \d+ of \d+ codes)"));
            QVERIFY2(step.match(ending->message).hasMatch(), qPrintable(ending->message));
            // The kind of failure: a reply that never came is not a device that left.
            const bool silent = kind == Fault::Drop || kind == Fault::Late;
            QVERIFY2(ending->message.contains(silent ? QStringLiteral("no reply")
                                                     : QStringLiteral("not connected")),
                     qPrintable(ending->message));
        }
        QCOMPARE(snapshot(b.folder.path()), filesBefore);

        // The next command works: on the same link, once the device is back and sound.
        QVERIFY(!b.link().sequenceRunning());
        b.telvar.device().setFaults(FaultSet());
        // A device that left after a last report nobody waited on may not have been announced yet.
        QVERIFY(
            QTest::qWaitFor([&] { return b.link().isAttached() == b.telvar.library.isPlugged(); }, 10000));
        if (!b.link().isAttached()) {
            b.telvar.library.plug();
            QVERIFY(QTest::qWaitFor([&] { return b.link().isAttached(); }, 10000));
        }
        auto next = b.link().begin();
        QVERIFY(next);
        QCOMPARE(QCoro::waitFor(next->request(Command::ReadConfig, 0)).kind(), WaitResult::Ok);
    }
};

QTEST_GUILESS_MAIN(FaultMatrixTest)
#include "FaultMatrixTest.moc"
