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

} // namespace

class WordFileFormatTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cp1252() {
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
        QCOMPARE(text[0xE9], QChar(0x00E9));

        const QString foreign = QString::fromUtf8("a\u0101b\U0001F600c\u0080");
        QVERIFY(!cp1252::canEncode(foreign));
        QCOMPARE(cp1252::encode(foreign), QByteArray("a?b?c?"));
    }

    void splitLines_data() {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QList<QByteArray>>("lines");
        using L = QList<QByteArray>;
        QTest::newRow("empty file") << QByteArray() << L{};
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
        QCOMPARE(readAll(path).left(7), QByteArray("\r\n\n\r\n\n\n"));
        QCOMPARE(LineFile::read(path, &error).value_or(QList<QByteArray>()), lines);

        QVERIFY(LineFile::write(path, {"A"}, &error));
        QCOMPARE(readAll(path), QByteArray("A\r\n"));
        // A carriage return would split its line and shift every later row: refused, old file kept.
        QVERIFY(!LineFile::write(path, {"B", "C\rD"}, &error));
        QVERIFY2(error.contains("line 2"), qPrintable(error));
        QCOMPARE(readAll(path), QByteArray("A\r\n"));
    }

    void fileErrorsAreReported() {
        QTemporaryDir dir;
        QString error;
        QVERIFY(!LineFile::read(dir.filePath("missing.txt"), &error));
        QVERIFY(error.contains("missing.txt"));

        // A folder in the file's place can be neither read nor replaced, and is left alone.
        QVERIFY(QDir(dir.path()).mkdir("taken.txt"));
        QVERIFY(!LineFile::read(dir.filePath("taken.txt"), &error));
        error.clear();
        QVERIFY(!LineFile::write(dir.filePath("taken.txt"), {"a"}, &error));
        QVERIFY(error.contains("taken.txt"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
                 QStringList{"taken.txt"});
    }
};

QTEST_GUILESS_MAIN(WordFileFormatTest)
#include "WordFileFormatTest.moc"
