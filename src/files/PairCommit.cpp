// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/PairCommit.h"

#include "files/CappedRead.h"
#include "files/RegularFileCheck.h"
#include "files/ReplaceFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

#include <optional>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace telvar {

namespace {

const QByteArray kMagic = QByteArrayLiteral("telvar pair 1\n");
const QByteArray kHeaderEnd = QByteArrayLiteral("\n\n");
const QByteArray kAbsent = QByteArrayLiteral("-");
constexpr qint64 kMaxJournalSize = 2 * PairCommit::kMaxFileSize + 4096;

bool fail(QString* error, const QString& path, const QString& reason) {
    if (error)
        *error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), reason);
    return false;
}

// What a file holds now: nullopt in `content` when there is no file.
struct Current {
    bool readable = true;
    std::optional<QByteArray> content;
    QString error;
};

Current readCurrent(const QString& path, qint64 limit) {
    CappedRead read = readCapped(path, limit);
    switch (read.status) {
    case CappedRead::Status::Missing:
        return {};
    case CappedRead::Status::Read:
        return {true, std::move(read.data), {}};
    default:
        return {false, {}, read.reason};
    }
}

// A file's content in a few bytes: its size and SHA-256, or "-" for no file.
QByteArray stamp(const std::optional<QByteArray>& content) {
    if (!content)
        return kAbsent;
    return QByteArray::number(content->size()) + ':' +
           QCryptographicHash::hash(*content, QCryptographicHash::Sha256).toHex();
}

// QSaveFile syncs a file's data before its rename; the renames themselves are durable only once the
// folder is synced, and the journal must be on disk before either file is touched.
void syncFolder(const QString& folder) {
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
#else
    Q_UNUSED(folder);
#endif
}

struct JournalEntry {
    QByteArray oldStamp;
    QByteArray newStamp;
    QByteArray content;
};

QByteArray encodeJournal(const std::array<QString, 2>& names, const std::array<QByteArray, 2>& oldStamps,
                         const std::array<QByteArray, 2>& contents) {
    QByteArray journal = kMagic;
    for (int i = 0; i < 2; ++i)
        journal += QFile::encodeName(names[i]) + '\t' + oldStamps[i] + '\t' + stamp(contents[i]) + '\n';
    journal += '\n';
    return journal + contents[0] + contents[1];
}

// nullopt when the journal is not whole or is not about these two files.
std::optional<std::array<JournalEntry, 2>> decodeJournal(const QByteArray& journal,
                                                         const std::array<QString, 2>& names) {
    const qsizetype headerEnd = journal.indexOf(kHeaderEnd, kMagic.size());
    if (!journal.startsWith(kMagic) || headerEnd < 0)
        return std::nullopt;
    const QList<QByteArray> lines = journal.sliced(kMagic.size(), headerEnd - kMagic.size()).split('\n');
    if (lines.size() != 2)
        return std::nullopt;
    std::array<JournalEntry, 2> entries;
    qsizetype offset = headerEnd + kHeaderEnd.size();
    for (int i = 0; i < 2; ++i) {
        const QList<QByteArray> fields = lines[i].split('\t');
        if (fields.size() != 3 || fields[0] != QFile::encodeName(names[i]))
            return std::nullopt;
        bool ok = false;
        const qsizetype size = fields[2].left(fields[2].indexOf(':')).toLongLong(&ok);
        if (!ok || size < 0 || size > journal.size() - offset)
            return std::nullopt;
        entries[i] = {fields[1], fields[2], journal.sliced(offset, size)};
        if (stamp(entries[i].content) != entries[i].newStamp)
            return std::nullopt;
        offset += size;
    }
    if (offset != journal.size())
        return std::nullopt;
    return entries;
}

} // namespace

PairCommit::PairCommit(QString folder, const QString& firstName, const QString& secondName)
    : m_folder(std::move(folder)), m_names{firstName, secondName} {}

QString PairCommit::path(int file) const {
    return QDir(m_folder).filePath(m_names[file]);
}

QString PairCommit::journalPath() const {
    return QDir(m_folder).filePath(m_names[0] + QLatin1Char('+') + m_names[1] + QStringLiteral(".pending"));
}

bool PairCommit::settle(QString* error) const {
    const Current journal = readCurrent(journalPath(), kMaxJournalSize);
    if (!journal.content || !journal.content->startsWith(kMagic))
        return true; // nothing left behind, or not ours to judge
    return finish(*journal.content, error);
}

bool PairCommit::finish(const QByteArray& journal, QString* error) const {
    const auto entries = decodeJournal(journal, m_names);
    // Neither file is touched before the journal is whole on disk, so a broken one was never acted on.
    if (!entries) {
        QFile::remove(journalPath());
        return true;
    }
    std::array<bool, 2> outdated{};
    for (int i = 0; i < 2; ++i) {
        const Current now = readCurrent(path(i), kMaxFileSize);
        if (!now.readable)
            return fail(error, path(i),
                        QStringLiteral("an interrupted replacement of %1 and %2 cannot be finished (%3)")
                            .arg(m_names[0], m_names[1], now.error));
        const QByteArray nowStamp = stamp(now.content);
        if (nowStamp == (*entries)[i].newStamp)
            continue;
        if (nowStamp != (*entries)[i].oldStamp) {
            QFile::remove(journalPath());
            return true;
        }
        outdated[i] = true;
    }
    for (int i = 0; i < 2; ++i) {
        if (outdated[i] && !replaceFile(path(i), (*entries)[i].content, error))
            return false;
    }
    syncFolder(m_folder);
    QFile::remove(journalPath());
    return true;
}

bool PairCommit::replace(const QByteArray& first, const QByteArray& second, QString* error) const {
    if (!settle(error))
        return false;
    // Checked before anything is written: a folder, a pipe or a device by one of these names is
    // somebody else's, and renaming over it would destroy it.
    for (const QString& target : {path(0), path(1), journalPath()}) {
        if (!mayReplace(target, error))
            return false;
    }
    const std::array<QByteArray, 2> contents{first, second};
    std::array<Current, 2> old;
    for (int i = 0; i < 2; ++i) {
        old[i] = readCurrent(path(i), kMaxFileSize);
        if (!old[i].readable)
            return fail(error, path(i),
                        QStringLiteral("its old content could not be read, so it was not replaced (%1)")
                            .arg(old[i].error));
    }
    if (old[0].content == first && old[1].content == second)
        return true;
    const std::array<QByteArray, 2> oldStamps{stamp(old[0].content), stamp(old[1].content)};
    if (!replaceFile(journalPath(), encodeJournal(m_names, oldStamps, contents), error))
        return false;
    syncFolder(m_folder);
    for (int i = 0; i < 2; ++i) {
        if (old[i].content == contents[i] || replaceFile(path(i), contents[i], error))
            continue;
        // Only the first file can have been replaced by now.
        bool restored = true;
        if (i == 1 && old[0].content != first) {
            QString ignored;
            restored =
                old[0].content ? replaceFile(path(0), *old[0].content, &ignored) : QFile::remove(path(0));
        }
        if (restored) {
            QFile::remove(journalPath());
        } else if (error) {
            *error += QStringLiteral("; %1 could not get its old content back, so the new pair is "
                                     "completed when it is next read")
                          .arg(m_names[0]);
        }
        return false;
    }
    syncFolder(m_folder);
    QFile::remove(journalPath());
    return true;
}

} // namespace telvar
