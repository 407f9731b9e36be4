// SPDX-License-Identifier: GPL-3.0-or-later
#include "vocab/Cp1252.h"
#include "vocab/LineFile.h"
#include "vocab/WordListFiles.h"

#include <QCryptographicHash>
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

using Files = QMap<QString, QByteArray>;
const QByteArray kFolder = "<folder>";
const QString kJournal = QStringLiteral("tempw.txt+tempph.txt.pending");

QByteArray stamp(const QByteArray& content) {
    if (content.isNull())
        return "-";
    return QByteArray::number(content.size()) + ':' +
           QCryptographicHash::hash(content, QCryptographicHash::Sha256).toHex();
}

// The journal a writer of the temporary pair leaves when it is killed before it removes it.
QByteArray journal(const QByteArray& oldWords, const QByteArray& oldCodes, const QByteArray& words,
                   const QByteArray& codes, const QByteArray& wordsName = "tempw.txt") {
    return "telvar pair 1\n" + wordsName + '\t' + stamp(oldWords) + '\t' + stamp(words) + "\ntempph.txt\t" +
           stamp(oldCodes) + '\t' + stamp(codes) + "\n\n" + words + codes;
}

Files snapshot(const QString& folder) {
    Files files;
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden))
        files.insert(name, readAll(QDir(folder).filePath(name)));
    return files;
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

    // What a writer killed halfway through replacing a pair leaves, and what the next reader makes of it:
    // a whole journal is finished, anything else of ours is dropped without touching the pair, and
    // files that are not ours (backups, notes, a newer file by a pair's name) stay as they are.
    void interruptedReplacement_data() {
        QTest::addColumn<Files>("left");
        QTest::addColumn<Files>("settled");
        QTest::addColumn<bool>("finished");
        const QByteArray oldWords = "OLD\r\nOLDER\r\n", oldCodes = "\x80\r\n\x81\r\n";
        const QByteArray words = "NEW\r\nNEWER\r\n", codes = "\x82\n\x83\r\n\x84\r\n";
        const QByteArray whole = journal(oldWords, oldCodes, words, codes);
        const Files before{{"tempw.txt", oldWords}, {"tempph.txt", oldCodes}};
        const Files after{{"tempw.txt", words}, {"tempph.txt", codes}};
        const auto with = [](Files files, const QString& name, const QByteArray& content) {
            files.insert(name, content);
            return files;
        };
        QTest::newRow("whole journal, no file replaced yet")
            << with(before, kJournal, whole) << after << true;
        QTest::newRow("whole journal, word file replaced")
            << with(with(before, "tempw.txt", words), kJournal, whole) << after << true;
        QTest::newRow("whole journal, both replaced") << with(after, kJournal, whole) << after << true;
        QTest::newRow("whole journal of a new pair")
            << Files{{kJournal, journal({}, {}, words, codes)}} << after << true;
        QTest::newRow("journal cut short") << with(before, kJournal, whole.chopped(3)) << before << true;
        QByteArray damaged = whole;
        damaged[damaged.size() - 2] = 'X';
        QTest::newRow("journal damaged") << with(before, kJournal, damaged) << before << true;
        QTest::newRow("journal of other files")
            << with(before, kJournal, journal(oldWords, oldCodes, words, codes, "mainw.txt")) << before
            << true;
        QTest::newRow("not a journal")
            << with(before, kJournal, "my notes") << with(before, kJournal, "my notes") << true;
        QTest::newRow("word file written by someone since")
            << with(with(before, "tempw.txt", "THEIRS\r\n"), kJournal, whole)
            << with(before, "tempw.txt", "THEIRS\r\n") << true;
        QTest::newRow("word file blocked by a folder")
            << with(with(before, "tempw.txt", kFolder), kJournal, whole)
            << Files{{"tempph.txt", oldCodes}, {kJournal, whole}} << false;
    }
    void interruptedReplacement() {
        QFETCH(Files, left);
        QFETCH(Files, settled);
        QFETCH(bool, finished);
        QTemporaryDir dir;
        const Files unrelated{{"tempw.txt.20261207-092101.bak", "EDIT\r\n"}, {"tempw.txt.pending", "mine"}};
        left.insert(unrelated);
        settled.insert(unrelated);
        for (auto it = left.cbegin(); it != left.cend(); ++it) {
            if (it.value() == kFolder) {
                QVERIFY(QDir(dir.path()).mkdir(it.key()));
                continue;
            }
            QFile file(dir.filePath(it.key()));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(it.value());
        }
        const WordListFiles files(dir.path());
        QString error;
        QCOMPARE(files.settlePair(WordListFiles::kTempWords, WordListFiles::kTempCodes, &error), finished);
        QCOMPARE(snapshot(dir.path()), settled);
        // Nobody reads a pair that could not be made whole.
        if (!finished) {
            QVERIFY(!files.readPair(WordListFiles::kTempWords, WordListFiles::kTempCodes, &error));
            QVERIFY2(error.contains("interrupted"), qPrintable(error));
        }
    }
};

QTEST_GUILESS_MAIN(WordFileFormatTest)
#include "WordFileFormatTest.moc"
