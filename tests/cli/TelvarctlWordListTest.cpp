// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/Telvarctl.h"

#include "vocab/BuiltinVocabulary.h"
#include "vocab/LineFile.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

using telvar::test::ProcessResult;
using telvar::test::runTelvarctl;

namespace {

QString rowText(int row) {
    QStringList codes;
    for (int j = 0; j < telvar::builtin::kRowLength; ++j)
        codes << QString::number(telvar::builtin::codeRows()[row * telvar::builtin::kRowLength + j]);
    return codes.join(QLatin1Char(' '));
}

} // namespace

// The word-list verbs, each run as a process on the virtual device with a state file of its own, so that
// one verb sees what an earlier one left in the device.
class TelvarctlWordListTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_folder;

    // Pauses shortened (divisor 10); the count of pauses and the replies are what the verbs are tested on.
    ProcessResult run(QStringList arguments, int divisor = 10) {
        arguments.prepend(QStringLiteral("--data-dir=") + m_folder.path());
        arguments.prepend(QStringLiteral("--simulate=") + m_folder.filePath(QStringLiteral("device.json")));
        return runTelvarctl(arguments, m_folder.path(), 60000,
                            {QStringLiteral("TELVAR_TIME_DIVISOR=%1").arg(divisor)});
    }

    QByteArray deviceWordMemory() {
        QFile state(m_folder.filePath(QStringLiteral("device.json")));
        if (!state.open(QIODevice::ReadOnly))
            return {};
        const QJsonObject root = QJsonDocument::fromJson(state.readAll()).object();
        return QByteArray::fromHex(root.value(QStringLiteral("wordMemory")).toString().toLatin1());
    }

