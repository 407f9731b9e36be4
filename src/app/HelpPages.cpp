#include "app/HelpPages.h"

#include <QDir>
#include <QFileInfo>

namespace telvar::HelpPages {

QString installedFolder(const QString& programDir) {
    return QDir::cleanPath(QDir(programDir).filePath(QStringLiteral(TELVAR_INSTALLED_HELP_DIR)));
}

QString folder(const QString& programDir) {
    const QString candidates[] = {installedFolder(programDir), QStringLiteral(TELVAR_SOURCE_HELP_DIR)};
    const QString probe = QString::fromLatin1(kPages.front().fileName);
    for (const QString& candidate : candidates) {
        if (QFileInfo::exists(QDir(candidate).filePath(probe)))
            return QDir::cleanPath(candidate);
    }
    return {};
}

QUrl url(const QString& folder, const Page& page) {
    return QUrl::fromLocalFile(QDir(folder).filePath(QString::fromLatin1(page.fileName)));
}

} // namespace telvar::HelpPages
