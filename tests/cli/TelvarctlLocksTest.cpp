// SPDX-License-Identifier: GPL-3.0-or-later
// Two telvarctl at once on one virtual device's state file, or on one data folder: every change lands,
// or the one kept out says who held the file and fails; none is lost with both saying they succeeded.
#include "support/ScratchFolder.h"
#include "support/Telvarctl.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QProcess>
#include <QTest>

#include <unistd.h>

using telvar::test::ProcessResult;
using telvar::test::runTelvarctl;

namespace {

constexpr int kRounds = 3;

// Both started before either is waited for, so that they overlap.
std::array<ProcessResult, 2> runTogether(const QStringList& first, const QStringList& second) {
    QProcess processes[2];
    for (int i = 0; i < 2; ++i) {
        processes[i].setStandardInputFile(QProcess::nullDevice());
        processes[i].start(QStringLiteral(TELVARCTL_PATH), i == 0 ? first : second);
    }
    std::array<ProcessResult, 2> results;
    for (int i = 0; i < 2; ++i) {
        results[i].finished = processes[i].waitForFinished(60000);
        results[i].exitCode = processes[i].exitCode();
        results[i].err = QString::fromUtf8(processes[i].readAllStandardError());
    }
    return results;
}

// A process kept out must say so; one that says it succeeded must have left its change behind.
void checkOutcome(const ProcessResult& result, bool changeLanded) {
    QVERIFY(result.finished);
    if (result.exitCode == 0)
        QVERIFY2(changeLanded, "a process said it succeeded, yet its change is lost");
    else
        QVERIFY2(result.exitCode == 1 &&
                     result.err.contains(QStringLiteral("is in use by telvarctl (process ")),
                 qPrintable(result.err));
}

} // namespace

class TelvarctlLocksTest : public QObject, protected telvar::test::ScratchFolder {
    Q_OBJECT

private Q_SLOTS:
    void stateFileWritersTakeTurns_data() {
        QTest::addColumn<QStringList>("first");
        QTest::addColumn<QStringList>("second");
        QTest::addColumn<QList<int>>("changes"); // the configuration byte each changes, and its new value
        QTest::newRow("power save beside rate")
            << QStringList{"power-save", "on"} << QStringList{"rate", "50"} << QList<int>{8, 1, 12, 50};
        QTest::newRow("sensitivity beside voice")
            << QStringList{"sensitivity", "7", "120"}
            << QStringList{"voice", "save", "100", "50", "254", "15"} << QList<int>{0, 7, 4, 254};
    }
    void stateFileWritersTakeTurns() {
        QFETCH(QStringList, first);
        QFETCH(QStringList, second);
        QFETCH(QList<int>, changes);
        const QString state = QStringLiteral("--simulate=") + path("device.json");
        for (int round = 0; round < kRounds; ++round) {
            QFile::remove(path("device.json"));
            const auto [one, two] = runTogether(QStringList{state} + first, QStringList{state} + second);
            const QJsonArray config = QJsonDocument::fromJson(contentOf("device.json"))
                                          .object()
                                          .value(QStringLiteral("config"))
                                          .toArray();
            checkOutcome(one, config.at(changes[0]).toInt() == changes[1]);
            checkOutcome(two, config.at(changes[2]).toInt() == changes[3]);
            QVERIFY(one.exitCode == 0 || two.exitCode == 0);
        }
    }

    void editsOfOneFolderTakeTurns() {
        const QString folder = QStringLiteral("--data-dir=") + m_folder.path();
        QCOMPARE(runTelvarctl({folder, "vocab", "0"}).exitCode, 0);
        for (int round = 0; round < kRounds; ++round) {
            const QString firstWord = QStringLiteral("FIRST%1").arg(round);
            const QString secondWord = QStringLiteral("SECOND%1").arg(round);
            const auto [one, two] = runTogether({folder, "edit", "replace", "1", firstWord, "\\IY"},
                                                {folder, "edit", "replace", "2", secondWord, "\\EH"});
            const QList<QByteArray> words = contentOf("tempw.txt").split('\n');
            QVERIFY(words.size() > 3);
            checkOutcome(one, words[1].trimmed() == firstWord.toLatin1());
            checkOutcome(two, words[2].trimmed() == secondWord.toLatin1());
        }
    }

