// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/EditorFiles.h"
#include "editor/PhoneticCodes.h"
#include "support/ScratchFolder.h"
#include "vocab/LineFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace telvar;

namespace {

const QByteArray kWords = "PLACEBO\r\n  EAT \r\nCAF\xC9\r\n";
// Ten codes, a line with the code 10 at its end and a line longer than ten codes.
const QByteArray kCodes = "\xC7\x91\x82\xBB\x83\xAB\xA4"
                          "000\r\n"
                          "\x80\xBF\n\r\n"
                          "\x87\x87\x87\xBF\x88\x8C\x82\xBF\x81\xC4\x80\x80\r\n";

} // namespace

// The word editor's files: its working list, "Save Edits" and "Transfer Edits", and what a failure
// leaves behind.
class EditorFilesTest : public QObject, protected telvar::test::ScratchFolder {
    Q_OBJECT

    // A folder in place of a file: as root no permission bit stops a write, but nothing replaces a
    // folder with a file.
    void block(const char* name) {
        QFile::remove(path(name));
        QVERIFY(QDir(m_folder.path()).mkdir(QString::fromLatin1(name)));
    }

    WorkingWordList loaded() { return EditorFiles(m_folder.path()).load().list; }

private Q_SLOTS:
    void init() {
        QVERIFY(clearFolder());
        put("tempw.txt", kWords);
        put("tempph.txt", kCodes);
    }

    void loadTrimsBlanksOnly() {
        const EditorLoad load = EditorFiles(m_folder.path()).load();
        QVERIFY(load.problems.isEmpty());
        QCOMPARE(load.list.words(), QStringList({"PLACEBO", "EAT", QString::fromUtf8("CAFÉ")}));
        QCOMPARE(load.list.phonetics().at(1), QByteArray("\x80\xBF\n"));
        QCOMPARE(load.list.phonetics().at(2).size(), 12);
        QCOMPARE(load.list.shownMnemonics(2), QStringLiteral("\\AW\\AW\\AW\\TT\\OH\\MM\\EY\\TT"));
        QCOMPARE(load.list.shownMnemonics(1), QStringLiteral("\\IY\\TT"));
    }

    void loadSaysWhatIsMissing() {
        put("tempph.txt", "\xC7\r\n");
        EditorLoad load = EditorFiles(m_folder.path()).load();
        QCOMPARE(load.list.size(), 3);
        QCOMPARE(load.list.phonetics().at(2), QByteArray(kStoredPhoneticLength, kPhoneticPad));
        QCOMPARE(load.problems.size(), 1);
        QVERIFY2(load.problems.first().contains(QLatin1String("1 lines for 3 words")),
                 qPrintable(load.problems.first()));

        QFile::remove(path("tempph.txt"));
        load = EditorFiles(m_folder.path()).load();
        QCOMPARE(load.list.size(), 3);
        QVERIFY(load.problems.first().contains(QLatin1String("tempph.txt")));

        QFile::remove(path("tempw.txt"));
        load = EditorFiles(m_folder.path()).load();
        QCOMPARE(load.list.size(), 0);
        QVERIFY(load.problems.first().contains(QLatin1String("tempw.txt")));
    }

    void saveKeepsEveryByte() {
        WorkingWordList list = loaded();
        QString error;
        QVERIFY2(EditorFiles(m_folder.path()).saveEdits(list, &error), qPrintable(error));
        // The only change is the blanks that load took off " EAT ".
        QCOMPARE(contentOf("tempw.txt"), QByteArray("PLACEBO\r\nEAT\r\nCAF\xC9\r\n"));
        QCOMPARE(contentOf("tempph.txt"), kCodes);
        QCOMPARE(loaded().phonetics(), list.phonetics());
    }

    void emptyListSavesEmptyFiles() {
        QString error;
        QVERIFY(EditorFiles(m_folder.path()).saveEdits(WorkingWordList(), &error));
        QCOMPARE(contentOf("tempw.txt"), QByteArray());
        QCOMPARE(contentOf("tempph.txt"), QByteArray());
    }

    void replaceTidiesAndChecks() {
        WorkingWordList list = loaded();
        QCOMPARE(list.replace(1, u"  eat me ", " \x80\x80 "), QString());
        QCOMPARE(list.words().at(1), QStringLiteral("EAT ME"));
        QCOMPARE(list.phonetics().at(1), QByteArray("\x80\x80"));

        const QString carriageReturn = list.replace(0, u"word", "\x80\r\x80");
        QVERIFY2(carriageReturn.contains(QLatin1String("WORD")) &&
                     carriageReturn.contains(QLatin1String("13")),
                 qPrintable(carriageReturn));
        QVERIFY(!list.replace(0, u"\u03a9", "\x80").isEmpty()); // no Windows-1252 byte for it
        QVERIFY(!list.replace(3, u"word", "\x80").isEmpty());
        QVERIFY(!list.replace(-1, u"word", "\x80").isEmpty());
        QCOMPARE(list.words().at(0), QStringLiteral("PLACEBO"));
    }

