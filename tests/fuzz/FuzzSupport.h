// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>

namespace telvar::fuzz {

// A broken property is reported the way libFuzzer understands: the input is saved and the run stops.
inline void require(bool condition) {
    if (!condition)
        std::abort();
}

// An input read as two parts: its first two bytes give the first part's length (low byte first), cut to
// what the input holds; the second part is the rest. Nothing for an input too short to say.
struct TwoParts {
    QByteArrayView first;
    QByteArrayView second;
    QByteArrayView both; // the two parts as one, without the length bytes
};

inline std::optional<TwoParts> twoParts(const uint8_t* data, size_t size) {
    if (size < 2)
        return std::nullopt;
    const QByteArrayView input(data + 2, qsizetype(size - 2));
    const qsizetype firstBytes = std::min<qsizetype>(data[0] | (data[1] << 8), input.size());
    return TwoParts{input.first(firstBytes), input.sliced(firstBytes), input};
}

// One folder for the whole run. Files are replaced with a sync to disk, so the folder lies in memory
// when the system has such a place, or the disk would set the pace of the run.
inline QString scratchFolder() {
    static QTemporaryDir folder = [] {
        const QString memory = QStringLiteral("/dev/shm");
        return QFileInfo(memory).isWritable() ? QTemporaryDir(memory + QStringLiteral("/telvar-fuzz-XXXXXX"))
                                              : QTemporaryDir();
    }();
    require(folder.isValid());
    return folder.path();
}

inline QString scratchPath(const char* name) {
    return QDir(scratchFolder()).filePath(QString::fromLatin1(name));
}

// Puts bytes on disk as they are, the way a file from elsewhere arrives.
inline void putFile(const QString& path, QByteArrayView content) {
    QFile file(path);
    require(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    require(file.write(content.data(), content.size()) == content.size());
}

} // namespace telvar::fuzz
