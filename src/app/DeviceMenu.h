// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "emulator/DeviceCandidates.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class QAction;
class QActionGroup;
class QMenu;

namespace telvar {

class Mainform;

// The Device menu's list of the attached Telvar X, real or virtual, each by its serial: the one this
// window uses is checked, and choosing another moves the window to it. The list is read afresh each time
// the menu opens, so devices plugged in since show up. Switching waits for the device to be free: while a
// command or a question session runs, the choice is refused with a status text.
class DeviceMenu : public QObject {
    Q_OBJECT
public:
    // The devices attached now.
    using Lister = std::function<QList<DeviceCandidate>()>;
    // Moves the program to the chosen device; returns why it cannot (empty: done, or on its way).
    using Attacher = std::function<QString(const DeviceCandidate&)>;

    // `settingsFile`: where the last used device is kept; empty: the user's settings.
    DeviceMenu(Mainform& window, const DeviceCandidate& current, Lister list, Attacher attach,
               const QString& settingsFile = {});

    QMenu* menu() const { return m_menu; }
    // Chooses `device` as the user does from the menu.
    void choose(const DeviceCandidate& device);

    // How a device is known across runs: its serial, else its path (a virtual device not made yet).
    static QString keyOf(const DeviceCandidate& device);
    // What tells the windows of the devices apart: a virtual device's state file, which it keeps from its
    // first run on (its serial is made then), else the key.
    static QString windowKeyOf(const DeviceCandidate& device);
    // The device a start that names none uses: the last one used when it is attached, else the first.
    static std::optional<DeviceCandidate> preferred(const QList<DeviceCandidate>& there,
                                                    const QString& settingsFile = {});
    // Keeps `device` as the last one used.
    static void remember(const DeviceCandidate& device, const QString& settingsFile = {});

private:
    void refresh();

    Mainform& m_window;
    DeviceCandidate m_current;
    Lister m_list;
    Attacher m_attach;
    QString m_settingsFile;
    QMenu* m_menu = nullptr;
    QActionGroup* m_group = nullptr;
    QList<QAction*> m_entries;
};

} // namespace telvar