    // A replaced word is upper-cased only where the word file can hold the capital; the other words go
    // back to the file byte for byte, whatever whitespace they carry.
    void replacedWordsAndTheirNeighbours_data() {
        QTest::addColumn<QByteArray>("neighbour");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("sharp s has no one-letter capital")
            << QByteArray("\tdef\t") << QStringLiteral(" stra\u00dfe  ") << QByteArray("STRA\xDF") + 'E';
        QTest::newRow("micro sign's capital is Greek")
            << QByteArray("ghi\xA0") << QStringLiteral("\u00b5m") << QByteArray("\xB5M");
        QTest::newRow("accented letters have capitals")
            << QByteArray("\xA0" "caf\xE9") << QStringLiteral("\u00e0 la \u00ff") << QByteArray("\xC0 LA \x9F");
        QTest::newRow("only blanks are trimmed")
            << QByteArray(" \x80 ") << QStringLiteral("\tab\u00a0") << QByteArray("\tAB\xA0");
    }
    void replacedWordsAndTheirNeighbours() {
        QFETCH(QByteArray, neighbour);
        QFETCH(QString, typed);
        QFETCH(QByteArray, stored);
        put("tempw.txt", neighbour + "\r\nOLD\r\n");
        put("tempph.txt", "\x80\r\n\x80\r\n");
        WorkingWordList list = loaded();
        QCOMPARE(list.replace(1, typed, "\x83"), QString());
        QString error;
        QVERIFY2(EditorFiles(m_folder.path()).saveEdits(list, &error), qPrintable(error));
        QCOMPARE(contentOf("tempw.txt"), withoutBlanks(neighbour).toByteArray() + "\r\n" + stored + "\r\n");
        QCOMPARE(loaded().words(), list.words());
    }

    void saveRefusesACarriageReturn() {
        WorkingWordList list({"GOOD", "BAD"}, {"\x80", "\x80\r"});
        QString error;
        QVERIFY(!EditorFiles(m_folder.path()).saveEdits(list, &error));
        QVERIFY2(error.contains(QLatin1String("BAD")), qPrintable(error));
        QCOMPARE(contentOf("tempw.txt"), kWords);
        QCOMPARE(contentOf("tempph.txt"), kCodes);
    }

    void failedSaveLeavesTheOldPair_data() {
        QTest::addColumn<QByteArray>("blocked");
        QTest::addColumn<QByteArray>("kept");
        QTest::newRow("phonetic file cannot be replaced")
            << QByteArray("tempph.txt") << QByteArray("tempw.txt");
        QTest::newRow("word file cannot be replaced") << QByteArray("tempw.txt") << QByteArray("tempph.txt");
    }
    void failedSaveLeavesTheOldPair() {
        QFETCH(QByteArray, blocked);
        QFETCH(QByteArray, kept);
        const QByteArray keptContent = contentOf(kept.constData());
        WorkingWordList list = loaded();
        QCOMPARE(list.replace(0, u"CHANGED", "\x80"), QString());
        block(blocked.constData());
        QString error;
        QVERIFY(!EditorFiles(m_folder.path()).saveEdits(list, &error));
        QVERIFY2(error.contains(QString::fromLatin1(blocked)), qPrintable(error));
        QCOMPARE(contentOf(kept.constData()), keptContent);
        // Nothing half-written is left beside the files.
        QCOMPARE(QDir(m_folder.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

    void transferCopiesTheSavedPair() {
        put("mainw.txt", "OLD\r\n");
        put("mainph.txt", "\x80\r\n");
        QString error;
        QVERIFY2(EditorFiles(m_folder.path()).transferEdits(&error), qPrintable(error));
        QCOMPARE(contentOf("mainw.txt"), kWords);
        QCOMPARE(contentOf("mainph.txt"), kCodes);
        QCOMPARE(contentOf("tempw.txt"), kWords);
    }

    void transferRefusesWhatCouldNotBeLoaded_data() {
        QTest::addColumn<QByteArray>("words");
        QTest::addColumn<QByteArray>("codes");
        QTest::addColumn<QString>("reason");
        QTest::newRow("no phonetic file") << kWords << QByteArray() << "tempph.txt";
        QTest::newRow("no word file") << QByteArray() << kCodes << "tempw.txt";
        QTest::newRow("short phonetic file")
            << kWords << QByteArray("\x80\r\n") << "1 code lines for 3 words";
    }
    void transferRefusesWhatCouldNotBeLoaded() {
        QFETCH(QByteArray, words);
        QFETCH(QByteArray, codes);
        QFETCH(QString, reason);
        put("mainw.txt", "OLD\r\n");
        put("mainph.txt", "\x80\r\n");
        QFile::remove(path("tempw.txt"));
        QFile::remove(path("tempph.txt"));
        if (!words.isEmpty())
            put("tempw.txt", words);
        if (!codes.isEmpty())
            put("tempph.txt", codes);
        QString error;
        QVERIFY(!EditorFiles(m_folder.path()).transferEdits(&error));
        QVERIFY2(error.contains(reason), qPrintable(error));
        QCOMPARE(contentOf("mainw.txt"), QByteArray("OLD\r\n"));
        QCOMPARE(contentOf("mainph.txt"), QByteArray("\x80\r\n"));
    }

    void failedTransferLeavesTheMainPair() {
        put("mainw.txt", "OLD\r\n");
        block("mainph.txt");
        QString error;
        QVERIFY(!EditorFiles(m_folder.path()).transferEdits(&error));
        QVERIFY2(error.contains(QLatin1String("mainph.txt")), qPrintable(error));
        QCOMPARE(contentOf("mainw.txt"), QByteArray("OLD\r\n"));
    }
};

QTEST_APPLESS_MAIN(EditorFilesTest)
#include "EditorFilesTest.moc"
