// SPDX-License-Identifier: GPL-3.0-or-later
#include "vocab/DataFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace telvar {

namespace {

// The folder as an absolute path, created when missing; a folder that cannot be created is still
// returned, and the files in it then fail to load and to save with their own errors.
QString prepared(const QString& dir) {
    QDir().mkpath(dir);
    return dir;
}

} // namespace

QString DataFolder::resolve(const QString& overrideDir) {
    return resolve(overrideDir, QCoreApplication::applicationDirPath(),
                   QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
}

QString DataFolder::resolve(const QString& overrideDir, const QString& programDir, const QString& userDir) {
    return prepared(locate(overrideDir, programDir, userDir));
}

QString DataFolder::locate(const QString& overrideDir) {
    return locate(overrideDir, QCoreApplication::applicationDirPath(),
                  QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
}

QString DataFolder::locate(const QString& overrideDir, const QString& programDir, const QString& userDir) {
    if (!overrideDir.isEmpty())
        return QDir(overrideDir).absolutePath();
    if (!isSystemFolder(programDir) && isWritable(programDir))
        return QDir(programDir).absolutePath();
    return QDir(userDir).absolutePath();
}

bool DataFolder::isSystemFolder(const QString& dir) {
    const QFileInfo info(dir);
    const QString path = info.exists() ? info.canonicalFilePath() : QDir::cleanPath(info.absoluteFilePath());
    static const QStringList systemTrees{QStringLiteral("/usr"), QStringLiteral("/bin"),
                                         QStringLiteral("/sbin"), QStringLiteral("/opt")};
    for (const QString& tree : systemTrees) {
        if (path == tree || path.startsWith(tree + QLatin1Char('/')))
            return true;
    }
    return false;
}

bool DataFolder::isWritable(const QString& dir) {
    if (dir.isEmpty() || !QDir(dir).exists())
        return false;
    QTemporaryFile probe(QDir(dir).filePath(QStringLiteral(".telvar-probe-XXXXXX")));
    return probe.open();
}

} // namespace telvar