private Q_SLOTS:
    void init() {
        QVERIFY(m_folder.isValid());
        QDir(m_folder.path()).removeRecursively();
        QVERIFY(QDir().mkpath(m_folder.path()));
    }

    void vocabPrintsEveryRow() {
        ProcessResult result = run({QStringLiteral("vocab")});
        QCOMPARE(result.exitCode, 0);
        QVERIFY2(result.err.contains(QStringLiteral("Internal data loaded")), qPrintable(result.err));
        const QStringList lines = result.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2055);
        QCOMPARE(lines.at(5), QStringLiteral("5\t%1\t%2").arg(telvar::builtin::words().at(5), rowText(5)));
        QCOMPARE(lines.at(2054), QStringLiteral("2054\t\t%1").arg(rowText(2054)));

        // The first run wrote the word-list files; the next one reads them.
        result = run({QStringLiteral("vocab"), QStringLiteral("77")});
        QCOMPARE(result.exitCode, 0);
        QVERIFY2(result.err.contains(QStringLiteral("External data loaded")), qPrintable(result.err));
        QCOMPARE(result.out,
                 QStringLiteral("77\t%1\t%2\n").arg(telvar::builtin::words().at(77), rowText(77)));
        QCOMPARE(run({QStringLiteral("vocab"), QStringLiteral("2051")}).out,
                 QStringLiteral("2051\t\t0 0 0 0 0 0 0 0 0 0\n"));

        QCOMPARE(run({QStringLiteral("vocab"), QStringLiteral("2055")}).exitCode, 2);
    }

    void uploadWritesTheCodeTable() {
        QString error;
        QVERIFY(
            telvar::LineFile::write(m_folder.filePath(QStringLiteral("mainw.txt")), {"ONE", "TWO"}, &error));
        QVERIFY(telvar::LineFile::write(m_folder.filePath(QStringLiteral("mainph.txt")), {"\x80\x81", "\xC7"},
                                        &error));

        // Without --yes and without a terminal the confirmation is refused and the device is left alone.
        ProcessResult result = run({QStringLiteral("upload")});
        QCOMPARE(result.exitCode, 1);
        QVERIFY(result.out.isEmpty());
        const QByteArray factory = deviceWordMemory();
        QVERIFY(!factory.isEmpty());

        result = run({QStringLiteral("--yes"), QStringLiteral("upload")});
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out, QStringLiteral("Upload Complete\n"));
        QByteArray expected("\x80\x81"
                            "000000"
                            "\xC7"
                            "0000000");
        expected.append(QByteArray(2053 * 8, '\0'));
        QCOMPARE(deviceWordMemory().left(2055 * 8), expected);
    }

    void uploadThatLosesTheDeviceFails() {
        const ProcessResult result = run({QStringLiteral("--fault"), QStringLiteral("unplug-after:42"),
                                          QStringLiteral("--yes"), QStringLiteral("upload")});
        QCOMPARE(result.exitCode, 1);
        QVERIFY(result.out.isEmpty());
        QVERIFY2(result.err.contains(QStringLiteral("Upload stopped at word #21 \"")),
                 qPrintable(result.err));
    }

    // The device leaves in the pause after a word it took: that word is loaded, and the message says so.
    void uploadThatLosesTheDeviceAfterAWordSaysItIsLoaded() {
        const ProcessResult result = run({QStringLiteral("--fault"), QStringLiteral("unplug-after:43"),
                                          QStringLiteral("--yes"), QStringLiteral("upload")});
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(result.err.contains(QStringLiteral("Upload stopped after word #21 \"")),
                 qPrintable(result.err));
        QVERIFY2(result.err.contains(QStringLiteral("Words #1 to #21 are loaded")), qPrintable(result.err));
        const QByteArray memory = deviceWordMemory();
        const auto& rows = telvar::builtin::codeRows();
        for (int i = 0; i < 8; ++i)
            QCOMPARE(quint8(memory.at(8 * 20 + i)), quint8(rows[10 * 20 + i]));
    }

    // A unit command that fails part way is reported once, by the exit status's message.
    void sayToTheUnitThatFailsSaysSoOnce() {
        const ProcessResult result =
            run({QStringLiteral("--fault"), QStringLiteral("unplug-after:4"), QStringLiteral("say"),
                 QStringLiteral("31"), QStringLiteral("--unit")});
        QCOMPARE(result.exitCode, 1);
        QVERIFY(result.out.isEmpty());
        QCOMPARE(result.err.count(QStringLiteral("Say Word")), 1);
    }

    void sayAndTheSpokenWordRecord() {
        ProcessResult result = run({QStringLiteral("say"), QStringLiteral("31"), QStringLiteral("--unit")});
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out, telvar::builtin::words().at(31) + QLatin1Char('\n'));
        QVERIFY2(result.err.contains(QStringLiteral(" AA = 00031")), qPrintable(result.err));
        QCOMPARE(run({QStringLiteral("say"), QStringLiteral("5")}).out,
                 telvar::builtin::words().at(5) + QLatin1Char('\n'));
        QCOMPARE(run({QStringLiteral("say"), QStringLiteral("2049")}).exitCode, 2);

        const QString word5 = telvar::builtin::words().at(5);
        const QString word31 = telvar::builtin::words().at(31);
        result = run({QStringLiteral("words"), QStringLiteral("spoken")});
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out, QStringLiteral(" 2 number of words\n 2 : %1\n 1 : %2\n").arg(word5, word31));
        result = run({QStringLiteral("words"), QStringLiteral("memory")});
        QCOMPARE(result.out,
                 QStringLiteral(" Reading 500 stored words\n 2 : %1\n 1 : %2\n").arg(word5, word31));

        result = run({QStringLiteral("words"), QStringLiteral("clear-count")});
        QCOMPARE(result.exitCode, 0);
        QVERIFY(result.out.isEmpty());
        QCOMPARE(run({QStringLiteral("words"), QStringLiteral("spoken")}).out,
                 QStringLiteral(" 1 number of words\n 1 : %1\n").arg(word31));

        QCOMPARE(run({QStringLiteral("words"), QStringLiteral("clear-memory")}).out,
                 QStringLiteral("Memory Clear\n"));
        QCOMPARE(run({QStringLiteral("words"), QStringLiteral("memory")}).out,
                 QStringLiteral(" Reading 500 stored words\n"));
    }

    void sendToUnitNeedsTheWordFile() {
        ProcessResult result = run({QStringLiteral("--yes"), QStringLiteral("send-to-unit")});
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(result.err.contains(QStringLiteral("mainw.txt")), qPrintable(result.err));

        QVERIFY(run({QStringLiteral("vocab"), QStringLiteral("0")}).exitCode ==
                0); // writes the word-list files
        // All 2051 words, to a unit that takes them at once.
        result = run({QStringLiteral("--fault"), QStringLiteral("unit-pace:0"), QStringLiteral("--yes"),
                      QStringLiteral("send-to-unit")});
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out, QStringLiteral("Upload complete\n"));
    }

    // Replies as late as a real unit's (the reply limit for other commands is not shortened, and neither
    // is the delay), and a unit that never answers: that one ends soon, naming the word, and the device
    // is sent nothing after the word it hangs on.
    void sendToUnitFollowsTheUnit_data() {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("unitWords");
        QTest::addColumn<QString>("err");
        QTest::newRow("every reply 1.3 s late")
            << QStringLiteral("delay:1300") << 0
            << QStringList{QStringLiteral("ONE       "), QStringLiteral("YES       ")} << QString();
        QTest::newRow("silent unit") << QStringLiteral("unit-silent") << 1 << QStringList()
                                     << QStringLiteral("stopped at word #1 \"ONE\": no reply to this word");
    }
    void sendToUnitFollowsTheUnit() {
        QFETCH(QString, fault);
        QFETCH(int, exitCode);
        QFETCH(QStringList, unitWords);
        QFETCH(QString, err);
        QString error;
        QVERIFY(
            telvar::LineFile::write(m_folder.filePath(QStringLiteral("mainw.txt")), {"ONE", "YES"}, &error));
        QVERIFY(telvar::LineFile::write(m_folder.filePath(QStringLiteral("mainph.txt")), {"\x80", "\x81"},
                                        &error));

        const ProcessResult result =
            run({QStringLiteral("--fault"), fault, QStringLiteral("--yes"), QStringLiteral("--timeout"),
                 QStringLiteral("2000"), QStringLiteral("send-to-unit")});

        QCOMPARE(result.exitCode, exitCode);
        QVERIFY2(result.err.contains(err), qPrintable(result.err));
        QFile state(m_folder.filePath(QStringLiteral("device.json")));
        QVERIFY(state.open(QIODevice::ReadOnly));
        const QJsonObject root = QJsonDocument::fromJson(state.readAll()).object();
        QCOMPARE(root.value(QStringLiteral("unitWords")).toVariant().toStringList(), unitWords);
        // "N" of "ONE" run as a command would have left the unit's words and made the device speak; a
        // spoken word is kept in the record.
        QVERIFY(!root.value(QStringLiteral("spokenRecord")).toVariant().toList().contains(0));
    }
};

QTEST_GUILESS_MAIN(TelvarctlWordListTest)
#include "TelvarctlWordListTest.moc"
