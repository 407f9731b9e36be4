// SPDX-License-Identifier: GPL-3.0-or-later
// Runs one 24-second question-and-answer session against the virtual device (its wandering sensor, real
// timings), recorded as the window records it (the journal, on its own thread, and the sensor trace), and
// prints the CPU time the process used as a fraction of the wall time. A program that waits on timers and
// replies, rather than spinning, should stay well under 1 % of a core.
//
// Usage: session_idle_cpu [--window 6|12|24]

#include "device/DeviceLink.h"
#include "emulator/EmulatedLibrary.h"
#include "journal/SensorTrace.h"
#include "journal/SessionJournal.h"
#include "session/SessionController.h"
#include "vocab/BuiltinVocabulary.h"
#include "vocab/Vocabulary.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <ctime>

using namespace telvar;

namespace {

double cpuSeconds(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ResponseWindow window = ResponseWindow::Seconds24;
    const QStringList arguments = app.arguments();
    const qsizetype at = arguments.indexOf(QStringLiteral("--window"));
    if (at > 0 && at + 1 < arguments.size())
        window = static_cast<ResponseWindow>(arguments.at(at + 1).toInt());
    if (window != ResponseWindow::Seconds6 && window != ResponseWindow::Seconds12 &&
        window != ResponseWindow::Seconds24) {
        std::fprintf(stderr, "usage: session_idle_cpu [--window 6|12|24]\n");
        return 2;
    }

    QTemporaryDir logFolder;
    EmulatedLibrary library;
    DeviceLink link(library);
    Vocabulary vocabulary;
    vocabulary.setList1(builtin::words());
    SessionController session(link, vocabulary);
    session.log().setPath(QDir(logFolder.path()).filePath(QStringLiteral("log.qnx")));
    SessionJournal journal(QDir(logFolder.path()).filePath(QStringLiteral("sessions.db")));
    journal.follow(session);
    SensorTrace trace;
    trace.follow(session);

    QElapsedTimer wall;
    double processStart = 0;
    double threadStart = 0;
    QObject::connect(&link, &DeviceLink::plugged, &app, [&] {
        // Read notification comes with the "changed" notification right behind the arrival.
        QTimer::singleShot(0, &app, [&] {
            wall.start();
            processStart = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
            threadStart = cpuSeconds(CLOCK_THREAD_CPUTIME_ID);
            session.ask(QStringLiteral("Is anyone there?"), window);
        });
    });
    QObject::connect(&session, &SessionController::sessionEnded, &app, [&](const QString& answer) {
        const double seconds = static_cast<double>(wall.nsecsElapsed()) / 1e9;
        const double process = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - processStart;
        const double thread = cpuSeconds(CLOCK_THREAD_CPUTIME_ID) - threadStart;
        std::printf("answer:%s\n", qPrintable(answer));
        std::printf("wall time            %8.3f s\n", seconds);
        std::printf("process CPU time     %8.3f s  (%.3f %% of one core, virtual device included)\n", process,
                    100.0 * process / seconds);
        std::printf("GUI-thread CPU time  %8.3f s  (%.3f %% of one core)\n", thread,
                    100.0 * thread / seconds);
        QCoreApplication::quit();
    });
    link.hidattach();
    return app.exec();
}
