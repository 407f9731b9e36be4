#include "vocab/VocabularyLoader.h"
#include "vocab/BuiltinVocabulary.h"
#include "vocab/Cp1252.h"
#include "vocab/DataFolder.h"
#include "vocab/LineFile.h"
#include "vocab/WordListFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace telvar;

namespace {

// A folder that cannot be written to, whoever runs the test (permission bits do not stop root).
const QString kReadOnlyFolder = QStringLiteral("/proc");

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeRaw(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QList<QByteArray> lines(const QString& path) {
    return LineFile::split(readAll(path));
}

QByteArray repeatedLines(int count, const QByteArray& line) {
    QByteArray data;
    for (int i = 0; i < count; ++i)
        data += line + "\r\n";
    return data;
}

QList<qint16> row(const Vocabulary::CodeTable& codes, int index) {
    const auto* first = codes.data() + index * Vocabulary::kRowLength;
    return QList<qint16>(first, first + Vocabulary::kRowLength);
}

QList<qint16> builtinRow(int index) {
    const auto* first = builtin::codeRows().data() + index * Vocabulary::kRowLength;
    return QList<qint16>(first, first + Vocabulary::kRowLength);
}

bool allZeroFromRow(const Vocabulary::CodeTable& codes, int firstRow) {
    return std::all_of(codes.begin() + firstRow * Vocabulary::kRowLength, codes.end(),
                       [](qint16 c) { return c == 0; });
}

} // namespace

class VocabularyLoaderTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void firstStartUsesAndWritesTheBuiltinData() {
        QTemporaryDir dir;
        const WordListFiles files(dir.path());
        const VocabularyLoad load = VocabularyLoader::load(dir.path());

        QVERIFY(!load.external);
        QCOMPARE(load.caption(), QStringLiteral("Internal data loaded"));
        QVERIFY(load.fileProblem.contains("mainw.txt"));
        QVERIFY(load.writeErrors.isEmpty());
        QVERIFY(load.keptCopies.isEmpty());
        QCOMPARE(load.tables.list1, builtin::words());
        QCOMPARE(load.tables.list1.size(), 2051);
        QCOMPARE(load.tables.list3, builtin::words().mid(0, 2049));
        for (int r = 0; r < 2055; ++r)
            QCOMPARE(row(load.tables.codes, r), builtinRow(r));
        QVERIFY(allZeroFromRow(load.tables.codes, 2055));

        for (const char* name : {WordListFiles::kMainWords, WordListFiles::kTempWords}) {
            const QList<QByteArray> words = lines(files.path(name));
            QCOMPARE(words.size(), 2051);
            QCOMPARE(words.mid(2047), (QList<QByteArray>{"0", "", "", ""}));
            QCOMPARE(cp1252::decode(words[0]), builtin::words()[0]);
        }
        for (const char* name : {WordListFiles::kMainCodes, WordListFiles::kTempCodes}) {
            const QByteArray data = readAll(files.path(name));
            QCOMPARE(data.size(), 2055 * 12); // one line may hold the code 10, so count bytes
            const QList<QByteArray> rows = LineFile::split(data);
            QCOMPARE(rows.size(), 2055);
            for (int r = 0; r < rows.size(); ++r) {
                QCOMPARE(rows[r].size(), 10);
                for (int i = 0; i < 10; ++i)
                    QCOMPARE(qint16(static_cast<unsigned char>(rows[r][i])), builtinRow(r)[i]);
            }
        }
    }

