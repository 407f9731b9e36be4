// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/Telvarctl.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

namespace {

using Files = QMap<QString, QByteArray>;

const QStringList kWordListFiles{"mainw.txt", "mainph.txt", "tempw.txt", "tempph.txt"};
// Each word file with its code file.
const QList<QStringList> kPairs{{"mainw.txt", "mainph.txt"}, {"tempw.txt", "tempph.txt"}};

// The user's files before a start-up that cannot use the main pair (its code file is short).
const Files kBrokenMainPair{{"mainw.txt", "MINE\r\nYOURS\r\n"},
                            {"mainph.txt", "\x80\r\n"},
                            {"tempw.txt", "EDIT\r\n"},
                            {"tempph.txt", "\x81\x82\r\n"}};
// A working pair the editor verbs replace.
const Files kEditable{{"tempw.txt", "PLACEBO\r\nAUTOMATIC\r\n"},
                      {"tempph.txt", "\xC7\x91\x82\xBB\x83\xAB\xA4"
                                     "000\r\n\x87\x87\x87\xBF\x88\x8C\x82\xBF\x81\xC4\x80\r\n"}};

Files read(const QString& folder) {
    Files files;
    for (const QString& name : QDir(folder).entryList(QDir::Files)) {
        QFile file(QDir(folder).filePath(name));
        if (file.open(QIODevice::ReadOnly))
            files.insert(name, file.readAll());
    }
    return files;
}

void write(const QString& folder, const Files& files) {
    for (auto it = files.cbegin(); it != files.cend(); ++it) {
        QFile file(QDir(folder).filePath(it.key()));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(it.value()), it.value().size());
    }
}

QStringList inFolder(const QString& folder, QStringList arguments) {
    arguments.prepend(QStringLiteral("--data-dir=") + folder);
    return arguments;
}

// Runs telvarctl in the folder and kills it with SIGKILL after `delayMs`, unless it is done by then.
void runAndKill(const QString& folder, const QStringList& arguments, int delayMs) {
    QProcess process;
    process.setWorkingDirectory(folder);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(QStringLiteral(TELVARCTL_PATH), inFolder(folder, arguments));
    QVERIFY(process.waitForStarted());
    if (!process.waitForFinished(delayMs)) {
        process.kill();
        process.waitForFinished();
    }
}

// What a reader prints when it loads the files: the words with their codes.
QString loaded(const Files& files, const QStringList& reader) {
    QTemporaryDir folder;
    write(folder.path(), files);
    return telvar::test::runTelvarctl(inFolder(folder.path(), reader), folder.path()).out;
}

// How long a whole run takes here, so that the kills fall across all of it.
int wholeRunMs(const Files& start, const QStringList& arguments, Files* end) {
    QTemporaryDir folder;
    write(folder.path(), start);
    QElapsedTimer timer;
    timer.start();
    const auto result = telvar::test::runTelvarctl(inFolder(folder.path(), arguments), folder.path());
    const int took = int(timer.elapsed());
    *end = read(folder.path());
    return result.exitCode == 0 ? std::max(took, 1) : -1;
}

} // namespace

// telvarctl killed at random moments while it replaces word-list files: every file is afterwards the old
// or the new one, never missing or torn, and what the user had is still somewhere after any number of
// restarts. The randomness is seeded, so a failure can be replayed.
class CrashSafetyTest : public QObject {
    Q_OBJECT
    QRandomGenerator m_random{20261207};

    // Each word-list file holds its content before or after the run, and each backup a whole old version.
    static void checkOldOrNew(const Files& now, const Files& before, const Files& after) {
        for (const QString& name : kWordListFiles) {
            if (!before.contains(name) && !after.contains(name))
                continue;
            QVERIFY2(now.contains(name), qPrintable(name + " is missing"));
            QVERIFY2(now[name] == before.value(name) || now[name] == after.value(name),
                     qPrintable(name + " is neither old nor new"));
        }
        for (auto it = now.cbegin(); it != now.cend(); ++it) {
            if (!it.key().endsWith(".bak"))
                continue;
            const QString of = it.key().section(u'.', 0, 1);
            QVERIFY2(it.value() == before.value(of), qPrintable(it.key() + " is not a whole old " + of));
        }
    }

