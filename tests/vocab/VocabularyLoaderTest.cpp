// SPDX-License-Identifier: GPL-3.0-or-later
#include "vocab/VocabularyLoader.h"
#include "vocab/BackupCopies.h"
#include "vocab/BuiltinVocabulary.h"
#include "vocab/DataFolder.h"
#include "vocab/LineFile.h"
#include "vocab/WordListFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace telvar;

namespace {

// A folder that cannot be written to, whoever runs the test (permission bits do not stop root).
const QString kReadOnlyFolder = QStringLiteral("/proc");

using Row = QList<qint16>;
const Row kPadRow(10, 48);

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeRaw(const QString& path, const QByteArray& bytes) {
    if (bytes.isNull())
        return; // no file
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray repeatedLines(int count, const QByteArray& line) {
    return (line + "\r\n").repeated(count);
}

Row row(const qint16* table, int index) {
    return Row(table + 10 * index, table + 10 * index + 10);
}
Row row(const Vocabulary::CodeTable& codes, int index) {
    return row(codes.data(), index);
}
Row builtinRow(int index) {
    return row(builtin::codeRows().data(), index);
}
Row codes(std::initializer_list<qint16> first) {
    return Row(first) + Row(10 - int(first.size()), 48);
}

// Every file of the folder with its content, backups included.
QMap<QString, QByteArray> snapshot(const QString& folder) {
    QMap<QString, QByteArray> files;
    for (const QString& name : QDir(folder).entryList(QDir::Files))
        files.insert(name, readAll(QDir(folder).filePath(name)));
    return files;
}

QList<QByteArray> backupContents(const QString& path) {
    QList<QByteArray> contents;
    for (const QString& copy : BackupCopies(path).existing())
        contents << readAll(copy);
    return contents;
}

bool zeroFromRow(const Vocabulary::CodeTable& codes, int firstRow) {
    return std::all_of(codes.begin() + 10 * firstRow, codes.end(), [](qint16 c) { return c == 0; });
}

} // namespace

class VocabularyLoaderTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void firstStartUsesAndWritesTheBuiltinData() {
        QTemporaryDir dir;
        const WordListFiles files(dir.path());
        const VocabularyLoad load = VocabularyLoader::load(dir.path());

        QCOMPARE(load.caption(), QStringLiteral("Internal data loaded"));
        QVERIFY(load.fileProblem.contains("mainw.txt"));
        QVERIFY(load.writeErrors.isEmpty() && load.keptCopies.isEmpty());
        QCOMPARE(load.tables.list1, builtin::words());
        QCOMPARE(load.tables.list1.size(), 2051);
        QCOMPARE(load.tables.list3, builtin::words().mid(0, 2049));
        QVERIFY(
            std::equal(builtin::codeRows().begin(), builtin::codeRows().end(), load.tables.codes.begin()));
        QVERIFY(zeroFromRow(load.tables.codes, 2055));

        const QByteArray words = readAll(files.path(WordListFiles::kMainWords));
        QCOMPARE(readAll(files.path(WordListFiles::kTempWords)), words);
        QCOMPARE(LineFile::split(words).size(), 2051);
        QVERIFY(words.endsWith("\r\n0\r\n\r\n\r\n\r\n"));

        const QByteArray rows = readAll(files.path(WordListFiles::kMainCodes));
        QCOMPARE(readAll(files.path(WordListFiles::kTempCodes)), rows);
        QCOMPARE(rows.size(), 2055 * 12); // ten codes and CR LF a row; a row may hold the code 10
        for (int r = 0; r < 2055; ++r) {
            QCOMPARE(rows.mid(12 * r + 10, 2), QByteArray("\r\n"));
            for (int i = 0; i < 10; ++i)
                QCOMPARE(qint16(quint8(rows[12 * r + i])), builtinRow(r)[i]);
        }
    }

