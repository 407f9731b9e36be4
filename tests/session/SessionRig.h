// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "session/SessionLogWriter.h"
#include "support/VirtualTelvar.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <chrono>

namespace telvar::test {

using namespace std::chrono_literals;

// The entries' stamp with the clock and locale every session test uses.
inline const QByteArray kStamp = "3/7/242:05:09 PM";

inline void useFixedStamp(SessionLogWriter& log) {
    log.setClock([] { return QDateTime(QDate(2024, 3, 7), QTime(14, 5, 9), Qt::UTC); });
    log.setLocale(QLocale(QLocale::English, QLocale::UnitedStates));
}

// The virtual Telvar X with a scripted sensor and an attached link.
using VirtualSensor = VirtualTelvar;

inline QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Makes `dir` read-only. Permission bits do not stop root, so for root a folder takes the log's name.
inline void makeLogUnwritable(const QString& dir) {
    QFile::setPermissions(dir, QFile::ReadOwner | QFile::ExeOwner);
    QFile probe(QDir(dir).filePath(QStringLiteral("probe")));
    if (probe.open(QIODevice::WriteOnly)) {
        probe.remove();
        QDir(dir).mkdir(QStringLiteral("log.qnx"));
    }
}

} // namespace telvar::test
