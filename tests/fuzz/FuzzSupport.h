#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>

#include <cstdlib>

namespace telvar::fuzz {

// A broken property is reported the way libFuzzer understands: the input is saved and the run stops.
inline void require(bool condition) {
    if (!condition)
        std::abort();
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