    // After a start that ran to its end, each pair is old or new as a whole and nothing is pending.
    static void checkPairsWhole(const Files& now, const Files& before, const Files& after) {
        for (const QStringList& pair : kPairs) {
            const auto holds = [&](const Files& version) {
                return now.value(pair[0]) == version.value(pair[0]) &&
                       now.value(pair[1]) == version.value(pair[1]);
            };
            QVERIFY2(holds(before) || holds(after), qPrintable(pair.join(" and ") + " are of two versions"));
        }
        for (const QString& name : now.keys())
            QVERIFY2(!name.endsWith(".pending"), qPrintable(name + " is left"));
    }

    static void checkUserContentKept(const Files& now, const Files& user) {
        for (auto it = user.cbegin(); it != user.cend(); ++it) {
            bool kept = now.value(it.key()) == it.value();
            for (auto file = now.cbegin(); !kept && file != now.cend(); ++file)
                kept = file.key().startsWith(it.key() + '.') && file.key().endsWith(".bak") &&
                       file.value() == it.value();
            QVERIFY2(kept, qPrintable("the old " + it.key() + " is lost"));
        }
    }

private Q_SLOTS:
    void startUpRewriteKeepsTheUserContent() {
        const QStringList arguments{QStringLiteral("vocab")};
        Files builtin;
        const int whole = wholeRunMs(kBrokenMainPair, arguments, &builtin);
        QVERIFY(whole > 0);
        for (int round = 0; round < 8; ++round) {
            QTemporaryDir folder;
            write(folder.path(), kBrokenMainPair);
            // Killed starts, then one that runs to its end.
            for (int start = 0; start < 3; ++start) {
                runAndKill(folder.path(), arguments, start < 2 ? m_random.bounded(whole + 1) : 60000);
                const Files now = read(folder.path());
                checkOldOrNew(now, kBrokenMainPair, builtin);
                checkUserContentKept(now, kBrokenMainPair);
            }
            // The main pair loads now; a temporary pair left old by a kill is the user's to keep.
            for (const char* name : {"mainw.txt", "mainph.txt"})
                QCOMPARE(read(folder.path()).value(name), builtin.value(name));
            checkPairsWhole(read(folder.path()), kBrokenMainPair, builtin);
        }
    }

    // The reader that runs after each kill loads the pair the verb replaced; what it loads must be the
    // words and codes of one version, never a word of one with the codes of the other.
    void saveAndTransferReplaceWholeFiles_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("reader");
        QTest::newRow("save") << QStringList{"edit", "replace", "1", "NEW", "\\IY \\EH"}
                              << QStringList{"edit", "list"};
        QTest::newRow("transfer") << QStringList{"--yes", "edit", "transfer"} << QStringList{"vocab", "1"};
    }
    void saveAndTransferReplaceWholeFiles() {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, reader);
        Files start = kEditable;
        // As many words as the working pair, so that either code file pairs up with either word file.
        start.insert("mainw.txt", "OLD\r\nOLDER\r\n");
        start.insert("mainph.txt", "\x80\r\n\x81\r\n");
        Files end;
        const int whole = wholeRunMs(start, arguments, &end);
        QVERIFY(whole > 0);
        const QString loadedBefore = loaded(start, reader);
        const QString loadedAfter = loaded(end, reader);
        QVERIFY(loadedBefore != loadedAfter);
        for (int round = 0; round < 10; ++round) {
            QTemporaryDir folder;
            write(folder.path(), start);
            runAndKill(folder.path(), arguments, m_random.bounded(whole + 1));
            checkOldOrNew(read(folder.path()), start, end);
            const auto result = telvar::test::runTelvarctl(inFolder(folder.path(), reader), folder.path());
            QVERIFY2(result.out == loadedBefore || result.out == loadedAfter,
                     qPrintable("a mixed pair was loaded:\n" + result.out + "\n" + result.err));
            checkPairsWhole(read(folder.path()), start, end);
        }
    }
};

QTEST_GUILESS_MAIN(CrashSafetyTest)
#include "CrashSafetyTest.moc"
