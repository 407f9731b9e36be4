// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliContext.h"
#include "cli/Verb.h"
#include "device/ScreenAction.h"
#include "emulator/EmulatedLibrary.h"
#include "support/FakeScreenHost.h"

#include <QCoro/QCoroTimer>
#include <QTest>

#include <new>
#include <stdexcept>

using namespace telvar;
using namespace std::chrono_literals;

namespace {

// Fails after its first wait, as a job does when something deep inside it throws.
QCoro::Task<> failingJob(std::exception_ptr error) {
    co_await QCoro::sleepFor(0ms);
    std::rethrow_exception(error);
}

cli::Verb verbThat(std::exception_ptr error) {
    return {QStringLiteral("boom"), {}, {}, [error](cli::CliContext&, QStringList) -> QCoro::Task<int> {
                co_await QCoro::sleepFor(0ms);
                if (error)
                    std::rethrow_exception(error);
                co_return cli::kExitOk;
            }};
}

} // namespace

// An exception inside a job nobody awaits (a click's coroutine, a telvarctl verb) used to stay inside its
// detached task: the program idled with no word. These check it comes out as a message and a status.
class EscapedExceptionTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void detachedJobReportsWhatEndedIt_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("expected");
        QTest::newRow("out of memory") << 0 << "out of memory";
        QTest::newRow("standard exception") << 1 << "disk on fire";
        QTest::newRow("anything else") << 2 << "an unexpected error";
    }
    void detachedJobReportsWhatEndedIt() {
        QFETCH(int, kind);
        QFETCH(QString, expected);
        const std::exception_ptr error = kind == 0 ? std::make_exception_ptr(std::bad_alloc())
                                         : kind == 1
                                             ? std::make_exception_ptr(std::runtime_error("disk on fire"))
                                             : std::make_exception_ptr(42);
        QStringList reports;
        QCoro::waitFor(runReported(failingJob(error), [&](const QString& text) { reports << text; }));
        QCOMPARE(reports, QStringList{expected});

        // A screen's job: the title bar says it and the please-wait frame it put up comes down.
        EmulatedLibrary library;
        DeviceLink link(library);
        test::FakeScreenHost host(link);
        host.setPleaseWaitVisible(true);
        runScreenAction(host, failingJob(error));
        QTRY_VERIFY(!host.statuses.isEmpty());
        QVERIFY2(host.statuses.last().contains(expected), qPrintable(host.statuses.last()));
        QVERIFY(!host.pleaseWaitVisible);
    }

    void jobThatEndsWellReportsNothing() {
        QStringList reports;
        QCoro::waitFor(runReported(QCoro::sleepFor(0ms), [&](const QString& text) { reports << text; }));
        QVERIFY(reports.isEmpty());
    }

    void verbThatThrowsFailsWithItsName() {
        QString out;
        QString err;
        QTextStream outStream(&out);
        QTextStream errStream(&err);
        cli::CliContext context({}, outStream, errStream);
        QCOMPARE(
            QCoro::waitFor(cli::runGuarded(verbThat(std::make_exception_ptr(std::bad_alloc())), context, {})),
            cli::kExitFailure);
        QCOMPARE(err, QStringLiteral("telvarctl: boom: out of memory\n"));

        err.clear();
        QCOMPARE(QCoro::waitFor(cli::runGuarded(verbThat(nullptr), context, {})), cli::kExitOk);
        QVERIFY(err.isEmpty());
    }
};

QTEST_GUILESS_MAIN(EscapedExceptionTest)
#include "EscapedExceptionTest.moc"
