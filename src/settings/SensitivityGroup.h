// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QGroupBox>

class QPushButton;

namespace telvar {

class SettingSlider;

// "Sensitivity": the sensor's gain and offset as vertical sliders, and "Save Setting".
class SensitivityGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit SensitivityGroup(QWidget* parent = nullptr);

    SettingSlider* gain() const { return m_gain; }
    SettingSlider* offset() const { return m_offset; }
    // "Save Setting" writes both sliders: it is enabled only while both are shown.
    void refreshSave();

Q_SIGNALS:
    void saveRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    SettingSlider* m_gain;
    SettingSlider* m_offset;
    QPushButton* m_save = nullptr;
};

} // namespace telvar
