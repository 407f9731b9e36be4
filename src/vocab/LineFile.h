// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>

namespace telvar {

// Lines of bytes, as the word-list files hold them. A line ends at a carriage return, and a line feed
// right after it belongs to that ending; a line feed anywhere else is an ordinary byte of the line, because
// a code line may hold the code 10. Written lines end with CR LF. No text codec is involved.
class LineFile {
public:
    // Larger files are refused rather than read into memory: the word lists are tens of kilobytes.
    static constexpr qint64 kMaxSize = 16 * 1024 * 1024;

    static QList<QByteArray> split(QByteArrayView data);
    static QByteArray join(const QList<QByteArray>& lines);

    // Every line of the file, or nullopt with the reason in *error (see readCapped).
    static std::optional<QList<QByteArray>> read(const QString& path, QString* error);

    // Replaces the file in one step: on failure the old file stays whole and *error says why. A line
    // that holds a carriage return is refused, since it would read back as two lines.
    static bool write(const QString& path, const QList<QByteArray>& lines, QString* error);
    // The same for content that is already joined. Only an absent path or a regular file is replaced
    // (see replaceFile).
    static bool replace(const QString& path, const QByteArray& data, QString* error);
};

} // namespace telvar
