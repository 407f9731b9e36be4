// SPDX-License-Identifier: GPL-3.0-or-later
#include "vocab/BackupCopies.h"

#include "files/CappedRead.h"
#include "vocab/LineFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace telvar {

namespace {

const QString kSuffix = QStringLiteral(".bak");

// Orders copies newest first: by stamp, then by the counter that tells copies of the same second apart;
// the unstamped copy of older versions sorts last.
struct Age {
    QString stamp;
    int counter = 0;
    bool operator<(const Age& other) const {
        return stamp != other.stamp ? stamp < other.stamp : counter < other.counter;
    }
};

} // namespace

BackupCopies::BackupCopies(QString path, Clock clock) : m_path(std::move(path)), m_clock(std::move(clock)) {}

QStringList BackupCopies::existing() const {
    const QFileInfo file(m_path);
    const QString name = file.fileName();
    static const QRegularExpression stamped(QStringLiteral(R"(^\.(\d{8}-\d{6})(?:-(\d+))?\.bak$)"));
    QList<std::pair<Age, QString>> copies;
    const QDir folder = file.dir();
    for (const QString& entry : folder.entryList({name + QStringLiteral("*") + kSuffix}, QDir::Files)) {
        const QString rest = entry.sliced(name.size());
        if (rest == kSuffix) {
            copies.append(std::make_pair(Age{}, folder.filePath(entry)));
            continue;
        }
        const QRegularExpressionMatch match = stamped.match(rest);
        if (match.hasMatch())
            copies.append(
                {Age{match.captured(1), match.captured(2).isEmpty() ? 1 : match.captured(2).toInt()},
                 folder.filePath(entry)});
    }
    std::sort(copies.begin(), copies.end(), [](const auto& a, const auto& b) { return b.first < a.first; });
    QStringList paths;
    for (const auto& copy : copies)
        paths << copy.second;
    return paths;
}

std::optional<QString> BackupCopies::keep(const QByteArray& content, QString* error) const {
    for (const QString& copy : existing()) {
        const CappedRead read = readCapped(copy, LineFile::kMaxSize);
        if (read.ok() && read.data == content)
            return copy;
    }
    for (int attempt = 1;; ++attempt) {
        const QString copy = stampedPath(attempt);
        if (QFileInfo::exists(copy))
            continue;
        if (!LineFile::replace(copy, content, error))
            return std::nullopt;
        return copy;
    }
}

void BackupCopies::prune(const QByteArray& elsewhere) const {
    const QStringList copies = existing();
    QList<QByteArray> newer;
    for (qsizetype i = 0; i < copies.size(); ++i) {
        const CappedRead read = readCapped(copies[i], LineFile::kMaxSize);
        const bool heldElsewhere = read.ok() && (read.data == elsewhere || newer.contains(read.data));
        if (i >= kKept && heldElsewhere)
            QFile::remove(copies[i]);
        if (read.ok())
            newer.append(read.data);
    }
}

QString BackupCopies::stampedPath(int attempt) const {
    QString stamp = m_clock().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    if (attempt > 1)
        stamp += QStringLiteral("-%1").arg(attempt);
    return m_path + QLatin1Char('.') + stamp + kSuffix;
}

} // namespace telvar
