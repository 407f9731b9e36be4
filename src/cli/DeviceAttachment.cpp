// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/DeviceAttachment.h"

#include "cli/CliContext.h"
#include "cli/WaitEnd.h"
#include "device/DeviceLink.h"
#include "device/HidapiLibrary.h"
#include "emulator/EmulatedLibrary.h"

#include <QCoro/QCoroTimer>

namespace telvar::cli {

DeviceAttachment::DeviceAttachment(DeviceCandidate device) : m_device(std::move(device)) {}

DeviceAttachment::~DeviceAttachment() {
    // A sequence still suspended on the link ends before the link and its library go.
    if (m_link)
        m_link->closeDown();
    m_link.reset();
    m_library.reset();
}

QCoro::Task<bool> DeviceAttachment::attach(CliContext& context) {
    if (m_device.isVirtual) {
        EmulatorOptions options = context.options().emulator;
        options.stateFile = options.stateFiles.contains(m_device.path) ? m_device.path : QString();
        auto emulator = EmulatedLibrary::create(options, &m_error);
        if (!emulator)
            co_return false;
        m_emulator = emulator.get();
        m_library = std::move(emulator);
    } else {
        auto hidapi = std::make_unique<HidapiLibrary>();
        hidapi->chooseDevice(m_device.serial.isEmpty() ? m_device.path : m_device.serial);
        m_library = std::move(hidapi);
    }
    m_link = std::make_unique<DeviceLink>(*m_library);
    if (context.options().timeout)
        m_link->setDefaultReplyLimit(*context.options().timeout);
    if (m_link->hidattach()) {
        WaitEnd arrivedOrRefused;
        QObject::connect(m_link.get(), &DeviceLink::plugged, &arrivedOrRefused, &WaitEnd::ended);
        if (auto* hidapi = qobject_cast<HidapiLibrary*>(m_library.get()))
            QObject::connect(hidapi, &HidapiLibrary::inUse, &arrivedOrRefused, &WaitEnd::ended);
        co_await context.waitUnlessInterrupted(&arrivedOrRefused, &WaitEnd::ended,
                                               std::chrono::milliseconds(CliContext::kConnectWaitMs));
    }
    if (!m_link->isAttached()) {
        auto* hidapi = qobject_cast<HidapiLibrary*>(m_library.get());
        m_error = hidapi && !hidapi->errorString().isEmpty() ? hidapi->errorString()
                                                             : QStringLiteral("it is not connected");
        co_return false;
    }
    // Read notification is switched on by the "changed" notification that follows the arrival.
    co_await QCoro::sleepFor(std::chrono::milliseconds(0));
    co_return true;
}

bool DeviceAttachment::saveState() {
    if (!m_emulator)
        return true;
    m_emulator->device().flush();
    m_error = m_emulator->device().saveProblem();
    return m_error.isEmpty();
}

QString DeviceAttachment::name() const {
    if (m_link && !m_link->serialNumber().isEmpty())
        return m_link->serialNumber();
    return m_device.serial.isEmpty() ? m_device.path : m_device.serial;
}

} // namespace telvar::cli
