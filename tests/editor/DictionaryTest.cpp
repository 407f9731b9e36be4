// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/Dictionary.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace telvar;

namespace {

QString lookUp(const Dictionary& dictionary, const QString& key,
               const QString& section = QStringLiteral("Words")) {
    return dictionary.ReadDictionary(section, key, QStringLiteral("<default>"));
}

} // namespace

class DictionaryTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void sectionAndKeyIgnoreCase() {
        const Dictionary lower = Dictionary::parse("[words]\nhello=\\HE\n");
        const Dictionary upper = Dictionary::parse("[WORDS]\nHELLO=\\HE\n");
        for (const Dictionary* dictionary : {&lower, &upper}) {
            QCOMPARE(lookUp(*dictionary, QStringLiteral("HELLO")), QStringLiteral("\\HE"));
            QCOMPARE(lookUp(*dictionary, QStringLiteral("hello"), QStringLiteral("wOrDs")),
                     QStringLiteral("\\HE"));
        }
    }

    void valuesAreTrimmed_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("value");
        QTest::newRow("blanks around the equals sign")
            << QByteArray("  key  =   \\HE \\EH   ") << "\\HE \\EH";
        QTest::newRow("tabs") << QByteArray("\tkey\t=\t\\HE\t") << "\\HE";
        QTest::newRow("trailing NULs") << QByteArray("key=\\HE\0\0", 9) << "\\HE";
        QTest::newRow("NULs and blanks mixed") << QByteArray("key=\\HE \0 \0 ", 12) << "\\HE";
        QTest::newRow("quotes removed, blanks inside trimmed") << QByteArray("key=\"  \\HE  \"") << "\\HE";
        QTest::newRow("unmatched quote kept") << QByteArray("key=\"\\HE") << "\"\\HE";
        QTest::newRow("second equals sign is part of the value") << QByteArray("key=a=b") << "a=b";
        QTest::newRow("backslashes are not escapes") << QByteArray("key=\\n\\t\\\\") << "\\n\\t\\\\";
        QTest::newRow("empty value is no default") << QByteArray("key=") << "";
    }
    void valuesAreTrimmed() {
        QFETCH(QByteArray, line);
        QFETCH(QString, value);
        QCOMPARE(lookUp(Dictionary::parse("[Words]\r\n" + line + "\r\n"), QStringLiteral("key")), value);
    }

    void missingPartsGiveTheDefault() {
        const Dictionary dictionary = Dictionary::parse("key=before any section\n"
                                                        "[Other]\nhello=\\IY\n"
                                                        "[Words]\nworld=\\WW\nnoEquals\n");
        QCOMPARE(lookUp(dictionary, QStringLiteral("hello")), QStringLiteral("<default>"));
        QCOMPARE(lookUp(dictionary, QStringLiteral("key")), QStringLiteral("<default>"));
        QCOMPARE(lookUp(dictionary, QStringLiteral("noEquals")), QStringLiteral("<default>"));
        QCOMPARE(lookUp(dictionary, QStringLiteral("world"), QStringLiteral("Missing")),
                 QStringLiteral("<default>"));
        QCOMPARE(lookUp(dictionary, QStringLiteral("world")), QStringLiteral("\\WW"));
        QCOMPARE(lookUp(Dictionary(), QStringLiteral("world")), QStringLiteral("<default>"));
    }

    void missingOrUnreadableFileIsEmpty() {
        QTemporaryDir folder;
        QCOMPARE(lookUp(Dictionary::read(Dictionary::pathIn(folder.path())), QStringLiteral("a")),
                 QStringLiteral("<default>"));
        // A folder where the file should be.
        QVERIFY(QDir(folder.path()).mkdir(QString::fromLatin1(Dictionary::kFileName)));
        QCOMPARE(lookUp(Dictionary::read(Dictionary::pathIn(folder.path())), QStringLiteral("a")),
                 QStringLiteral("<default>"));
    }

    void overLongValueIsCut() {
        const QByteArray value(3000, 'x');
        const QString read =
            lookUp(Dictionary::parse("[Words]\nlong=" + value + "\n"), QStringLiteral("long"));
        QCOMPARE(read, QString(Dictionary::kMaxValueLength, QLatin1Char('x')));
        // Blanks that the cut leaves at the end go too.
        const QByteArray blanks = QByteArray(Dictionary::kMaxValueLength - 3, 'x') + "      yyy";
        QCOMPARE(lookUp(Dictionary::parse("[Words]\nk=" + blanks + "\n"), QStringLiteral("k")),
                 QString(Dictionary::kMaxValueLength - 3, QLatin1Char('x')));
    }

    void firstSectionAndKeyWin() {
        const Dictionary dictionary = Dictionary::parse("[Words]\nhello=\\HE\nHELLO=\\IY\n"
                                                        "[words]\nhello=\\OW\nlater=\\EH\n");
        QCOMPARE(lookUp(dictionary, QStringLiteral("hello")), QStringLiteral("\\HE"));
        QCOMPARE(lookUp(dictionary, QStringLiteral("later")), QStringLiteral("<default>"));
    }

    void commentsAndLineEnds() {
        const Dictionary dictionary = Dictionary::parse("\xEF\xBB\xBF[Words]\r"
                                                        ";hidden=\\IY\n"
                                                        "   ; also=\\IY\r\n"
                                                        "cr=\\HE\r"
                                                        "lf=\\EH\n"
                                                        "  [ Words ]  \n"
                                                        "last=\\OW");
        QCOMPARE(lookUp(dictionary, QStringLiteral(";hidden")), QStringLiteral("<default>"));
        QCOMPARE(lookUp(dictionary, QStringLiteral("hidden")), QStringLiteral("<default>"));
        QCOMPARE(lookUp(dictionary, QStringLiteral("cr")), QStringLiteral("\\HE"));
        QCOMPARE(lookUp(dictionary, QStringLiteral("lf")), QStringLiteral("\\EH"));
        // "[ Words ]" is the same section again, so its keys are not read.
        QCOMPARE(lookUp(dictionary, QStringLiteral("last")), QStringLiteral("<default>"));
    }

    void badFilesReadSafely() {
        QTemporaryDir folder;
        const QString path = Dictionary::pathIn(folder.path());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QRandomGenerator random(7);
        QByteArray noise(64 * 1024, Qt::Uninitialized);
        for (char& byte : noise)
            byte = char(random.bounded(256));
        file.write(noise);
        file.write("\n[Words]\nafter=\\IY\n");
        file.close();
        QCOMPARE(lookUp(Dictionary::read(path), QStringLiteral("after")), QStringLiteral("\\IY"));

        // A file far larger than any dictionary reads as missing rather than filling memory.
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Words]\nfirst=\\IY\n");
        QVERIFY(file.resize(Dictionary::kMaxFileSize + 1));
        file.close();
        QCOMPARE(lookUp(Dictionary::read(path), QStringLiteral("first")), QStringLiteral("<default>"));
    }
};

QTEST_APPLESS_MAIN(DictionaryTest)
#include "DictionaryTest.moc"
