// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SingleInstance.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

#include <map>
#include <memory>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// telvar processes that share one user's runtime folder, settings and data, all in a temporary folder.
class Starts {
public:
    Starts() {
        // The runtime folder must be the user's alone, or Qt will not use it.
        QFile::setPermissions(m_runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    std::unique_ptr<QProcess> start(const QStringList& arguments) {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.filePath(QStringLiteral("config")));
        environment.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("telvar.app.info=true"));
        process->setProcessEnvironment(environment);
        process->setWorkingDirectory(m_home.path()); // the session log goes here
        process->start(QStringLiteral(TELVAR_PATH),
                       QStringList{QStringLiteral("--data-dir"), m_home.path()} + arguments);
        return process;
    }

    QString socketPath() const { return QDir(m_runtime.path()).filePath(QStringLiteral("telvar.socket")); }
    // Whether the first start listens for later ones.
    bool listening() const { return QFile::exists(socketPath()); }
    // How many windows listen, one per device when several are attached.
    qsizetype windows() const {
        return QDir(m_runtime.path())
            .entryList({QStringLiteral("telvar*.socket")}, QDir::System | QDir::Files)
            .size();
    }

    // A start that should end by itself: its exit status and what it said.
    std::pair<int, QString> finish(const QStringList& arguments) {
        auto process = start(arguments);
        if (!process->waitForFinished(60000))
            return {-1, QStringLiteral("did not end")};
        return {process->exitCode(), QString::fromLocal8Bit(process->readAllStandardError())};
    }

private:
    QTemporaryDir m_runtime;
    QTemporaryDir m_home;
};

// Whether the process has said `text` on stderr by now; what it said is kept in `said`.
bool hasSaid(QProcess& process, QByteArray& said, const char* text) {
    said += process.readAllStandardError();
    return said.contains(text);
}

void stop(QProcess& process) {
    process.terminate();
    if (!process.waitForFinished(30000))
        process.kill();
    process.waitForFinished();
}

} // namespace

class SingleInstanceTest : public QObject {
    Q_OBJECT
private slots:
    void aSecondStartRaisesTheFirstAndLeaves();
    void aStartTheOtherWayIsToldWhyItCannotRun_data();
    void aStartTheOtherWayIsToldWhyItCannotRun();
    void aCopyThatDiedLeavesNothingInTheWay();
    void oneWindowPerDevice_data();
    void oneWindowPerDevice();
    void aStartOnOneStateFileFindsItsWindowAmongSeveral();
    void onlyARegularFileIsTheWindowsLock_data();
    void onlyARegularFileIsTheWindowsLock();
};

