// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/DeviceMenu.h"

#include "app/Mainform.h"
#include "app/ProgramSettings.h"

#include <QAction>
#include <QActionGroup>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>

#include <algorithm>
#include <memory>

namespace telvar {

namespace {

const QString kDeviceMenuTitle = QStringLiteral("&Device");
const QString kLastUsedKey = QStringLiteral("device/lastUsed");

std::unique_ptr<QSettings> programSettings(const QString& file) {
    return openProgramSettings(file);
}

// The menu the virtual device's controls may have made already; the list joins it.
QMenu* deviceMenuOf(Mainform& window) {
    for (QAction* action : window.menuBar()->actions()) {
        if (action->menu() && action->text() == kDeviceMenuTitle)
            return action->menu();
    }
    auto* menu = new QMenu(kDeviceMenuTitle, window.menuBar());
    window.menuBar()->insertMenu(window.helpMenu()->menuAction(), menu);
    return menu;
}

QString entryText(const DeviceCandidate& device) {
    const QString serial = device.serial.isEmpty() ? QStringLiteral("(no serial yet)") : device.serial;
    return QStringLiteral("%1  %2").arg(serial, device.path);
}

} // namespace

DeviceMenu::DeviceMenu(Mainform& window, const DeviceCandidate& current, Lister list, Attacher attach,
                       const QString& settingsFile)
    : QObject(&window), m_window(window), m_current(current), m_list(std::move(list)),
      m_attach(std::move(attach)), m_settingsFile(settingsFile), m_menu(deviceMenuOf(window)),
      m_group(new QActionGroup(this)) {
    m_menu->setObjectName(QStringLiteral("deviceMenu"));
    connect(m_menu, &QMenu::aboutToShow, this, &DeviceMenu::refresh);
    refresh();
}

void DeviceMenu::refresh() {
    // Later: the entry being chosen may be the one asking for this.
    for (QAction* old : std::as_const(m_entries)) {
        m_menu->removeAction(old);
        m_group->removeAction(old);
        old->deleteLater();
    }
    m_entries.clear();
    const QList<DeviceCandidate> there = m_list();
    m_entries << m_menu->addSection(tr("Attached Telvar X"));
    for (const DeviceCandidate& device : there) {
        QAction* entry = m_menu->addAction(entryText(device));
        entry->setObjectName(QStringLiteral("device:") + keyOf(device));
        entry->setCheckable(true);
        entry->setChecked(keyOf(device) == keyOf(m_current));
        m_group->addAction(entry);
        connect(entry, &QAction::triggered, this, [this, device] { choose(device); });
        m_entries << entry;
    }
    if (there.isEmpty()) {
        QAction* none = m_menu->addAction(tr("No Telvar X attached"));
        none->setEnabled(false);
        m_entries << none;
    }
}

void DeviceMenu::choose(const DeviceCandidate& device) {
    if (keyOf(device) == keyOf(m_current))
        return;
    if (m_window.link().sequenceRunning() || m_window.sessionRunning()) {
        // Said only while it is true: once the device is free, the status it covered comes back.
        m_window.showNote(tr("Telvar X busy: switch devices when it has finished"),
                          Mainform::NoteLasts::UntilIdle);
        refresh(); // the check mark goes back to the device in use
        return;
    }
    const QString refusal = m_attach(device);
    if (!refusal.isEmpty()) {
        m_window.setStatus(refusal);
        refresh();
        return;
    }
    remember(device, m_settingsFile);
    m_current = device;
    refresh();
}

QString DeviceMenu::keyOf(const DeviceCandidate& device) {
    return device.serial.isEmpty() ? device.path : device.serial;
}

QString DeviceMenu::windowKeyOf(const DeviceCandidate& device) {
    if (!device.isVirtual)
        return keyOf(device);
    const QFileInfo file(device.path);
    return file.exists() ? file.canonicalFilePath() : file.absoluteFilePath();
}

std::optional<DeviceCandidate> DeviceMenu::preferred(const QList<DeviceCandidate>& there,
                                                     const QString& settingsFile) {
    if (there.isEmpty())
        return std::nullopt;
    const QString last = programSettings(settingsFile)->value(kLastUsedKey).toString();
    const auto found = std::find_if(there.begin(), there.end(),
                                    [&last](const DeviceCandidate& d) { return d.isNamedBy(last); });
    return found != there.end() ? *found : there.constFirst();
}

void DeviceMenu::remember(const DeviceCandidate& device, const QString& settingsFile) {
    programSettings(settingsFile)->setValue(kLastUsedKey, keyOf(device));
}

} // namespace telvar
