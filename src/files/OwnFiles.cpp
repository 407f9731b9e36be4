// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/OwnFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <mutex>
#include <vector>

#include <sys/stat.h>

namespace telvar::ownfiles {

namespace {

struct Guarded {
    QString place; // the absolute path with its folder's links resolved
    QString role;
};

std::mutex g_mutex;
std::vector<Guarded> g_files;

// Where a path leads even when its file is not there yet: the folder's links resolved, the name kept.
QString placeOf(const QString& path) {
    const QFileInfo info(path);
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return QDir::cleanPath((folder.isEmpty() ? info.absolutePath() : folder) + u'/' + info.fileName());
}

bool sameFile(const QString& a, const QString& b) {
    struct stat first {};
    struct stat second {};
    if (::stat(QFile::encodeName(a).constData(), &first) == 0 &&
        ::stat(QFile::encodeName(b).constData(), &second) == 0)
        return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
    return placeOf(a) == placeOf(b);
}

} // namespace

void guard(const QString& path, const QString& role) {
    if (path.isEmpty())
        return;
    std::lock_guard lock(g_mutex);
    g_files.push_back({placeOf(path), role});
}

QString roleOf(const QString& target) {
    std::lock_guard lock(g_mutex);
    for (const Guarded& file : g_files) {
        if (sameFile(target, file.place))
            return file.role;
    }
    return {};
}

void clear() {
    std::lock_guard lock(g_mutex);
    g_files.clear();
}

} // namespace telvar::ownfiles
