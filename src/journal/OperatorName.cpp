// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/OperatorName.h"

#include <QSysInfo>

#include <pwd.h>
#include <unistd.h>

namespace telvar {

QString operatorName() {
    const passwd* entry = getpwuid(geteuid());
    const QString user = entry ? QString::fromLocal8Bit(entry->pw_name) : QString::number(geteuid());
    return user + u'@' + QSysInfo::machineHostName();
}

} // namespace telvar
