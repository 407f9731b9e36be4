// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/HidReportReader.h"

#include <hidapi/hidapi.h>

namespace telvar {

HidReportReader::HidReportReader(hidapi::DevicePtr device, QObject* parent)
    : QObject(parent), m_device(std::move(device)) {}

HidReportReader::~HidReportReader() {
    // The handle must outlive the thread that reads from it.
    m_thread.request_stop();
    if (m_thread.joinable())
        m_thread.join();
}

void HidReportReader::start() {
    if (!m_thread.joinable())
        m_thread = std::jthread([this](std::stop_token stop) { run(stop); });
}

void HidReportReader::run(std::stop_token stop) {
    // Larger than any report, so that one read never leaves part of a report behind.
    unsigned char buffer[64];
    while (!stop.stop_requested()) {
        const int count = hid_read_timeout(m_device.get(), buffer, sizeof buffer, int(kReadSlice.count()));
        if (count < 0) {
            const wchar_t* error = hid_error(m_device.get());
            Q_EMIT failed(error ? QString::fromWCharArray(error) : QStringLiteral("read failed"));
            return;
        }
        if (count > 0)
            Q_EMIT reportRead(QByteArray(reinterpret_cast<const char*>(buffer), count));
    }
}

} // namespace telvar
