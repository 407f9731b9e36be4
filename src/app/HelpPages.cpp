// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/HelpPages.h"

#include <QDir>
#include <QFile>

namespace telvar::HelpPages {

QString resourceFolder() {
    return QStringLiteral(":/telvar/help");
}

QUrl url(const Page& page) {
    return QUrl(QStringLiteral("qrc:/telvar/help/") + QString::fromLatin1(page.fileName));
}

bool extractTo(const QString& folder, QString* error) {
    const QDir source(resourceFolder());
    for (const QString& name : source.entryList(QDir::Files)) {
        const QString target = QDir(folder).filePath(name);
        // A copy left from an earlier look is replaced: it may come from an older program.
        QFile::remove(target);
        if (!QFile::copy(source.filePath(name), target)) {
            *error = QStringLiteral("%1 could not be written").arg(QDir::toNativeSeparators(target));
            return false;
        }
        // Resource files come out read-only; the next extraction must be able to replace them.
        QFile::setPermissions(target, QFile::permissions(target) | QFileDevice::WriteOwner);
    }
    return true;
}

} // namespace telvar::HelpPages
