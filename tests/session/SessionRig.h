#pragma once

#include "device/DeviceLink.h"
#include "emulator/EmulatedLibrary.h"
#include "session/SessionLogWriter.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <chrono>

namespace telvar::test {

using namespace std::chrono_literals;

// The entries' stamp with the clock and locale every session test uses.
inline const QByteArray kStamp = "3/7/242:05:09 PM UTC";

inline void useFixedStamp(SessionLogWriter& log) {
    log.setClock([] { return QDateTime(QDate(2024, 3, 7), QTime(14, 5, 9), Qt::UTC); });
    log.setLocale(QLocale(QLocale::English, QLocale::UnitedStates));
}

// The virtual Telvar X with a scripted sensor and an attached link.
struct VirtualSensor {
    EmulatedLibrary library;
    DeviceLink link{library};

    bool attach() {
        link.hidattach();
        return QTest::qWaitFor([this] { return link.isAttached() && library.readNotifyEnabled(); }, 10000);
    }
    void script(const QString& readings) {
        QString error;
        library.device().setSensorScript(*SensorScript::parse(readings, &error));
    }
    void fault(const QString& spec) {
        FaultSet faults;
        faults.add(spec);
        library.device().setFaults(faults);
    }
    // Word indexes the device has spoken, in order.
    QList<int> spoken() const {
        QList<int> indexes;
        for (const Utterance& utterance : library.device().speechLog())
            indexes << utterance.address / 8;
        return indexes;
    }
    int readingsTaken() const {
        int count = 0;
        for (const auto& report : library.device().receivedReports())
            count += report[1] == 'D';
        return count;
    }
};

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
