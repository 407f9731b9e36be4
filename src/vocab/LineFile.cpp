// SPDX-License-Identifier: GPL-3.0-or-later
#include "vocab/LineFile.h"

#include "files/ReplaceFile.h"
#include "files/CappedRead.h"

#include <QDir>

namespace telvar {

namespace {

bool fail(QString* error, const QString& path, const QString& reason) {
    if (error)
        *error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), reason);
    return false;
}

} // namespace

QList<QByteArray> LineFile::split(QByteArrayView data) {
    QList<QByteArray> lines;
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < data.size()) {
        if (data[i] != '\r') {
            ++i;
            continue;
        }
        lines.append(data.sliced(start, i - start).toByteArray());
        ++i;
        if (i < data.size() && data[i] == '\n')
            ++i;
        start = i;
    }
    if (start < data.size())
        lines.append(data.sliced(start).toByteArray());
    return lines;
}

QByteArray LineFile::join(const QList<QByteArray>& lines) {
    QByteArray data;
    qsizetype size = 0;
    for (const QByteArray& line : lines)
        size += line.size() + 2;
    data.reserve(size);
    for (const QByteArray& line : lines) {
        data.append(line);
        data.append("\r\n");
    }
    return data;
}

std::optional<QList<QByteArray>> LineFile::read(const QString& path, QString* error) {
    CappedRead file = readCapped(path, kMaxSize);
    if (!file.ok()) {
        if (error)
            *error = file.error;
        return std::nullopt;
    }
    return split(file.data);
}

bool LineFile::write(const QString& path, const QList<QByteArray>& lines, QString* error) {
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i].contains('\r'))
            return fail(error, path, QStringLiteral("line %1 holds a carriage return (code 13)").arg(i + 1));
    }
    return replace(path, join(lines), error);
}

bool LineFile::replace(const QString& path, const QByteArray& data, QString* error) {
    return replaceFile(path, data, error);
}

} // namespace telvar
