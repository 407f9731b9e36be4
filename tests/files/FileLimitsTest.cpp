// SPDX-License-Identifier: GPL-3.0-or-later
// The file layer at the machine's limits: a disk that takes no more, outputs aimed at the program's own
// files, and lock or log paths that are not regular files.
#include "files/FolderLock.h"
#include "files/IdentityLock.h"
#include "files/NodeLock.h"
#include "files/OutputTarget.h"
#include "files/OwnFiles.h"
#include "files/PairCommit.h"
#include "files/ProcessLock.h"
#include "files/ReplaceFile.h"
#include "journal/JournalStore.h"
#include "session/ProgramFiles.h"
#include "session/SessionLogFile.h"
#include "session/SessionLogWriter.h"
#include "support/FileSizeLimit.h"
#include "support/ScratchFolder.h"

#include <QDir>
#include <QSysInfo>
#include <QTest>

#include <cerrno>
#include <cstring>
#include <functional>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace telvar;
using namespace std::chrono_literals;

namespace {

using Writer = std::function<bool(const QString& folder, const QByteArray& data, QString* error)>;

const QByteArray kOld = "OLD\r\n";

// Makes a FIFO, a character device (only where the tests may), a folder or a link at `path`; false
// when this kind cannot be made here.
bool makeOdd(const QString& kind, const QString& path, const QString& linkTarget = {}) {
    const QByteArray name = QFile::encodeName(path);
    if (kind == QLatin1String("fifo"))
        return ::mkfifo(name.constData(), 0600) == 0;
    if (kind == QLatin1String("device"))
        return ::mknod(name.constData(), S_IFCHR | 0600, makedev(1, 3)) == 0;
    if (kind == QLatin1String("folder"))
        return QDir().mkdir(path);
    return QFile::link(linkTarget, path);
}

mode_t typeOf(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & S_IFMT : 0;
}

} // namespace

class FileLimitsTest : public QObject, test::ScratchFolder {
    Q_OBJECT

    QStringList files() const {
        return QDir(m_folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);
    }

private Q_SLOTS:
    void init() {
        QVERIFY(clearFolder());
        ownfiles::clear();
    }

    // A write the disk refuses, whether at once or after part of the data, keeps the old file whole,
    // leaves no temporary file and says the system's reason.
    void aFullDiskKeepsTheOldFile_data() {
        QTest::addColumn<Writer>("writer");
        QTest::addColumn<int>("size");  // of the new content
        QTest::addColumn<int>("limit"); // the most any file may hold
        const Writer replace = [](const QString& folder, const QByteArray& data, QString* error) {
            return replaceFile(folder + QStringLiteral("/out"), data, error);
        };
        const Writer output = [](const QString& folder, const QByteArray& data, QString* error) {
            return writeOutputTarget(folder + QStringLiteral("/out"), data, error);
        };
        const Writer pair = [](const QString& folder, const QByteArray& data, QString* error) {
            return PairCommit(folder, QStringLiteral("out"), QStringLiteral("other"))
                .replace(data, data.left(3), error);
        };
        // Under the size of a write buffer: the case a buffered writer only sees failing at its flush.
        QTest::newRow("replace, small") << replace << 200 << 16;
        QTest::newRow("replace, partly written") << replace << 200'000 << 65'536;
        QTest::newRow("output, small") << output << 200 << 16;
        QTest::newRow("pair, small") << pair << 200 << 16;
        QTest::newRow("pair, partly written") << pair << 200'000 << 65'536;
    }
    void aFullDiskKeepsTheOldFile() {
        QFETCH(Writer, writer);
        QFETCH(int, size);
        QFETCH(int, limit);
        put("out", kOld);
        put("other", kOld);
        const QStringList before = files();
        QString error;
        bool written = true;
        {
            const test::FileSizeLimit full{rlim_t(limit)};
            written = writer(m_folder.path(), QByteArray(size, 'n'), &error);
        }
        QVERIFY(!written);
        QVERIFY2(error.contains(QString::fromLocal8Bit(std::strerror(EFBIG))), qPrintable(error));
        QCOMPARE(contentOf("out"), kOld);
        QCOMPARE(contentOf("other"), kOld);
        QCOMPARE(files(), before);
    }

