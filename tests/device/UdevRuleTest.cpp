// SPDX-License-Identifier: GPL-3.0-or-later
// The shipped udev rule must name the device the program looks for, and grant access the safe way; the
// permission message must point at a rule file that exists.
#include "device/DeviceIdentity.h"
#include "device/UdevRuleHint.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace telvar;

namespace {
QStringList ruleLines() {
    QFile file(QStringLiteral(TELVAR_RULE_FILE));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList lines;
    for (const QByteArray& raw : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (!line.isEmpty() && !line.startsWith(QLatin1Char('#')))
            lines << line;
    }
    return lines;
}

// The value of `KEY=="value"` or `KEYS{attr}=="value"` in a rule line, or empty.
QString match(const QString& line, const QString& key) {
    const QRegularExpression pattern(QRegularExpression::escape(key) +
                                     QStringLiteral("\\s*==\\s*\"([^\"]*)\""));
    return pattern.match(line).captured(1);
}

void writeFile(const QString& path) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("# rule\n");
}
} // namespace

class UdevRuleTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void ruleNamesTheTelvarX() {
        const QStringList lines = ruleLines();
        QVERIFY2(!lines.isEmpty(), TELVAR_RULE_FILE);
        const QString vendor = QStringLiteral("%1").arg(kVendorId, 4, 16, QLatin1Char('0'));
        const QString product = QStringLiteral("%1").arg(kProductId, 4, 16, QLatin1Char('0'));
        QStringList subsystems;
        for (const QString& line : lines) {
            const QString subsystem = match(line, QStringLiteral("SUBSYSTEM"));
            subsystems << subsystem;
            // hidraw nodes match on their USB ancestor (ATTRS), the USB device on itself (ATTR).
            const QString attr =
                subsystem == QStringLiteral("usb") ? QStringLiteral("ATTR") : QStringLiteral("ATTRS");
            QCOMPARE(match(line, attr + QStringLiteral("{idVendor}")), vendor);
            QCOMPARE(match(line, attr + QStringLiteral("{idProduct}")), product);
            QVERIFY2(line.contains(QStringLiteral("TAG+=\"uaccess\"")), qPrintable(line));
            QVERIFY2(!line.contains(QStringLiteral("MODE")),
                     "access goes to the seat's user, not by mode bits");
            QVERIFY2(!line.contains(QStringLiteral("GROUP")), qPrintable(line));
        }
        QVERIFY(subsystems.contains(QStringLiteral("hidraw")));
        QVERIFY(subsystems.contains(QStringLiteral("usb")));
    }

    void permissionMessageSaysHowToInstallTheRule() {
        QTemporaryDir system;
        QTemporaryDir shipped(QDir::tempPath() + QStringLiteral("/telvar rules XXXXXX"));
        QVERIFY(system.isValid() && shipped.isValid());
        const QString missing = shipped.filePath(QStringLiteral("nowhere/70-telvar-x.rules"));
        const QString ruleFile = shipped.filePath(UdevRuleHint::kRuleFileName);
        writeFile(ruleFile);

        // The first shipped copy that exists is named, quoted for the shell (its folder has a blank).
        const UdevRuleHint notInstalled({system.path()}, {missing, ruleFile});
        QCOMPARE(notInstalled.shippedRuleFile(), ruleFile);
        const QString message = notInstalled.permissionDeniedMessage(QStringLiteral("/dev/hidraw3"));
        QVERIFY(message.contains(QStringLiteral("/dev/hidraw3")));
        QVERIFY2(
            message.contains(QStringLiteral("sudo install -m 644 '%1' /etc/udev/rules.d/").arg(ruleFile)),
            qPrintable(message));
        QVERIFY(message.contains(QStringLiteral("udevadm control --reload-rules")));

        // With the rule in place the advice is to replug, not to install it again.
        writeFile(QDir(system.path()).filePath(UdevRuleHint::kRuleFileName));
        const UdevRuleHint installed({system.path()}, {ruleFile});
        QVERIFY(!installed.activeRuleFile().isEmpty());
        const QString replug = installed.permissionDeniedMessage(QStringLiteral("/dev/hidraw3"));
        QVERIFY2(!replug.contains(QStringLiteral("sudo")), qPrintable(replug));
        QVERIFY(replug.contains(QStringLiteral("replug")));
    }

    void programFindsTheRuleShippedWithIt_data() {
        QTest::addColumn<QString>("programDir");
        QTest::addColumn<QString>("ruleFile");
        QTest::newRow("installed under a prefix") << "prefix/bin"
                                                  << "prefix/lib/udev/rules.d/70-telvar-x.rules";
        QTest::newRow("portable copy") << "portable"
                                       << "portable/70-telvar-x.rules";
    }
    void programFindsTheRuleShippedWithIt() {
        QFETCH(QString, programDir);
        QFETCH(QString, ruleFile);
        QTemporaryDir root;
        QVERIFY(QDir(root.path()).mkpath(programDir));
        QVERIFY(QFileInfo(root.filePath(ruleFile)).dir().mkpath(QStringLiteral(".")));
        writeFile(root.filePath(ruleFile));
        const UdevRuleHint hint({}, UdevRuleHint::shippedRuleFilesFor(root.filePath(programDir)));
        QCOMPARE(hint.shippedRuleFile(), root.filePath(ruleFile));
    }
};

QTEST_GUILESS_MAIN(UdevRuleTest)
#include "UdevRuleTest.moc"
