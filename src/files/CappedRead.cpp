// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/CappedRead.h"

#include "files/RegularFileCheck.h"

#include <QDir>
#include <QFile>

#include <filesystem>
#include <system_error>

namespace telvar {

namespace {

constexpr qint64 kChunk = 64 * 1024;

CappedRead failed(CappedRead::Status status, const QString& path, const QString& reason) {
    CappedRead result;
    result.status = status;
    result.reason = reason;
    result.error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), reason);
    return result;
}

QString sizeText(qint64 bytes) {
    if (bytes >= 1024 * 1024 && bytes % (1024 * 1024) == 0)
        return QStringLiteral("%1 MB").arg(bytes / (1024 * 1024));
    return QStringLiteral("%1 bytes").arg(bytes);
}

CappedRead tooLarge(const QString& path, qint64 limit) {
    return failed(CappedRead::Status::TooLarge, path,
                  QStringLiteral("larger than %1, too large to be read").arg(sizeText(limit)));
}

} // namespace

CappedRead readCapped(const QString& path, qint64 limit) {
    namespace fs = std::filesystem;
    std::error_code code;
    const fs::file_status status = fs::status(fs::path(path.toStdU16String()), code);
    if (status.type() == fs::file_type::not_found)
        return failed(CappedRead::Status::Missing, path, QStringLiteral("there is no such file"));
    if (const QString kind = notRegularFileReason(path); !kind.isEmpty())
        return failed(CappedRead::Status::Unreadable, path, kind);

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failed(CappedRead::Status::Unreadable, path, file.errorString());
    // A regular file's size is known up front; the count below still holds one that grows meanwhile.
    if (file.size() > limit)
        return tooLarge(path, limit);
    CappedRead result;
    result.status = CappedRead::Status::Read;
    // One byte past the ceiling tells a file of exactly `limit` bytes from a longer one.
    while (result.data.size() <= limit) {
        const QByteArray chunk = file.read(std::min(kChunk, limit + 1 - result.data.size()));
        if (chunk.isEmpty())
            break;
        result.data.append(chunk);
    }
    if (file.error() != QFileDevice::NoError)
        return failed(CappedRead::Status::Unreadable, path, file.errorString());
    if (result.data.size() > limit)
        return tooLarge(path, limit);
    return result;
}

} // namespace telvar