    // An output aimed at a file the program keeps, by any name that leads to it, is refused and the file
    // stays as it was; any other file is written.
    void theProgramsOwnFilesAreNoOutput_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("refused");
        QTest::newRow("journal") << "sessions.db" << true;
        QTest::newRow("journal through a link") << "link-to-journal" << true;
        QTest::newRow("journal's lock") << "sessions.db.lock" << true;
        QTest::newRow("journal's running sessions") << "sessions.db.running" << true;
        QTest::newRow("state file by another name") << "data/../device.json" << true;
        QTest::newRow("session log") << "log.qnx" << true;
        QTest::newRow("word file") << "data/mainw.txt" << true;
        QTest::newRow("pending pair, not there yet") << "data/tempw.txt+tempph.txt.pending" << true;
        QTest::newRow("dictionary") << "data/words.dic" << true;
        QTest::newRow("second state file, not there yet") << "second.json" << true;
        QTest::newRow("second state file's lock") << "second.json.lock" << true;
        // Links to files the program is yet to make: a writer following them would make that file.
        QTest::newRow("dangling link to the journal's -journal") << "to-rollback" << true;
        QTest::newRow("dangling link to the journal's lock") << "to-journal-lock" << true;
        QTest::newRow("dangling link to a pending pair") << "to-pending" << true;
        QTest::newRow("dangling link to a state file's lock") << "to-state-lock" << true;
        QTest::newRow("chain of dangling links") << "to-to-wal" << true;
        QTest::newRow("dangling link elsewhere") << "to-nowhere" << false;
        QTest::newRow("a file of the user's") << "export.json" << false;
    }
    void theProgramsOwnFilesAreNoOutput() {
        QFETCH(QString, target);
        QFETCH(bool, refused);
        const QString folder = m_folder.path();
        QVERIFY(QDir().mkpath(path("data")));
        for (const char* name : {"sessions.db", "device.json", "log.qnx", "data/mainw.txt", "data/words.dic"})
            put(name, kOld);
        QVERIFY(QFile::link(path("sessions.db"), path("link-to-journal")));
        const std::pair<const char*, const char*> links[] = {
            {"to-rollback", "sessions.db-journal"},
            {"to-journal-lock", "sessions.db.lock"},
            {"to-pending", "data/tempw.txt+tempph.txt.pending"},
            {"to-state-lock", "device.json.lock"},
            {"to-to-wal", "to-wal"},
            {"to-wal", "sessions.db-wal"},
            {"to-nowhere", "nowhere.csv"},
        };
        // Relative, as a user would make them: they lead on from the folder they lie in.
        for (const auto& [link, to] : links)
            QVERIFY(::symlink(to, QFile::encodeName(path(link)).constData()) == 0);
        const QString current = QDir::currentPath();
        QVERIFY(QDir::setCurrent(folder)); // where the session log lies
        guardProgramFiles({path("sessions.db"),
                           {path("device.json"), path("second.json")},
                           path("data"),
                           path("data/words.dic")});
        QString checkError;
        const bool checked = checkOutputTarget(target, &checkError);
        QString error;
        const bool written = writeOutputTarget(target, "new", &error);
        QDir::setCurrent(current);
        QCOMPARE(written, !refused);
        QCOMPARE(checked, !refused);
        if (refused) {
            QVERIFY2(error.contains(QLatin1String("which this program keeps")), qPrintable(error));
            QCOMPARE(checkError, error);
        }
        for (const char* name : {"sessions.db", "device.json", "log.qnx", "data/mainw.txt", "data/words.dic"})
            QCOMPARE(contentOf(name), kOld);
        for (const char* made :
             {"data/tempw.txt+tempph.txt.pending", "sessions.db.lock", "sessions.db-journal",
              "sessions.db-wal", "device.json.lock", "second.json", "second.json.lock"})
            QVERIFY2(!QFileInfo::exists(path(made)), made);
    }

    // A file is the same file, or another, by what it is and never by how its name is spelled: the
    // state file's lock, the output guard and the journal's opener agree on every way of reaching it.
    // The lock is held by a locker of ours, so a lock that two of ours could share fails here too.
    void aFileIsKnownByWhatItIs_data() {
        QTest::addColumn<QString>("spelled");
        QTest::addColumn<bool>("same");
        QTest::newRow("its name") << "name" << true;
        QTest::newRow("relative path") << "relative" << true;
        QTest::newRow("./ spelling") << "dot" << true;
        QTest::newRow("// spelling") << "double slash" << true;
        QTest::newRow("symbolic link") << "link" << true;
        QTest::newRow("link to its folder") << "folder link" << true;
        QTest::newRow("hard link") << "hard link" << true;
        QTest::newRow("dangling link to a state file not made yet") << "dangling" << true;
        // The holder saves to the place, whatever file lies there now.
        QTest::newRow("deleted and made anew") << "made anew" << true;
        // The holder's save renamed a new file into place; the old one, still linked, is another file.
        QTest::newRow("hard link after the holder's save") << "hard link, saved" << false;
        QTest::newRow("a copy") << "copy" << false;
        QTest::newRow("a name not there yet") << "new name" << false;
    }
    void aFileIsKnownByWhatItIs() {
        QFETCH(QString, spelled);
        QFETCH(bool, same);
        const QString folder = m_folder.path();
        put("real.json", kOld);
        guardProgramFiles({{}, {path("real.json"), path("later.json")}, {}, {}});
        IdentityLock holder(path("real.json"));
        IdentityLock laterHolder(path("later.json"));
        QCOMPARE(holder.acquire(0ms), ProcessLock::Outcome::Held);
        QCOMPARE(laterHolder.acquire(0ms), ProcessLock::Outcome::Held);

        QString target = path("real.json");
        const QByteArray real = QFile::encodeName(path("real.json"));
        const QByteArray other = QFile::encodeName(path("other.json"));
        if (spelled == QLatin1String("relative")) {
            target = QStringLiteral("real.json");
        } else if (spelled == QLatin1String("dot")) {
            target = folder + QStringLiteral("/./real.json");
        } else if (spelled == QLatin1String("double slash")) {
            target = folder + QStringLiteral("//real.json");
        } else if (spelled == QLatin1String("link")) {
            QVERIFY(::symlink("real.json", other.constData()) == 0);
            target = path("other.json");
        } else if (spelled == QLatin1String("folder link")) {
            QVERIFY(QFile::link(folder, path("alias")));
            target = path("alias/real.json");
        } else if (spelled == QLatin1String("hard link") || spelled == QLatin1String("hard link, saved")) {
            QVERIFY(::link(real.constData(), other.constData()) == 0);
            target = path("other.json");
            if (!same) {
                QVERIFY(replaceFile(path("real.json"), kOld, nullptr));
                holder.follow();
            }
        } else if (spelled == QLatin1String("dangling")) {
            QVERIFY(::symlink("later.json", other.constData()) == 0);
            target = path("other.json");
        } else if (spelled == QLatin1String("made anew")) {
            QVERIFY(QFile::remove(path("real.json")));
            put("real.json", kOld);
        } else if (spelled == QLatin1String("copy")) {
            put("other.json", kOld);
            target = path("other.json");
        } else if (spelled == QLatin1String("new name")) {
            target = path("other.json");
        }
        const QString current = QDir::currentPath();
        QVERIFY(QDir::setCurrent(folder));
        const QString role = QStringLiteral("the virtual device's state file");

        IdentityLock contender(target);
        const ProcessLock::Outcome locked = contender.acquire(0ms);
        contender.release();
        QString outputError;
        const bool written = writeOutputTarget(target, "new", &outputError);
        JournalStore journal;
        const bool journalOpened = journal.open(target);
        QDir::setCurrent(current);

        QCOMPARE(locked, same ? ProcessLock::Outcome::HeldByOther : ProcessLock::Outcome::Held);
        if (same) {
            QVERIFY2(contender.holder().contains(QStringLiteral("(process %1)").arg(::getpid())),
                     qPrintable(contender.holder()));
        }
        QCOMPARE(written, !same);
        QCOMPARE(outputError.contains(role), same);
        QVERIFY(!same || !journalOpened);
        QCOMPARE(journal.errorString().contains(role), same);
        QCOMPARE(contentOf("real.json"), kOld);
        QVERIFY(!QFileInfo::exists(path("later.json")));
    }

    // The locks under the identity lock, two of ours on one file: each keeps the other out as it keeps
    // out a foreign exclusive lock (a lock taken shared would let both in), and lets go for the next.
    void ourOwnLockersKeepEachOtherOut_data() {
        QTest::addColumn<bool>("node");
        QTest::newRow("lock file") << false;
        QTest::newRow("flock on the file itself") << true;
    }
    void ourOwnLockersKeepEachOtherOut() {
        QFETCH(bool, node);
        put("file", kOld);
        const QString file = path("file");
        if (node) {
            NodeLock first(file);
            NodeLock second(file);
            QCOMPARE(first.acquire(), NodeLock::Outcome::Held);
            QCOMPARE(second.acquire(), NodeLock::Outcome::HeldByOther);
            first.release();
            QCOMPARE(second.acquire(), NodeLock::Outcome::Held);
        } else {
            ProcessLock first(file + QStringLiteral(".lock"));
            ProcessLock second(file + QStringLiteral(".lock"));
            QCOMPARE(first.acquire(0ms), ProcessLock::Outcome::Held);
            QCOMPARE(second.acquire(0ms), ProcessLock::Outcome::HeldByOther);
            first.release();
            QCOMPARE(second.acquire(0ms), ProcessLock::Outcome::Held);
        }
    }

    // Whatever lies at a lock path that is not a regular file is refused at once, never waited on and
    // never removed; the data folder's lock says so in its own words.
    void aLockPathThatIsNoFileIsRefused_data() {
        QTest::addColumn<QString>("kind");
        for (const char* kind : {"fifo", "device", "folder", "link"})
            QTest::newRow(kind) << QString::fromLatin1(kind);
    }
    void aLockPathThatIsNoFileIsRefused() {
        QFETCH(QString, kind);
        put("elsewhere", kOld);
        const QString lockPath = path(FolderLock::kFileName);
        if (!makeOdd(kind, lockPath, path("elsewhere")))
            QSKIP("this kind of file cannot be made here");
        const mode_t type = typeOf(lockPath);
        ProcessLock lock(lockPath);
        QCOMPARE(lock.acquire(5s), ProcessLock::Outcome::NotALockFile);
        QVERIFY2(lock.error().contains(QLatin1String("is not a lock file")), qPrintable(lock.error()));
        const FolderLock folder(m_folder.path(), 0ms);
        QVERIFY(!folder.isLocked());
        QCOMPARE(folder.error(), lock.error());
        QCOMPARE(typeOf(lockPath), type);
        QCOMPARE(contentOf("elsewhere"), kOld);
    }

    // A holder on another machine (a lock file in a shared folder) is named with its host.
    void aHolderElsewhereIsNamedWithItsHost() {
        const QString lockPath = path("shared.lock");
        put("shared.lock", "4242\ntelvar\nother-machine\n");
        const int fd = ::open(QFile::encodeName(lockPath).constData(), O_RDONLY);
        QVERIFY(fd >= 0 && ::flock(fd, LOCK_EX) == 0);
        ProcessLock lock(lockPath);
        const ProcessLock::Outcome outcome = lock.acquire(0ms);
        ::close(fd);
        QCOMPARE(outcome, ProcessLock::Outcome::HeldByOther);
        QCOMPARE(lock.holder(), QStringLiteral("telvar (process 4242) on other-machine"));
        QVERIFY(QSysInfo::machineHostName() != QLatin1String("other-machine"));
        QCOMPARE(lock.acquire(0ms), ProcessLock::Outcome::Held);
    }

    // Erasing the log erases a regular file, through a link the file it leads to, and nothing else; a
    // log a session is writing to is kept whole.
    void erasingTheLogTouchesOnlyTheLog_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("result"); // SessionLogFile::EraseResult
        QTest::newRow("regular") << "regular" << int(SessionLogFile::EraseResult::Erased);
        QTest::newRow("link to the log") << "link" << int(SessionLogFile::EraseResult::Erased);
        QTest::newRow("fifo") << "fifo" << int(SessionLogFile::EraseResult::Failed);
        QTest::newRow("device") << "device" << int(SessionLogFile::EraseResult::Failed);
        QTest::newRow("folder") << "folder" << int(SessionLogFile::EraseResult::Failed);
        QTest::newRow("in a session") << "in a session" << int(SessionLogFile::EraseResult::Failed);
    }
    void erasingTheLogTouchesOnlyTheLog() {
        QFETCH(QString, kind);
        QFETCH(int, result);
        const QString log = path("log.qnx");
        put("real.qnx", kOld);
        if (kind == QLatin1String("regular") || kind == QLatin1String("in a session"))
            put("log.qnx", kOld);
        else if (!makeOdd(kind, log, path("real.qnx")))
            QSKIP("this kind of file cannot be made here");
        const mode_t type = typeOf(log);
        SessionLogWriter session(log);
        if (kind == QLatin1String("in a session"))
            QVERIFY(session.writeQuestion(QStringLiteral("Anyone?")));
        QString error;
        QCOMPARE(int(SessionLogFile(log).erase(&error)), result);
        if (kind == QLatin1String("link")) {
            QCOMPARE(typeOf(log), mode_t(S_IFLNK)); // the link stays, for the next log
            QVERIFY(!QFileInfo::exists(path("real.qnx")));
        } else if (result == int(SessionLogFile::EraseResult::Failed)) {
            QVERIFY(!error.isEmpty());
            QCOMPARE(typeOf(log), type);
            QCOMPARE(contentOf("real.qnx"), kOld);
        }
        if (kind == QLatin1String("in a session")) {
            QVERIFY2(error.contains(QLatin1String("session")), qPrintable(error));
            QVERIFY(session.writeAnswerAndClose(QStringLiteral(" SUPPER")));
            const QByteArray whole = contentOf("log.qnx");
            QVERIFY(whole.startsWith(kOld) && whole.contains("USER: Anyone?") && whole.contains("SUPPER"));
            QCOMPARE(int(SessionLogFile(log).erase()), int(SessionLogFile::EraseResult::Erased));
        }
    }
};

QTEST_GUILESS_MAIN(FileLimitsTest)
#include "FileLimitsTest.moc"
