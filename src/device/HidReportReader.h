// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device/HidapiDevices.h"

#include <QByteArray>
#include <QObject>

#include <chrono>
#include <thread>

namespace telvar {

// Reads one device's input reports on a thread of its own and hands each one over by signal; connect with
// an automatic or queued connection so the receiver gets them on its own thread, in order.
// The reader has a hidapi handle of its own: hidapi keeps one error text per handle and rewrites it on
// every call, so sharing a handle with the writing thread would race on it.
class HidReportReader : public QObject {
    Q_OBJECT
public:
    // How long one read blocks before the thread looks whether it should stop.
    static constexpr std::chrono::milliseconds kReadSlice{100};

    explicit HidReportReader(hidapi::DevicePtr device, QObject* parent = nullptr);
    // Stops the thread (within one read slice) and closes the handle.
    ~HidReportReader() override;

    void start();

Q_SIGNALS:
    // Emitted on the reader thread with the report's data bytes (no report id).
    void reportRead(const QByteArray& data);
    // The read failed, usually because the device is gone; the thread has ended.
    void failed(const QString& reason);

private:
    void run(std::stop_token stop);

    hidapi::DevicePtr m_device;
    std::jthread m_thread;
};

} // namespace telvar