    void secondStartReadsTheFiles() {
        QTemporaryDir dir;
        VocabularyLoader::load(dir.path());
        const VocabularyLoad load = VocabularyLoader::load(dir.path());

        QVERIFY(load.external);
        QCOMPARE(load.caption(), QStringLiteral("External data loaded"));
        QVERIFY(load.fileProblem.isEmpty());
        QCOMPARE(load.tables.list1, builtin::words());
        QCOMPARE(load.tables.list3, builtin::words());
        for (int r = 0; r < 2051; ++r)
            QCOMPARE(row(load.tables.codes, r), builtinRow(r));
        QVERIFY(allZeroFromRow(load.tables.codes, 2051));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 4);
    }

    void codeLinesAreReadByteForByte() {
        QTemporaryDir dir;
        const WordListFiles files(dir.path());
        writeRaw(files.path(WordListFiles::kMainWords), "CAF\xC9\r\nLONG\r\nLF\r\n");
        writeRaw(files.path(WordListFiles::kMainCodes), "\xC7\xC1\r\n"
                                                        "ABCDEFGHIJKLM\r\n"
                                                        "\x8e\n\x94\r\n");
        const VocabularyLoad load = VocabularyLoader::load(dir.path());

        QVERIFY2(load.external, qPrintable(load.fileProblem));
        QCOMPARE(load.tables.list1, (QStringList{QString::fromUtf8("CAF\u00c9"), "LONG", "LF"}));
        QCOMPARE(row(load.tables.codes, 0), (QList<qint16>{199, 193, 48, 48, 48, 48, 48, 48, 48, 48}));
        QCOMPARE(row(load.tables.codes, 1), (QList<qint16>{65, 66, 67, 68, 69, 70, 71, 72, 73, 74}));
        QCOMPARE(row(load.tables.codes, 2), (QList<qint16>{142, 10, 148, 48, 48, 48, 48, 48, 48, 48}));
        QVERIFY(allZeroFromRow(load.tables.codes, 3));
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
        writeRaw(files.path(WordListFiles::kMainCodes), repeatedLines(wordCount, "\x80\x81"));
        const VocabularyLoad load = VocabularyLoader::load(dir.path());
        QCOMPARE(load.external, external);
        QCOMPARE(load.tables.list1.size(), external ? wordCount : 2051);
        if (!external)
            QVERIFY(load.fileProblem.contains("2061"));
    }

    // Whatever made the main pair unusable, the built-in data replaces all four files, and every file that
    // was there is kept aside first: the temporary pair may hold edits that were never transferred.
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
        QMap<QString, QByteArray> before;
        const auto place = [&](const char* name, const QByteArray& content) {
            if (content.isEmpty())
                return;
            writeRaw(files.path(name), content);
            before[files.path(name)] = content;
        };
        place(WordListFiles::kMainWords, mainWords);
        place(WordListFiles::kMainCodes, mainCodes);
        place(WordListFiles::kTempWords, "EDITED\r\n");
        place(WordListFiles::kTempCodes, "\x83\x84\r\n");

        const VocabularyLoad load = VocabularyLoader::load(dir.path());
        QVERIFY(!load.external);
        QVERIFY(!load.fileProblem.isEmpty());
        QCOMPARE(load.tables.list1.size(), 2051);
        QVERIFY(load.writeErrors.isEmpty());
        QCOMPARE(load.keptCopies.size(), before.size());
        for (auto it = before.cbegin(); it != before.cend(); ++it)
            QCOMPARE(readAll(it.key() + ".bak"), it.value());
        QCOMPARE(lines(files.path(WordListFiles::kTempWords)).size(), 2051);
        QCOMPARE(lines(files.path(WordListFiles::kMainWords)).size(), 2051);

        // The copies are not word-list files: the next start reads the new pair.
        QVERIFY(VocabularyLoader::load(dir.path()).external);
    }

    void readOnlyFolderStillGivesTheBuiltinData() {
        const VocabularyLoad load = VocabularyLoader::load(kReadOnlyFolder);
        QVERIFY(!load.external);
        QCOMPARE(load.tables.list1.size(), 2051);
        QCOMPARE(load.tables.list3.size(), 2049);
        QCOMPARE(load.writeErrors.size(), 4);
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
        QCOMPARE(row(tables->codes, 0), (QList<qint16>{199, 48, 48, 48, 48, 48, 48, 48, 48, 48}));
        QCOMPARE(row(tables->codes, 1), (QList<qint16>{128, 10, 129, 48, 48, 48, 48, 48, 48, 48}));
        QCOMPARE(row(tables->codes, 2), QList<qint16>(10, 48));
        QVERIFY(allZeroFromRow(tables->codes, 3));
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
        if (!words.isEmpty())
            writeRaw(files.path(WordListFiles::kTempWords), words);
        if (!codes.isEmpty())
            writeRaw(files.path(WordListFiles::kTempCodes), codes);
        QString error;
        QVERIFY(!VocabularyLoader::loadEdits(dir.path(), &error));
        QVERIFY2(error.contains(named), qPrintable(error));
        QVERIFY(error.contains("nothing was changed"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(),
                 int(!words.isEmpty()) + int(!codes.isEmpty()));
    }

    void dataFolderChoice() {
        QTemporaryDir program;
        QTemporaryDir user;
        const QString userFolder = user.filePath("deep/telvar");
        const QString overrideFolder = user.filePath("given");

        QCOMPARE(DataFolder::resolve(overrideFolder, program.path(), userFolder), overrideFolder);
        QVERIFY(QFileInfo(overrideFolder).isDir());
        QCOMPARE(DataFolder::resolve(QString(), program.path(), userFolder), program.path());
        QVERIFY(QDir(program.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
        QVERIFY(!QFileInfo::exists(userFolder));

        QCOMPARE(DataFolder::resolve(QString(), kReadOnlyFolder, userFolder), userFolder);
        QVERIFY(QFileInfo(userFolder).isDir());
        QCOMPARE(DataFolder::resolve(QString(), program.filePath("gone"), userFolder), userFolder);
    }
};

QTEST_GUILESS_MAIN(VocabularyLoaderTest)
#include "VocabularyLoaderTest.moc"
