// SPDX-License-Identifier: GPL-3.0-or-later
// Several Telvar X at once, as virtual devices (one state file each): listing them with who holds them,
// choosing one, refusing to guess, and one question asked of several at the same moment.
#include "journal/JournalStore.h"
#include "support/ScratchFolder.h"
#include "support/Telvarctl.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTest>

using telvar::JournalSession;
using telvar::JournalStore;
using telvar::test::ProcessResult;
using telvar::test::runTelvarctl;

namespace {
const QStringList kFast{QStringLiteral("TELVAR_TIME_DIVISOR=20")};
}

class TelvarctlSeveralDevicesTest : public QObject, telvar::test::ScratchFolder {
    Q_OBJECT

    QStringList twoDevices() const {
        return {"--journal",
                path("j.db"),
                "--data-dir",
                m_folder.path(),
                "--simulate=" + path("a.json"),
                "--simulate=" + path("b.json")};
    }
    ProcessResult run(const QStringList& words) const {
        return runTelvarctl(twoDevices() + words, m_folder.path(), 60000, kFast);
    }
    // The serial of each virtual device, as `devices` lists them: path, serial, holder.
    QStringList serials() const {
        QStringList found;
        for (const QString& line : run({"devices"}).out.split(u'\n', Qt::SkipEmptyParts))
            found << line.section(u'\t', 1, 1);
        return found;
    }
    std::vector<JournalSession> sessions() const {
        JournalStore store;
        return store.open(path("j.db")) ? store.read().value_or(std::vector<JournalSession>{})
                                        : std::vector<JournalSession>{};
    }

private Q_SLOTS:
    void init() { QVERIFY(clearFolder()); }

    void eachStateFileIsADeviceThatCanBeChosen() {
        const ProcessResult listed = run({"devices"});
        QCOMPARE(listed.exitCode, 0);
        static const QRegularExpression line(QStringLiteral("^(.*)\\t(SIM-[0-9A-F]{8})\\tfree$"));
        const QStringList lines = listed.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QCOMPARE(line.match(lines[0]).captured(1), path("a.json"));
        QCOMPARE(line.match(lines[1]).captured(1), path("b.json"));
        const QStringList serial = serials();
        QCOMPARE(serial, (QStringList{line.match(lines[0]).captured(2), line.match(lines[1]).captured(2)}));
        QVERIFY(serial[0] != serial[1]);

        // Two there and none chosen: no guess, a usage error that names both.
        const ProcessResult unchosen = run({"--sensor", "5", "ask", "Q", "--window", "6"});
        QCOMPARE(unchosen.exitCode, 2);
        QVERIFY2(unchosen.err.contains(serial[0]) && unchosen.err.contains(serial[1]),
                 qPrintable(unchosen.err));
        QVERIFY(sessions().empty());

        // Chosen by serial and by path alike.
        QCOMPARE(run({"--sensor", "5", "--device", serial[1], "ask", "Q", "--window", "6"}).exitCode, 0);
        QCOMPARE(run({"--sensor", "5", "ask", "R", "--window", "6", "--device", "b.json"}).exitCode, 0);
        const std::vector<JournalSession> kept = sessions();
        QCOMPARE(kept.size(), std::size_t(2));
        QCOMPARE(kept[0].device, serial[1]);
        QCOMPARE(kept[1].device, serial[1]);

        const ProcessResult unknown = run({"--device", "SIM-NOPE", "ask", "Q", "--window", "6"});
        QCOMPARE(unknown.exitCode, 1);
        QVERIFY2(unknown.err.contains(QStringLiteral("SIM-NOPE")), qPrintable(unknown.err));
        QCOMPARE(run({"--device", serial[0], "--device", serial[1], "say", "1"}).exitCode, 2);
    }

    // One question, both devices at the same moment. A device that stops answering or leaves midway
    // fails its own session; each session is journaled and each log entry is whole.
    void askingSeveralAtOnce_data() {
        QTest::addColumn<QStringList>("fault");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("answer"); // not compared when null
        QTest::addColumn<QString>("end");
        QTest::newRow("both answer") << QStringList{} << 0 << " SUPPER CARRIER"
                                     << "window ended";
        QTest::newRow("reply dropped") << QStringList{"--fault", "drop:D", "--timeout", "100"} << 1 << ""
                                       << "window ended";
        QTest::newRow("unplugged midway")
            << QStringList{"--fault", "unplug-after:4"} << 1 << QString() << "device gone";
    }
    void askingSeveralAtOnce() {
        QFETCH(QStringList, fault);
        QFETCH(int, exitCode);
        QFETCH(QString, answer);
        QFETCH(QString, end);
        const QStringList serial = serials();
        const ProcessResult asked =
            run(fault + QStringList{"--sensor", "5,7", "ask", "Anyone?", "--all-devices", "--window", "6"});
        QCOMPARE(asked.exitCode, exitCode);
        const QStringList lines = asked.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        for (int i = 0; i < 2; ++i) {
            const QString led = serial[i] + QStringLiteral("\tTelvar X  :");
            QVERIFY2(answer.isNull() ? lines[i].startsWith(led) : lines[i] == led + answer,
                     qPrintable(lines[i]));
        }

        // Begun at the same moment, they enter the journal in either order.
        const std::vector<JournalSession> kept = sessions();
        QCOMPARE(kept.size(), std::size_t(2));
        QStringList journaled{kept[0].device, kept[1].device};
        journaled.sort();
        QStringList expected = serial;
        expected.sort();
        QCOMPARE(journaled, expected);
        for (const JournalSession& session : kept) {
            QCOMPARE(session.question, QStringLiteral("Anyone?"));
            if (!answer.isNull())
                QCOMPARE(session.answer, answer);
            QCOMPARE(session.end, end);
        }

        // Question, answer, question, answer: each device's entry whole.
        const QByteArray log = contentOf("log.qnx");
        const QList<QByteArray> entries = log.split('\n');
        QStringList kinds;
        for (const QByteArray& line : entries) {
            if (line.startsWith("USER: "))
                kinds << QStringLiteral("Q");
            else if (line.startsWith("Telvar X  :"))
                kinds << QStringLiteral("A");
        }
        QCOMPARE(kinds, (QStringList{"Q", "A", "Q", "A"}));
    }

    // A device another program uses is listed with its holder; the other stays free.
    void devicesSaysWhoHoldsEach() {
        const QStringList serial = serials();
        QProcess holder;
        holder.setWorkingDirectory(m_folder.path());
        holder.start(QStringLiteral(TELVARCTL_PATH),
                     {"--journal", path("j.db"), "--data-dir", m_folder.path(),
                      "--simulate=" + path("a.json"), "--sensor", "5x100000", "ask", "Q", "--window", "24"});
        QVERIFY(holder.waitForStarted());
        // Held once its session is in the journal.
        QTRY_VERIFY_WITH_TIMEOUT(!sessions().empty(), 20000);
        const QStringList lines = run({"devices"}).out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0], QStringLiteral("%1\t%2\ttelvarctl (process %3)")
                               .arg(path("a.json"), serial[0])
                               .arg(holder.processId()));
        QCOMPARE(lines[1], QStringLiteral("%1\t%2\tfree").arg(path("b.json"), serial[1]));
        holder.kill();
        QVERIFY(holder.waitForFinished(10000));
    }
};

QTEST_GUILESS_MAIN(TelvarctlSeveralDevicesTest)
#include "TelvarctlSeveralDevicesTest.moc"
