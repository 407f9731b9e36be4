// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/FileIdentity.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <climits>

#include <sys/stat.h>
#include <unistd.h>

namespace telvar::fileidentity {

namespace {

// More links than the system itself follows is a loop.
constexpr int kMaxLinks = 40;

// The folder's own links resolved; a folder that is not there stays as written, cleaned.
QString placeOfFolder(const QString& folder) {
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(folder) : canonical;
}

std::optional<QByteArray> linkTarget(const QString& path) {
    QByteArray target(PATH_MAX, '\0');
    const ssize_t size =
        ::readlink(QFile::encodeName(path).constData(), target.data(), size_t(target.size()));
    if (size < 0)
        return std::nullopt;
    target.truncate(size);
    return target;
}

} // namespace

std::optional<std::pair<quint64, quint64>> idOf(const QString& path) {
    struct stat info {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    return std::pair<quint64, quint64>(info.st_dev, info.st_ino);
}

QString placeOf(const QString& path) {
    if (path.isEmpty())
        return {};
    QFileInfo info(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    // A file that is there has one place, which the system resolves for us.
    if (const QString canonical = info.canonicalFilePath(); !canonical.isEmpty())
        return canonical;
    QString place;
    for (int hop = 0; hop < kMaxLinks; ++hop) {
        const QString folder = placeOfFolder(info.absolutePath());
        place = folder == QLatin1String("/") ? u'/' + info.fileName() : folder + u'/' + info.fileName();
        const std::optional<QByteArray> target = linkTarget(place);
        if (!target)
            return place;
        // A relative link leads on from the folder it lies in.
        const QString next = QFile::decodeName(*target);
        info = QFileInfo(QDir::cleanPath(QDir::isAbsolutePath(next) ? next : folder + u'/' + next));
    }
    return place;
}

bool same(const QString& a, const QString& b) {
    const auto first = idOf(a);
    const auto second = idOf(b);
    if (first && second)
        return *first == *second;
    if (first || second)
        return false;
    return placeOf(a) == placeOf(b);
}

} // namespace telvar::fileidentity
