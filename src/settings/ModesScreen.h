// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/OperatingModes.h"

#include <QCoro/QCoroTask>
#include <QWidget>

#include <array>

class QCheckBox;

namespace telvar {

class DeviceSequence;
class ScreenHost;

// The "Telvar X" screen: one button per operating mode and the mode-availability boxes beside them.
class ModesScreen : public QWidget {
    Q_OBJECT
public:
    explicit ModesScreen(ScreenHost& host, QWidget* parent = nullptr);

private:
    QCoro::Task<> sendMode(char letter);
    QCoro::Task<> sendAvailability(int clickedBox);
    void followStatus(DeviceSequence& job);
    OperatingModes::Availability ticked() const;

    ScreenHost& m_host;
    std::array<QCheckBox*, OperatingModes::kBoxCount> m_boxes{};
};

} // namespace telvar
