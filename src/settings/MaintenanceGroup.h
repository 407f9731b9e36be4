// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QGroupBox>

class QCheckBox;
class QLineEdit;

namespace telvar {

// The untitled maintenance group: firmware version, factory defaults, boot loader, the speaker amplifier,
// and the information window.
class MaintenanceGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit MaintenanceGroup(QWidget* parent = nullptr);

    QLineEdit* information() const { return m_information; }
    void setInformation(const QString& text);
    // Puts the box back to what the device has (after a switch that did not go through).
    void setAmplifier(bool on);

Q_SIGNALS:
    void firmwareRequested();
    void factoryDefaultsRequested();
    void bootLoaderRequested();
    // The user ticked or cleared "Amp OFF"; its caption already says the new state.
    void amplifierClicked(bool on);

private:
    QCheckBox* m_amplifier = nullptr;
    QLineEdit* m_information = nullptr;
};

} // namespace telvar
