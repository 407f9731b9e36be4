// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/BusyControls.h"

#include "device/DeviceLink.h"

#include <QWidget>

namespace telvar {

BusyControls::BusyControls(DeviceLink& link, QObject* parent) : QObject(parent), m_link(link) {
    connect(&m_link, &DeviceLink::sequenceBegun, this, &BusyControls::jobBegun);
    connect(&m_link, &DeviceLink::sequenceEnded, this, &BusyControls::jobEnded);
}

void BusyControls::add(QWidget* control) {
    m_controls.append(control);
    if (!m_saved.isEmpty() || m_link.jobRunning()) {
        m_saved.append({control, control->isEnabled(), control->toolTip()});
        control->setEnabled(false);
        control->setToolTip(busyToolTip(m_link.runningName()));
    }
}

QString BusyControls::busyToolTip(const QString& jobName) {
    return tr("The Telvar X is busy: %1").arg(jobName.isEmpty() ? tr("a command") : jobName);
}

void BusyControls::jobBegun() {
    if (!m_link.jobRunning())
        return;
    const QString toolTip = busyToolTip(m_link.runningName());
    m_saved.clear();
    for (const QPointer<QWidget>& control : m_controls) {
        if (!control)
            continue;
        m_saved.append({control, control->isEnabled(), control->toolTip()});
        control->setEnabled(false);
        control->setToolTip(toolTip);
    }
}

void BusyControls::jobEnded() {
    // Each control gets back what it had when the job began, so a screen leaves registered controls alone
    // while a job runs and changes them before or after it.
    for (const Saved& saved : std::as_const(m_saved)) {
        if (!saved.control)
            continue;
        saved.control->setEnabled(saved.enabled);
        saved.control->setToolTip(saved.toolTip);
    }
    m_saved.clear();
}

} // namespace telvar
