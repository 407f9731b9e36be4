// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace telvar::test {

// A folder of a test's own for word-list, editor and dictionary files, with byte-exact access to them.
// Tests that work on files take it as a second base class.
class ScratchFolder {
protected:
    QTemporaryDir m_folder;

    QString path(const char* name) const { return m_folder.filePath(QString::fromLatin1(name)); }

    void put(const char* name, const QByteArray& content) {
        QFile file(path(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    QByteArray contentOf(const char* name) const {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    // Empties the folder, so each test function starts without files.
    bool clearFolder() { return QDir(m_folder.path()).removeRecursively() && QDir().mkpath(m_folder.path()); }
};

// Bytes from numbers: a code string as the word-list files hold it.
inline QByteArray codes(std::initializer_list<int> values) {
    QByteArray bytes;
    for (const int value : values)
        bytes.append(char(value));
    return bytes;
}

} // namespace telvar::test
