// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/UdevRuleHint.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace telvar {

namespace {
QString shellQuoted(const QString& text) {
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_./+:=-]+$"));
    if (plain.match(text).hasMatch())
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

} // namespace

UdevRuleHint::UdevRuleHint()
    : UdevRuleHint({QStringLiteral("/etc/udev/rules.d"), QStringLiteral("/run/udev/rules.d"),
                    QStringLiteral("/usr/lib/udev/rules.d"), QStringLiteral("/lib/udev/rules.d")},
                   shippedRuleFilesFor(QCoreApplication::instance() ? QCoreApplication::applicationDirPath()
                                                                    : QString())) {}

UdevRuleHint::UdevRuleHint(QStringList activeRuleDirs, QStringList shippedRuleFiles)
    : m_activeRuleDirs(std::move(activeRuleDirs)), m_shippedRuleFiles(std::move(shippedRuleFiles)) {}

QStringList UdevRuleHint::shippedRuleFilesFor(const QString& programDir) {
    if (programDir.isEmpty())
        return {};
    const QDir dir(programDir);
    // Installed: <prefix>/bin/telvar with <prefix>/lib/udev/rules.d/. A portable copy, and the build
    // folder, keep the rule beside the program.
    return {dir.absoluteFilePath(QStringLiteral("../lib/udev/rules.d/") + kRuleFileName),
            dir.absoluteFilePath(kRuleFileName)};
}

QString UdevRuleHint::activeRuleFile() const {
    for (const QString& dir : m_activeRuleDirs) {
        const QFileInfo file(QDir(dir), kRuleFileName);
        if (file.isFile())
            return file.absoluteFilePath();
    }
    return {};
}

QString UdevRuleHint::shippedRuleFile() const {
    for (const QString& path : m_shippedRuleFiles) {
        const QFileInfo file(path);
        if (file.isFile())
            return QDir::cleanPath(file.absoluteFilePath());
    }
    return {};
}

QString UdevRuleHint::installCommand() const {
    QString source = shippedRuleFile();
    if (source.isEmpty())
        source = QStringLiteral("packaging/") + kRuleFileName; // the copy in the program's source folder
    return QStringLiteral("sudo install -m 644 %1 /etc/udev/rules.d/ && sudo udevadm control --reload-rules")
        .arg(shellQuoted(source));
}

QString UdevRuleHint::permissionDeniedMessage(const QString& devicePath) const {
    if (!activeRuleFile().isEmpty()) {
        return QStringLiteral("Permission denied opening the Telvar X (%1) although its udev rule is "
                              "installed. Unplug and replug the device, and run the program from a local "
                              "desktop login.")
            .arg(devicePath);
    }
    return QStringLiteral("Permission denied opening the Telvar X (%1). Install its udev rule, then unplug "
                          "and replug the device:\n    %2")
        .arg(devicePath, installCommand());
}

} // namespace telvar