    void secondStartReadsTheFiles() {
        QTemporaryDir dir;
        VocabularyLoader::load(dir.path());
        const VocabularyLoad load = VocabularyLoader::load(dir.path());

        QCOMPARE(load.caption(), QStringLiteral("External data loaded"));
        QVERIFY(load.external && load.fileProblem.isEmpty());
        QCOMPARE(load.tables.list1, builtin::words());
        QCOMPARE(load.tables.list3, builtin::words());
        QVERIFY(std::equal(builtin::codeRows().begin(), builtin::codeRows().begin() + 20510,
                           load.tables.codes.begin()));
        QVERIFY(zeroFromRow(load.tables.codes, 2051));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 4);
    }

    void codeLinesAreReadByteForByte() {
        QTemporaryDir dir;
        const WordListFiles files(dir.path());
        writeRaw(files.path(WordListFiles::kMainWords), "CAF\xC9\r\nLONG\r\nLF\r\n");
        writeRaw(files.path(WordListFiles::kMainCodes), "\xC7\xC1\r\nABCDEFGHIJKLM\r\n\x8e\n\x94\r\n");
        const VocabularyLoad load = VocabularyLoader::load(dir.path());

        QVERIFY2(load.external, qPrintable(load.fileProblem));
        QCOMPARE(load.tables.list1, (QStringList{QString::fromUtf8("CAF\u00c9"), "LONG", "LF"}));
        QCOMPARE(row(load.tables.codes, 0), codes({199, 193}));
        QCOMPARE(row(load.tables.codes, 1), Row({65, 66, 67, 68, 69, 70, 71, 72, 73, 74}));
        QCOMPARE(row(load.tables.codes, 2), codes({142, 10, 148}));
        QVERIFY(zeroFromRow(load.tables.codes, 3));
    }

    void wordFileLengthLimit_data() {
        QTest::addColumn<int>("wordCount");
        QTest::addColumn<bool>("external");
        QTest::newRow("2060 words fill the table") << 2060 << true;
        QTest::newRow("2061 words do not fit") << 2061 << false;
    }
    void wordFileLengthLimit() {
        QFETCH(int, wordCount);
        QFETCH(bool, external);
        QTemporaryDir dir;
        const WordListFiles files(dir.path());
        writeRaw(files.path(WordListFiles::kMainWords), repeatedLines(wordCount, "WORD"));
        writeRaw(files.path(WordListFiles::kMainCodes),
                 repeatedLines(wordCount, "\x80\x81\x82\x83\x84\x85\x86\x87\x88\x89\x8a"));
        const VocabularyLoad load = VocabularyLoader::load(dir.path());
        QCOMPARE(load.external, external);
        QCOMPARE(load.tables.list1.size(), external ? wordCount : 2051);
        if (external)
            QCOMPARE(row(load.tables.codes, 2059), Row({128, 129, 130, 131, 132, 133, 134, 135, 136, 137}));
        else
            QVERIFY(load.fileProblem.contains("2061"));
    }

    // The built-in data replaces all four files; each one that was there is kept aside first, since the
    // temporary pair may hold edits that were never transferred.
    void brokenMainPairFallsBackAndKeepsTheOldFiles_data() {
        QTest::addColumn<QByteArray>("mainWords");
        QTest::addColumn<QByteArray>("mainCodes");
        QTest::newRow("word file missing") << QByteArray() << QByteArray("\x80\r\n");
        QTest::newRow("code file missing") << QByteArray("A\r\n") << QByteArray();
        QTest::newRow("code file short") << QByteArray("A\r\nB\r\nC\r\n") << QByteArray("\x80\r\n\x81\r\n");
    }
    void brokenMainPairFallsBackAndKeepsTheOldFiles() {
        QFETCH(QByteArray, mainWords);
        QFETCH(QByteArray, mainCodes);
        QTemporaryDir dir;
        const WordListFiles files(dir.path());
        const QMap<const char*, QByteArray> before = {{WordListFiles::kMainWords, mainWords},
                                                      {WordListFiles::kMainCodes, mainCodes},
                                                      {WordListFiles::kTempWords, "EDITED\r\n"},
                                                      {WordListFiles::kTempCodes, "\x83\x84\r\n"}};
        for (auto it = before.cbegin(); it != before.cend(); ++it)
            writeRaw(files.path(it.key()), it.value());

        const VocabularyLoad load = VocabularyLoader::load(dir.path());
        QVERIFY(!load.external && !load.fileProblem.isEmpty());
        QCOMPARE(load.tables.list1.size(), 2051);
        QVERIFY(load.writeErrors.isEmpty());
        QCOMPARE(load.keptCopies.size(), 2 + int(!mainWords.isNull()) + int(!mainCodes.isNull()));
        for (auto it = before.cbegin(); it != before.cend(); ++it)
            QCOMPARE(backupContents(files.path(it.key())).value(0), it.value());
        QCOMPARE(VocabularyLoader::load(dir.path()).caption(), QStringLiteral("External data loaded"));
    }

    // A file that exists but cannot be read may hold the user's words behind a permission or a mount that
    // comes back: it cannot be copied aside, so its pair is not rewritten, however often the program starts.
    void unreadablePairIsNeverRewritten_data() {
        QTest::addColumn<QString>("blocked");
        QTest::addColumn<bool>("mainPair");
        QTest::newRow("main code file is a folder") << "mainph.txt" << true;
        QTest::newRow("main word file is a pipe") << "mainw.txt" << true;
        QTest::newRow("main code file is too large") << "mainph.txt" << true;
        QTest::newRow("temporary word file is a folder") << "tempw.txt" << false;
    }
    void unreadablePairIsNeverRewritten() {
        QFETCH(QString, blocked);
        QFETCH(bool, mainPair);
        QTemporaryDir dir;
        const WordListFiles files(dir.path());
        writeRaw(files.path(WordListFiles::kMainWords), "MINE\r\n");
        writeRaw(files.path(WordListFiles::kMainCodes), mainPair ? "\x80\r\n" : "");
        writeRaw(files.path(WordListFiles::kTempWords), "EDITED\r\n");
        writeRaw(files.path(WordListFiles::kTempCodes), "\x83\r\n");
        const QString blockedPath = dir.filePath(blocked);
        QFile::remove(blockedPath);
        if (QTest::currentDataTag() == QLatin1String("main word file is a pipe"))
            QCOMPARE(::mkfifo(QFile::encodeName(blockedPath).constData(), 0600), 0);
        else if (QTest::currentDataTag() == QLatin1String("main code file is too large"))
            writeRaw(blockedPath, QByteArray(LineFile::kMaxSize + 1, '0'));
        else
            QVERIFY(QDir().mkdir(blockedPath));
        const QMap<QString, QByteArray> before = snapshot(dir.path());

        // Once the main pair is renewed, later starts load it and leave the temporary pair alone anyway.
        for (int start = 0; start < (mainPair ? 3 : 1); ++start) {
            const VocabularyLoad load = VocabularyLoader::load(dir.path());
            QCOMPARE(load.caption(), QStringLiteral("Internal data loaded"));
            QCOMPARE(load.tables.list1.size(), 2051);
            const QString said = load.writeErrors.join(u'\n');
            QVERIFY2(said.contains(blocked), qPrintable(said));
            QVERIFY2(said.contains(mainPair ? "No word-list file was changed" : "left as they are"),
                     qPrintable(said));
        }
        if (mainPair) {
            QCOMPARE(snapshot(dir.path()), before);
        } else {
            // The short main pair was renewed, its old content kept aside; the blocked pair stays.
            QCOMPARE(readAll(files.path(WordListFiles::kTempCodes)), QByteArray("\x83\r\n"));
            QCOMPARE(backupContents(files.path(WordListFiles::kMainWords)), QList<QByteArray>{"MINE\r\n"});
            QVERIFY(BackupCopies(files.path(WordListFiles::kTempCodes)).existing().isEmpty());
        }
    }

    // Starts that keep falling back never push an older version out of the backups: each content is kept
    // once, a file that already holds the built-in data is not copied, and a NAME.bak of older versions
    // stays as it is.
    void repeatedFallbacksKeepEveryVersion() {
        QTemporaryDir dir;
        const WordListFiles files(dir.path());
        const QString tempWords = files.path(WordListFiles::kTempWords);
        writeRaw(files.path(WordListFiles::kMainWords), "MINE\r\nALSO\r\n");
        writeRaw(files.path(WordListFiles::kMainCodes), "\x80\r\n");
        writeRaw(tempWords, "EDIT-1\r\n");
        writeRaw(tempWords + ".bak", "OLDEST\r\n");

        QVERIFY(!VocabularyLoader::load(dir.path()).external);
        // The user edits again, and the main pair breaks again (its word file now holds the built-in data).
        writeRaw(tempWords, "EDIT-2\r\n");
        writeRaw(files.path(WordListFiles::kMainCodes), "\x80\r\n");
        const VocabularyLoad second = VocabularyLoader::load(dir.path());
        QVERIFY(!second.external);
        QVERIFY(second.keptCopies.filter(WordListFiles::kMainWords).isEmpty());
        QCOMPARE(backupContents(tempWords), (QList<QByteArray>{"EDIT-2\r\n", "EDIT-1\r\n", "OLDEST\r\n"}));
        QCOMPARE(backupContents(files.path(WordListFiles::kMainWords)),
                 QList<QByteArray>{"MINE\r\nALSO\r\n"});

        // The same breakage once more adds no copy of content already kept.
        writeRaw(files.path(WordListFiles::kMainCodes), "\x80\r\n");
        writeRaw(tempWords, "EDIT-1\r\n");
        const QStringList copiesBefore = QDir(dir.path()).entryList({"*.bak"});
        QVERIFY(!VocabularyLoader::load(dir.path()).external);
        QCOMPARE(QDir(dir.path()).entryList({"*.bak"}), copiesBefore);
        QVERIFY(VocabularyLoader::load(dir.path()).external);
    }

    // Copies made within one second get their own names; beyond the newest few, a copy goes only when
    // what it holds is also in the file or in a newer copy.
    void backupCopiesPruneOnlyWhatIsKeptElsewhere() {
        QTemporaryDir dir;
        const QString path = dir.filePath("tempw.txt");
        const QDateTime sameSecond(QDate(2026, 12, 7), QTime(9, 21, 1));
        const BackupCopies sameTime(path, [&] { return sameSecond; });
        QString error;
        QStringList made;
        for (const char* content : {"A", "B", "C", "D", "E", "F", "G"})
            made << sameTime.keep(content, &error).value_or(QString());
        QCOMPARE(made.size(), 7);
        QVERIFY2(!made.contains(QString()), qPrintable(error));
        QCOMPARE(QFileInfo(made[0]).fileName(), QStringLiteral("tempw.txt.20261207-092101.bak"));
        QCOMPARE(QFileInfo(made[1]).fileName(), QStringLiteral("tempw.txt.20261207-092101-2.bak"));
        QCOMPARE(sameTime.keep("C", &error).value_or(QString()), made[2]);
        QCOMPARE(sameTime.existing().first(), made[6]);

        sameTime.prune("C");
        QCOMPARE(sameTime.existing().size(), 7); // "A" and "B" are the oldest but held nowhere else
        sameTime.prune("A");
        QCOMPARE(sameTime.existing().size(), 6);
        QVERIFY(!QFileInfo::exists(made[0]));
        sameTime.prune("G"); // the newest copies stay whatever they hold
        QCOMPARE(sameTime.existing().size(), 6);
    }

    void readOnlyFolderStillGivesTheBuiltinData() {
        const VocabularyLoad load = VocabularyLoader::load(kReadOnlyFolder);
        QCOMPARE(load.caption(), QStringLiteral("Internal data loaded"));
        QCOMPARE(load.tables.list3.size(), 2049);
        // One error for each pair, since a pair is replaced as one; each names both its files.
        QCOMPARE(load.writeErrors.size(), 2);
        for (const char* name : {"tempw.txt", "mainw.txt", "mainph.txt", "tempph.txt"})
            QVERIFY2(load.writeErrors.filter(name).size() == 1, name);
    }

    void editsReplaceBothListsAndTheTable() {
        QTemporaryDir dir;
        const WordListFiles files(dir.path());
        writeRaw(files.path(WordListFiles::kTempWords), "ONE\r\nTWO\r\n\r\n");
        writeRaw(files.path(WordListFiles::kTempCodes), "\xC7\r\n\x80\n\x81\r\n\r\nsurplus\r\n");
        QString error;
        const auto tables = VocabularyLoader::loadEdits(dir.path(), &error);
        QVERIFY2(tables, qPrintable(error));
        QCOMPARE(tables->list1, (QStringList{"ONE", "TWO", ""}));
        QCOMPARE(tables->list3, tables->list1);
        QCOMPARE(row(tables->codes, 0), codes({199}));
        QCOMPARE(row(tables->codes, 1), codes({128, 10, 129}));
        QCOMPARE(row(tables->codes, 2), kPadRow);
        QVERIFY(zeroFromRow(tables->codes, 3));
    }

    void unreadableEditsChangeNothing_data() {
        QTest::addColumn<QByteArray>("words");
        QTest::addColumn<QByteArray>("codes");
        QTest::addColumn<QString>("named");
        QTest::newRow("word file missing") << QByteArray() << QByteArray("\x80\r\n") << "tempw.txt";
        QTest::newRow("code file missing") << QByteArray("A\r\n") << QByteArray() << "tempph.txt";
        QTest::newRow("code file short")
            << QByteArray("A\r\nB\r\n") << QByteArray("\x80\r\n") << "tempph.txt";
    }
    void unreadableEditsChangeNothing() {
        QFETCH(QByteArray, words);
        QFETCH(QByteArray, codes);
        QFETCH(QString, named);
        QTemporaryDir dir;
        const WordListFiles files(dir.path());
        writeRaw(files.path(WordListFiles::kTempWords), words);
        writeRaw(files.path(WordListFiles::kTempCodes), codes);
        QString error;
        QVERIFY(!VocabularyLoader::loadEdits(dir.path(), &error));
        QVERIFY2(error.contains(named) && error.contains("nothing was changed"), qPrintable(error));
        QCOMPARE(readAll(files.path(WordListFiles::kTempWords)), words);
        QCOMPARE(readAll(files.path(WordListFiles::kTempCodes)), codes);
    }

    void dataFolderChoice() {
        QTemporaryDir program;
        QTemporaryDir user;
        const QString userFolder = user.filePath("deep/telvar");
        const QString given = user.filePath("given");

        QCOMPARE(DataFolder::resolve(given, program.path(), userFolder), given);
        QVERIFY(QFileInfo(given).isDir());
        QCOMPARE(DataFolder::resolve(QString(), program.path(), userFolder), program.path());
        QVERIFY(QDir(program.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
        QVERIFY(!QFileInfo::exists(userFolder));
        QCOMPARE(DataFolder::resolve(QString(), kReadOnlyFolder, userFolder), userFolder);
        QVERIFY(QFileInfo(userFolder).isDir());
    }

    void installedProgramKeepsItsFilesWithTheUser_data() {
        QTest::addColumn<QString>("programDir");
        QTest::addColumn<bool>("system");
        // Root may write to /usr/bin; the files still go to the user's folder.
        QTest::newRow("installed") << "/usr/bin" << true;
        QTest::newRow("merged /bin") << "/bin" << true;
        QTest::newRow("add-on package") << "/opt/telvar/bin" << true;
        QTest::newRow("climbs out of /usr") << "/usr/../tmp" << false;
        QTest::newRow("name that only starts alike") << "/usrlocal/telvar" << false;
        QTest::newRow("portable copy") << QDir::tempPath() << false;
    }
    void installedProgramKeepsItsFilesWithTheUser() {
        QFETCH(QString, programDir);
        QFETCH(bool, system);
        QCOMPARE(DataFolder::isSystemFolder(programDir), system);
        QTemporaryDir user;
        const QString userFolder = user.filePath("telvar");
        if (system)
            QCOMPARE(DataFolder::resolve(QString(), programDir, userFolder), userFolder);
    }
};

QTEST_GUILESS_MAIN(VocabularyLoaderTest)
#include "VocabularyLoaderTest.moc"
