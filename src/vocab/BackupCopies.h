// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace telvar {

// The copies of one word-list file kept beside it before the built-in data replaces it, named
// NAME.YYYYMMDD-HHMMSS.bak (NAME.bak from older versions counts as the oldest). A copy is never
// overwritten and never made twice of the same content, so a start that keeps failing cannot push the
// user's words out; an old copy is deleted only when what it holds is also kept elsewhere.
class BackupCopies {
public:
    using Clock = std::function<QDateTime()>;

    // Copies beyond this many, counted newest first, may go when their content is kept elsewhere.
    static constexpr int kKept = 5;

    explicit BackupCopies(QString path, Clock clock = &QDateTime::currentDateTime);

    // The copies that exist, newest first.
    QStringList existing() const;

    // Makes sure a copy holds `content`: the existing copy that already does, else a new one. The path
    // of that copy, or nullopt with the reason in *error.
    std::optional<QString> keep(const QByteArray& content, QString* error) const;

    // Deletes the copies past the newest kKept that hold `elsewhere` (what the file now holds) or the
    // same content as a newer copy. Copies that cannot be read stay.
    void prune(const QByteArray& elsewhere) const;

private:
    QString stampedPath(int attempt) const;

    QString m_path;
    Clock m_clock;
};

} // namespace telvar
