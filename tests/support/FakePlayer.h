// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>

namespace telvar::test {

// Audio players for tests, so that no test plays sound: one keeps a copy of every WAVE file it is given
// (numbered in order), one fails the way a player without an audio device does.
class FakePlayer {
public:
    FakePlayer() {
        writeScript(recorderPath(), QStringLiteral("#!/bin/sh\n"
                                                   "n=$(ls '%1' | wc -l)\n"
                                                   "cp \"$1\" '%1'/$n.wav\n")
                                        .arg(playedFolder()));
        writeScript(failingPath(), QStringLiteral("#!/bin/sh\necho 'no sound card here' >&2\nexit 1\n"));
        QDir().mkpath(playedFolder());
    }

    QString recorderPath() const { return m_folder.filePath(QStringLiteral("recorder.sh")); }
    QString failingPath() const { return m_folder.filePath(QStringLiteral("failing.sh")); }
    QString playedFolder() const { return m_folder.filePath(QStringLiteral("played")); }

    QStringList played() const {
        QStringList files = QDir(playedFolder()).entryList({QStringLiteral("*.wav")}, QDir::Files);
        std::sort(files.begin(), files.end(), [](const QString& a, const QString& b) {
            return a.section(u'.', 0, 0).toInt() < b.section(u'.', 0, 0).toInt();
        });
        for (QString& file : files)
            file = QDir(playedFolder()).filePath(file);
        return files;
    }

    QByteArray playedBytes(qsizetype index) const {
        QFile file(played().value(index));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    void clear() const {
        QDir(playedFolder()).removeRecursively();
        QDir().mkpath(playedFolder());
    }

    static bool haveEspeak() {
        return !QStandardPaths::findExecutable(QStringLiteral("espeak-ng")).isEmpty();
    }

private:
    static void writeScript(const QString& path, const QString& text) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return;
        file.write(text.toUtf8());
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    QTemporaryDir m_folder;
};

} // namespace telvar::test
