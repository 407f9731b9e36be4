#include "vocab/DataFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace telvar {

namespace {

// The folder as an absolute path, created when missing; a folder that cannot be created is still
// returned, and the files in it then fail to load and to save with their own errors.
QString prepared(const QString& dir) {
    QDir().mkpath(dir);
    return QDir(dir).absolutePath();
}

} // namespace

QString DataFolder::resolve(const QString& overrideDir) {
    return resolve(overrideDir, QCoreApplication::applicationDirPath(),
                   QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
}

QString DataFolder::resolve(const QString& overrideDir, const QString& programDir, const QString& userDir) {
    if (!overrideDir.isEmpty())
        return prepared(overrideDir);
    if (isWritable(programDir))
        return QDir(programDir).absolutePath();
    return prepared(userDir);
}

bool DataFolder::isWritable(const QString& dir) {
    if (dir.isEmpty() || !QDir(dir).exists())
        return false;
    QTemporaryFile probe(QDir(dir).filePath(QStringLiteral(".telvar-probe-XXXXXX")));
    return probe.open();
}

} // namespace telvar
