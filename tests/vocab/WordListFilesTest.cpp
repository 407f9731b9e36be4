#include "vocab/WordListFiles.h"
#include "vocab/Cp1252.h"
#include "vocab/LineFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace telvar;

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeRaw(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QList<qint16> row(const VocabularyTables& tables, int index) {
    const auto* first = tables.codes.data() + index * Vocabulary::kRowLength;
    return QList<qint16>(first, first + Vocabulary::kRowLength);
}

} // namespace

class WordListFilesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cp1252KeepsEveryByte() {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        const QString text = cp1252::decode(all);
        QCOMPARE(text.size(), 256);
        QVERIFY(cp1252::canEncode(text));
        QCOMPARE(cp1252::encode(text), all);

        QCOMPARE(text[0x80], QChar(0x20AC)); // euro sign
        QCOMPARE(text[0x8A], QChar(0x0160)); // S caron
        QCOMPARE(text[0x9F], QChar(0x0178)); // Y diaeresis
        QCOMPARE(text[0x81], QChar(0x0081)); // undefined bytes stay themselves
        QCOMPARE(text[0x9D], QChar(0x009D));
        QCOMPARE(text[0xE9], QChar(0x00E9));
    }

    void cp1252ReplacesWhatItCannotHold() {
        const QString text = QString::fromUtf8("a\u0101b\U0001F600c\u0080");
        QVERIFY(!cp1252::canEncode(text));
        QCOMPARE(cp1252::encode(text), QByteArray("a?b?c?"));
        QCOMPARE(cp1252::encode(QString::fromUtf8("\u2122\u20ac")), QByteArray("\x99\x80"));
    }

    void splitLines_data() {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QList<QByteArray>>("lines");
        using L = QList<QByteArray>;
        QTest::newRow("empty file") << QByteArray() << L{};
        QTest::newRow("no line end") << QByteArray("ab") << L{"ab"};
        QTest::newRow("CR LF") << QByteArray("ab\r\ncd\r\n") << L{"ab", "cd"};
        QTest::newRow("CR alone") << QByteArray("ab\rcd") << L{"ab", "cd"};
        QTest::newRow("LF inside a line") << QByteArray("a\nb\r\n") << L{"a\nb"};
        QTest::newRow("LF after a line end") << QByteArray("a\r\n\nb\r\n") << L{"a", "\nb"};
        QTest::newRow("LF alone") << QByteArray("\n") << L{"\n"};
        QTest::newRow("empty lines") << QByteArray("\r\n\r\n") << L{"", ""};
        QTest::newRow("CR CR LF") << QByteArray("a\r\r\n") << L{"a", ""};
        QTest::newRow("last line without end") << QByteArray("a\r\nb") << L{"a", "b"};
    }
    void splitLines() {
        QFETCH(QByteArray, data);
        QFETCH(QList<QByteArray>, lines);
        QCOMPARE(LineFile::split(data), lines);
        QCOMPARE(LineFile::split(LineFile::join(lines)), lines);
    }

    void filesKeepEveryByte() {
        QTemporaryDir dir;
        const QString path = dir.filePath("lines.txt");
        QList<QByteArray> lines = {"", "\n", "\n\n", QByteArray("\0\x01\x1a\xff", 4), "x\ny"};
        QByteArray everyByte;
        for (int b = 0; b < 256; ++b) {
            if (b != '\r')
                everyByte.append(char(b));
        }
        lines.append(everyByte);
        QString error;
        QVERIFY2(LineFile::write(path, lines, &error), qPrintable(error));
        QCOMPARE(readAll(path), LineFile::join(lines));
        QCOMPARE(readAll(path).left(7), QByteArray("\r\n\n\r\n\n\n"));
        const auto back = LineFile::read(path, &error);
        QVERIFY(back);
        QCOMPARE(*back, lines);
    }

    void fileErrorsAreReported() {
        QTemporaryDir dir;
        QString error;
        QVERIFY(!LineFile::read(dir.filePath("missing.txt"), &error));
        QVERIFY(error.contains("missing.txt"));

        // A folder in the file's place can be neither read nor replaced; it is left alone.
        QVERIFY(QDir(dir.path()).mkdir("taken.txt"));
        error.clear();
        QVERIFY(!LineFile::read(dir.filePath("taken.txt"), &error));
        QVERIFY(!error.isEmpty());
        error.clear();
        QVERIFY(!LineFile::write(dir.filePath("taken.txt"), {"a"}, &error));
        QVERIFY(error.contains("taken.txt"));
        QVERIFY(QFileInfo(dir.filePath("taken.txt")).isDir());
        QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList{"taken.txt"});

        error.clear();
        QVERIFY(!LineFile::write(dir.filePath("no/such/folder.txt"), {"a"}, &error));
        QVERIFY(!error.isEmpty());
    }

    void rewritingReplacesTheWholeFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath("words.txt");
        QVERIFY(LineFile::write(path, {"ONE", "TWO", "THREE"}, nullptr));
        QVERIFY(LineFile::write(path, {"A"}, nullptr));
        QCOMPARE(readAll(path), QByteArray("A\r\n"));

        // A carriage return would split its line and shift every later row: refused, old file kept.
        QString error;
        QVERIFY(!LineFile::write(path, {"B", "C\rD"}, &error));
        QVERIFY2(error.contains("line 2"), qPrintable(error));
        QCOMPARE(readAll(path), QByteArray("A\r\n"));
    }

    void codeLinesFillTenCodes() {
        const QList<QByteArray> words = {"A", "B", "C", "D", "E"};
        const QList<QByteArray> codeLines = {
            "\xC7\xC1",                  // two codes, then pads
            "0123456789ABC",             // longer than a row: its first ten
            "",                          // an empty line is all pad
            QByteArray("\x8e\n\x94", 3), // code 10 inside a row
            QByteArray("\0\xff", 2),
            "beyond the words",
        };
        QString error;
        const auto tables = WordListFiles::pairLines(words, codeLines, &error);
        QVERIFY2(tables, qPrintable(error));
        QCOMPARE(row(*tables, 0), (QList<qint16>{199, 193, 48, 48, 48, 48, 48, 48, 48, 48}));
        QCOMPARE(row(*tables, 1), (QList<qint16>{48, 49, 50, 51, 52, 53, 54, 55, 56, 57}));
        QCOMPARE(row(*tables, 2), QList<qint16>(10, 48));
        QCOMPARE(row(*tables, 3), (QList<qint16>{142, 10, 148, 48, 48, 48, 48, 48, 48, 48}));
        QCOMPARE(row(*tables, 4), (QList<qint16>{0, 255, 48, 48, 48, 48, 48, 48, 48, 48}));
        // Rows past the last word stay 0: the surplus code line is not read.
        QVERIFY(
            std::all_of(tables->codes.begin() + 50, tables->codes.end(), [](qint16 c) { return c == 0; }));
        QCOMPARE(tables->list1, (QStringList{"A", "B", "C", "D", "E"}));
        QCOMPARE(tables->list3, tables->list1);
    }

    void pairingRefusesWhatDoesNotFit() {
        QString error;
        QVERIFY(!WordListFiles::pairLines({"A", "B", "C"}, {"x", "y"}, &error));
        QVERIFY(error.contains("2 code lines for 3 words"));

        const QList<QByteArray> tooMany(2061, "W");
        QVERIFY(!WordListFiles::pairLines(tooMany, tooMany, &error));
        QVERIFY(error.contains("2061"));

        const QList<QByteArray> full(2060, "W");
        const QList<QByteArray> fullCodes(2060, "\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF");
        const auto tables = WordListFiles::pairLines(full, fullCodes, &error);
        QVERIFY(tables);
        QCOMPARE(tables->codes[20599], qint16(255));
        QCOMPARE(tables->codes[20600], qint16(0));
    }

    void wordAndCodeFilesRoundTrip() {
        QTemporaryDir dir;
        const WordListFiles files(dir.path());
        const QStringList words = {QString::fromUtf8("CAF\u00c9"), "", QString::fromUtf8("\u20ac5"),
                                   "TWO WORDS"};
        Vocabulary::CodeTable codes{};
        for (int i = 0; i < 40; ++i)
            codes[i] = qint16((i * 7 + 1) % 256); // never 13, which no line can hold
        codes[10] = 10;

        QString error;
        QVERIFY2(files.writeWords(WordListFiles::kTempWords, words, &error), qPrintable(error));
        QVERIFY2(files.writeCodes(WordListFiles::kTempCodes, codes, 4, &error), qPrintable(error));
        QCOMPARE(readAll(files.path(WordListFiles::kTempWords)), QByteArray("CAF\xC9\r\n\r\n\x80"
                                                                            "5\r\nTWO WORDS\r\n"));
        QCOMPARE(readAll(files.path(WordListFiles::kTempCodes)).size(), 4 * 12);

        const auto tables = files.readPair(WordListFiles::kTempWords, WordListFiles::kTempCodes, &error);
        QVERIFY2(tables, qPrintable(error));
        QCOMPARE(tables->list1, words);
        QCOMPARE(row(*tables, 0), QList<qint16>(codes.begin(), codes.begin() + 10));
        QCOMPARE(row(*tables, 2), QList<qint16>(codes.begin() + 20, codes.begin() + 30));
    }

    void missingFilesNameTheFile() {
        QTemporaryDir dir;
        const WordListFiles files(dir.path());
        writeRaw(files.path(WordListFiles::kMainWords), "A\r\n");
        QString error;
        QVERIFY(!files.readPair(WordListFiles::kMainWords, WordListFiles::kMainCodes, &error));
        QVERIFY2(error.contains("mainph.txt"), qPrintable(error));
    }
};

QTEST_GUILESS_MAIN(WordListFilesTest)
#include "WordListFilesTest.moc"
