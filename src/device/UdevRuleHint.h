// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace telvar {

// What to tell a user whose system refuses access to the Telvar X: on Linux that almost always means the
// udev rule that hands the device to the logged-in user is not installed.
class UdevRuleHint {
public:
    static inline const QString kRuleFileName = QStringLiteral("70-telvar-x.rules");

    // Looks in the system's udev rule folders and for the rule shipped with the program.
    UdevRuleHint();
    // `activeRuleDirs`: folders udev reads rules from; `shippedRuleFiles`: where the program's own copy
    // of the rule may be, first found wins.
    UdevRuleHint(QStringList activeRuleDirs, QStringList shippedRuleFiles);

    // Where the rule that came with a program in `programDir` may lie, most likely first.
    static QStringList shippedRuleFilesFor(const QString& programDir);

    // The rule installed where udev reads it, or empty.
    QString activeRuleFile() const;
    // The copy of the rule that came with the program, or empty.
    QString shippedRuleFile() const;
    // A shell command that installs the rule and makes udev read it.
    QString installCommand() const;
    // The message for a device node that could not be opened for lack of permission.
    QString permissionDeniedMessage(const QString& devicePath) const;

private:
    QStringList m_activeRuleDirs;
    QStringList m_shippedRuleFiles;
};

} // namespace telvar
