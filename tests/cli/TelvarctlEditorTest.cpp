// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/ScratchFolder.h"
#include "support/Telvarctl.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using telvar::test::ProcessResult;
using telvar::test::runTelvarctl;

namespace {

const QByteArray kWords = "PLACEBO\r\nAUTOMATIC\r\n";
const QByteArray kCodes = "\xC7\x91\x82\xBB\x83\xAB\xA4"
                          "000\r\n"
                          "\x87\x87\x87\xBF\x88\x8C\x82\xBF\x81\xC4\x80\r\n";

} // namespace

// The word editor's verbs, run as processes on a data folder of their own; none needs a device.
class TelvarctlEditorTest : public QObject, protected telvar::test::ScratchFolder {
    Q_OBJECT

    ProcessResult run(QStringList arguments) {
        arguments.prepend(QStringLiteral("--data-dir=") + m_folder.path());
        return runTelvarctl(arguments, m_folder.path());
    }

private Q_SLOTS:
    void init() {
        QVERIFY(clearFolder());
        put("tempw.txt", kWords);
        put("tempph.txt", kCodes);
        put("DozudiZEzuve.Dic", "[Words]\nhello=\\HE \\EH \\LO \\OW\n");
    }

    void expandUsesTheChosenDictionary() {
        put("d.Dic", "[words]\nHELLO=\\HE \\EH\nWORLD=\\WW \\AXRR\n");
        ProcessResult result = run({QStringLiteral("--dict"), path("d.Dic"), QStringLiteral("expand"),
                                    QStringLiteral("hello,, world")});
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out, QStringLiteral("\\HE\\EH \\P2 \\P2\\WW\\AXRR\n"));

        // Without --dict the data folder's dictionary counts; a missing one makes words say nothing.
        QCOMPARE(run({QStringLiteral("expand"), QStringLiteral("hello world")}).out,
                 QStringLiteral("\\HE\\EH\\LO\\OW\n"));
        result = run({QStringLiteral("--dict"), path("none.Dic"), QStringLiteral("expand"),
                      QStringLiteral("hello  \\IY")});
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out, QStringLiteral(" \\P6\\IY\n"));

        QCOMPARE(run({QStringLiteral("expand")}).exitCode, 2);
        QCOMPARE(run({QStringLiteral("--dict")}).exitCode, 2);
    }

    void listShowsEveryCode() {
        const ProcessResult result = run({QStringLiteral("edit"), QStringLiteral("list")});
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out, QStringLiteral("0\tPLACEBO\t\\PO\\LE\\EY\\SE\\EH\\BO\\OWWW\n"
                                            "1\tAUTOMATIC\t\\AW\\AW\\AW\\TT\\OH\\MM\\EY\\TT\\IH\\EK\\IY\n"));
    }

    void replaceSavesTheWorkingFiles() {
        ProcessResult result = run({QStringLiteral("edit"), QStringLiteral("replace"), QStringLiteral("1"),
                                    QStringLiteral(" greeting "), QStringLiteral("hello, \\IY")});
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        QCOMPARE(result.out, QStringLiteral("1\tGREETING\t\\HE\\EH\\LO\\OW\\P2\\IY\n"));
        QCOMPARE(contentOf("tempw.txt"), QByteArray("PLACEBO\r\nGREETING\r\n"));
        QCOMPARE(contentOf("tempph.txt"), kCodes.first(12) + "\xB7\x83\x92\x89\x02\x80"
                                                             "0000\r\n");
        QCOMPARE(contentOf("mainw.txt"), QByteArray("<missing>"));
    }

    void replaceRefusesBadInput_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("index not a number") << QStringList{"x", "WORD", "\\IY"} << 2;
        QTest::newRow("negative index") << QStringList{"-1", "WORD", "\\IY"} << 2;
        QTest::newRow("index past the list") << QStringList{"2", "WORD", "\\IY"} << 2;
        QTest::newRow("text missing") << QStringList{"0", "WORD"} << 2;
        QTest::newRow("carriage return in the codes") << QStringList{"0", "WORD", "\\IY \\13"} << 1;
    }
    void replaceRefusesBadInput() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        arguments.prepend(QStringLiteral("replace"));
        arguments.prepend(QStringLiteral("edit"));
        const ProcessResult result = run(arguments);
        QCOMPARE(result.exitCode, exitCode);
        QVERIFY(!result.err.isEmpty());
        QCOMPARE(contentOf("tempw.txt"), kWords);
        QCOMPARE(contentOf("tempph.txt"), kCodes);
    }

    void missingWorkingFilesFail() {
        QFile::remove(path("tempw.txt"));
        const ProcessResult result = run({QStringLiteral("edit"), QStringLiteral("list")});
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(result.err.contains(QLatin1String("tempw.txt")), qPrintable(result.err));
        QCOMPARE(run({QStringLiteral("edit"), QStringLiteral("rewrite")}).exitCode, 2);
    }

    void transferAsksFirst() {
        put("mainw.txt", "OLD\r\n");
        put("mainph.txt", "\x80\r\n");
        // No terminal and no --yes: the confirmation is refused and nothing changes.
        ProcessResult result = run({QStringLiteral("edit"), QStringLiteral("transfer")});
        QCOMPARE(result.exitCode, 1);
        QCOMPARE(contentOf("mainw.txt"), QByteArray("OLD\r\n"));

        result = run({QStringLiteral("--yes"), QStringLiteral("edit"), QStringLiteral("transfer")});
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        QCOMPARE(contentOf("mainw.txt"), kWords);
        QCOMPARE(contentOf("mainph.txt"), kCodes);
    }

    void failedTransferKeepsTheMainFiles() {
        put("mainw.txt", "OLD\r\n");
        QVERIFY(QDir(m_folder.path()).mkdir(QStringLiteral("mainph.txt")));
        const ProcessResult result =
            run({QStringLiteral("--yes"), QStringLiteral("edit"), QStringLiteral("transfer")});
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(result.err.contains(QLatin1String("mainph.txt")), qPrintable(result.err));
        QCOMPARE(contentOf("mainw.txt"), QByteArray("OLD\r\n"));
    }
};

QTEST_GUILESS_MAIN(TelvarctlEditorTest)
#include "TelvarctlEditorTest.moc"