    void aHeldStateFileNamesItsHolder() {
        const QString state = path("held.json");
        QLockFile held(state + QStringLiteral(".lock"));
        QVERIFY(held.tryLock(0));
        const QStringList firmware{QStringLiteral("--simulate=") + state, QStringLiteral("firmware")};
        // The two-second wait, shortened.
        const ProcessResult result =
            runTelvarctl(firmware, {}, 60000, {QStringLiteral("TELVAR_TIME_DIVISOR=100")});
        QCOMPARE(result.exitCode, 1);
        const QString holder = QStringLiteral("is in use by %1 (process %2)")
                                   .arg(QFileInfo(QCoreApplication::applicationFilePath()).fileName())
                                   .arg(QCoreApplication::applicationPid());
        QVERIFY2(result.err.contains(holder), qPrintable(result.err));
        QVERIFY(!QFileInfo::exists(state)); // never touched while another holds it

        held.unlock();
        QCOMPARE(runTelvarctl(firmware).exitCode, 0);
        QVERIFY(!QFileInfo::exists(state + QStringLiteral(".lock"))); // let go when it ends
    }

    // A state file is held by what it is: while one telvarctl uses it, another reaching it by a link, a
    // hard link or another spelling of its name is kept out, says who holds it and changes nothing.
    void aHeldStateFileIsHeldByEveryName_data() {
        QTest::addColumn<QString>("reached");
        QTest::newRow("symbolic link") << "link";
        QTest::newRow("hard link") << "hard link";
        QTest::newRow("link to its folder") << "folder link";
        QTest::newRow("./ spelling") << "dot";
    }
    void aHeldStateFileIsHeldByEveryName() {
        QFETCH(QString, reached);
        QVERIFY(clearFolder());
        const QString state = path("real.json");
        QCOMPARE(runTelvarctl({QStringLiteral("--simulate=") + state, QStringLiteral("firmware")}).exitCode,
                 0);
        QString other = path("other.json");
        if (reached == QLatin1String("link"))
            QVERIFY(QFile::link(QStringLiteral("real.json"), other));
        else if (reached == QLatin1String("hard link"))
            QVERIFY(::link(QFile::encodeName(state).constData(), QFile::encodeName(other).constData()) == 0);
        else if (reached == QLatin1String("folder link")) {
            QVERIFY(QFile::link(m_folder.path(), path("alias")));
            other = path("alias/real.json");
        } else
            other = m_folder.path() + QStringLiteral("/./real.json");
        const QByteArray before = contentOf("real.json");

        // The holder asks with a long window and is stopped once the others have tried.
        QProcess holder;
        holder.setWorkingDirectory(m_folder.path());
        holder.setStandardInputFile(QProcess::nullDevice());
        holder.start(QStringLiteral(TELVARCTL_PATH),
                     {QStringLiteral("--simulate=") + state, QStringLiteral("--sensor=0"),
                      QStringLiteral("--journal=") + path("sessions.db"), QStringLiteral("ask"),
                      QStringLiteral("held"), QStringLiteral("--window"), QStringLiteral("24")});
        QVERIFY(holder.waitForStarted());
        const QByteArray pid = QByteArray::number(holder.processId());
        QVERIFY(QTest::qWaitFor([&] { return contentOf("real.json.lock").startsWith(pid + '\n'); }, 30000));

        const ProcessResult kept =
            runTelvarctl({QStringLiteral("--simulate=") + other, QStringLiteral("sensitivity"),
                          QStringLiteral("9"), QStringLiteral("99")},
                         m_folder.path(), 60000, {QStringLiteral("TELVAR_TIME_DIVISOR=100")});
        const QByteArray during = contentOf("real.json");
        holder.terminate();
        QVERIFY(holder.waitForFinished(30000));

        QCOMPARE(kept.exitCode, 1);
        QVERIFY2(kept.err.contains(
                     QStringLiteral("is in use by telvarctl (process %1)").arg(QString::fromLatin1(pid))),
                 qPrintable(kept.err));
        QCOMPARE(during, before);
        QVERIFY(!QFileInfo::exists(other + QStringLiteral(".lock")));
    }

    // A holder killed before it wrote its name into the lock file leaves one that names nobody: once it
    // is older than any live holder's first moment, it keeps nobody out.
    void aLockFileThatNamesNobodyIsTakenOver() {
        const QString state = path("orphan.json");
        QFile orphan(state + QStringLiteral(".lock"));
        QVERIFY(
            orphan.open(QIODevice::WriteOnly) &&
            orphan.setFileTime(QDateTime::currentDateTime().addSecs(-5), QFileDevice::FileModificationTime));
        const ProcessResult result =
            runTelvarctl({QStringLiteral("--simulate=") + state, QStringLiteral("firmware")});
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
    }
};

QTEST_GUILESS_MAIN(TelvarctlLocksTest)
#include "TelvarctlLocksTest.moc"