void SingleInstanceTest::aSecondStartRaisesTheFirstAndLeaves() {
    Starts starts;
    auto first = starts.start({QStringLiteral("--simulate")});
    QVERIFY(first->waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(starts.listening(), 60000);

    const auto [status, said] = starts.finish({QStringLiteral("--simulate")});
    QCOMPARE(status, 0);
    QVERIFY2(said.contains(QStringLiteral("already running")), qPrintable(said));
    QByteArray firstSaid;
    QTRY_VERIFY_WITH_TIMEOUT(hasSaid(*first, firstSaid, "another start asked for the window"), 30000);
    QCOMPARE(first->state(), QProcess::Running);
    stop(*first);
}

void SingleInstanceTest::aStartTheOtherWayIsToldWhyItCannotRun_data() {
    QTest::addColumn<QStringList>("first"); // how the running copy was started
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("told");
    const QStringList memory{QStringLiteral("--simulate")};
    // This start wants the real device, which the running copy does not use.
    QTest::newRow("without --simulate") << memory << QStringList{} << "virtual Telvar X";
    // The running copy keeps its virtual device's state elsewhere.
    QTest::newRow("another state file")
        << memory << QStringList{QStringLiteral("--simulate=other.json")} << "other.json was not used";
    // The running copy's device is kept in a file; this start wants one that is forgotten at the end.
    QTest::newRow("no state file")
        << QStringList{QStringLiteral("--simulate=a.json")} << memory
        << "a.json; quit it first to use a virtual Telvar X that keeps its state in memory";
}

void SingleInstanceTest::aStartTheOtherWayIsToldWhyItCannotRun() {
    QFETCH(QStringList, first);
    QFETCH(QStringList, arguments);
    QFETCH(QString, told);
    Starts starts;
    auto running = starts.start(first);
    QVERIFY(running->waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(starts.listening(), 60000);

    const auto [status, said] = starts.finish(arguments);
    QCOMPARE(status, 1);
    QVERIFY2(said.contains(told), qPrintable(said));
    QVERIFY(!running->readAllStandardError().contains("another start asked for the window"));
    QCOMPARE(running->state(), QProcess::Running);
    stop(*running);
}

void SingleInstanceTest::aCopyThatDiedLeavesNothingInTheWay() {
    Starts starts;
    auto first = starts.start({QStringLiteral("--simulate")});
    QVERIFY(first->waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(starts.listening(), 60000);
    const QDateTime oldSocket = QFileInfo(starts.socketPath()).lastModified();
    first->kill(); // no chance to remove its lock or its socket
    first->waitForFinished();

    auto next = starts.start({QStringLiteral("--simulate")});
    QVERIFY(next->waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(starts.socketPath()).lastModified() != oldSocket, 60000);
    // It runs on instead of reporting the dead copy, and answers later starts itself.
    const auto [status, said] = starts.finish({QStringLiteral("--simulate")});
    QCOMPARE(status, 0);
    QCOMPARE(next->state(), QProcess::Running);
    QByteArray nextSaid;
    QTRY_VERIFY_WITH_TIMEOUT(hasSaid(*next, nextSaid, "another start asked for the window"), 30000);
    stop(*next);
}

void SingleInstanceTest::oneWindowPerDevice_data() {
    QTest::addColumn<QStringList>("device"); // the later start's choice
    QTest::addColumn<bool>("newWindow");     // false: the first window comes forward instead
    QTest::newRow("the device the window holds") << QStringList{"--device", "a.json"} << false;
    QTest::newRow("no device named") << QStringList{} << false;
    QTest::newRow("another device") << QStringList{"--device", "b.json"} << true;
}

void SingleInstanceTest::oneWindowPerDevice() {
    QFETCH(QStringList, device);
    QFETCH(bool, newWindow);
    const QStringList twoDevices{QStringLiteral("--simulate=a.json"), QStringLiteral("--simulate=b.json")};
    Starts starts;
    auto first = starts.start(twoDevices + QStringList{QStringLiteral("--device"), QStringLiteral("a.json")});
    QVERIFY(first->waitForStarted());
    QTRY_COMPARE_WITH_TIMEOUT(starts.windows(), 1, 60000);

    if (!newWindow) {
        const auto [status, said] = starts.finish(twoDevices + device);
        QCOMPARE(status, 0);
        QVERIFY2(said.contains(QStringLiteral("already running")), qPrintable(said));
        QByteArray firstSaid;
        QTRY_VERIFY_WITH_TIMEOUT(hasSaid(*first, firstSaid, "another start asked for the window"), 30000);
    } else {
        auto second = starts.start(twoDevices + device);
        QVERIFY(second->waitForStarted());
        QTRY_COMPARE_WITH_TIMEOUT(starts.windows(), 2, 60000);
        QCOMPARE(second->state(), QProcess::Running);
        QVERIFY(!first->readAllStandardError().contains("another start asked for the window"));
        stop(*second);
    }
    QCOMPARE(first->state(), QProcess::Running);
    stop(*first);
}

void SingleInstanceTest::aStartOnOneStateFileFindsItsWindowAmongSeveral() {
    const QStringList twoDevices{QStringLiteral("--simulate=a.json"), QStringLiteral("--simulate=b.json")};
    Starts starts;
    std::map<QString, std::unique_ptr<QProcess>> windows;
    for (const QString& file : {QStringLiteral("a.json"), QStringLiteral("b.json")}) {
        windows[file] = starts.start(twoDevices + QStringList{QStringLiteral("--device"), file});
        QVERIFY(windows[file]->waitForStarted());
        QTRY_COMPARE_WITH_TIMEOUT(starts.windows(), qsizetype(windows.size()), 60000);
    }
    // Both: whichever window is asked first, the other one's answer must not end the start.
    for (const auto& [file, window] : windows) {
        const auto [status, said] = starts.finish({QStringLiteral("--simulate=") + file});
        QVERIFY2(status == 0, qPrintable(said));
        QByteArray windowSaid;
        QTRY_VERIFY_WITH_TIMEOUT(hasSaid(*window, windowSaid, "another start asked for the window"), 30000);
    }
    for (const auto& [file, window] : windows)
        stop(*window);
}

void SingleInstanceTest::onlyARegularFileIsTheWindowsLock_data() {
    QTest::addColumn<QString>("kind"); // all but the stale lock are refused, and left as they are
    for (const char* kind : {"stale lock of a dead copy", "FIFO", "folder", "symlink", "socket"})
        QTest::newRow(kind) << QString::fromLatin1(kind);
}

void SingleInstanceTest::onlyARegularFileIsTheWindowsLock() {
    QFETCH(QString, kind);
    QTemporaryDir runtime;
    QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    const QByteArray lock = QFile::encodeName(runtime.filePath(QStringLiteral("telvar.lock")));
    const QByteArray target = QFile::encodeName(runtime.filePath(QStringLiteral("target")));
    const bool stale = kind.startsWith(QLatin1String("stale"));
    QFile file(QFile::decodeName(stale ? lock : target));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("4194303\ntelvar\nelsewhere\n"); // a process id no system hands out
    file.close();
    sockaddr_un address{AF_UNIX, {}};
    qstrncpy(address.sun_path, lock.constData(), sizeof address.sun_path);
    const int listener = kind == QStringLiteral("socket") ? ::socket(AF_UNIX, SOCK_STREAM, 0) : -1;
    QVERIFY(kind != QStringLiteral("FIFO") || ::mkfifo(lock.constData(), 0600) == 0);
    QVERIFY(kind != QStringLiteral("folder") || ::mkdir(lock.constData(), 0700) == 0);
    QVERIFY(kind != QStringLiteral("symlink") || ::symlink(target.constData(), lock.constData()) == 0);
    QVERIFY(listener < 0 || ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0);
    struct stat before {};
    struct stat after {};
    QCOMPARE(::lstat(lock.constData(), &before), 0);
    QString message;
    const auto outcome = telvar::SingleInstance(true).start(&message);
    if (listener >= 0)
        ::close(listener);
    QCOMPARE(outcome,
             stale ? telvar::SingleInstance::Outcome::First : telvar::SingleInstance::Outcome::Refused);
    QVERIFY2(stale || message.contains(QLatin1String("not a lock file")), qPrintable(message));
    QVERIFY(stale || (::lstat(lock.constData(), &after) == 0 && after.st_ino == before.st_ino));
    // What a link leads to is untouched.
    QVERIFY(stale || (file.open(QIODevice::ReadOnly) && file.readAll().startsWith("4194303")));
}

QTEST_GUILESS_MAIN(SingleInstanceTest)
#include "SingleInstanceTest.moc"
