// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QGroupBox>

class QLineEdit;
class QPushButton;
class QSlider;

namespace telvar {

// "Energy Mode Rate": the rate slider, the frequency it gives, and "Save Setting".
class EnergyRateGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit EnergyRateGroup(QWidget* parent = nullptr);

    QSlider* slider() const { return m_slider; }
    QLineEdit* display() const { return m_display; }
    int rate() const;
    // Moves the slider and shows its frequency, even when the slider was there already.
    void setRate(int rate);
    // The display shows the slider's frequency, which now counts as shown.
    void showRate();

    // As for the other settings: the slider stands where the device or the user put it; from the start of a
    // read until then, the display is blank and the slider greyed without a handle.
    bool isShown() const { return m_shown; }
    void forget();
    // "Save Setting" is enabled only while the rate is shown.
    void refreshSave();

Q_SIGNALS:
    void saveRequested();

private:
    QSlider* m_slider;
    QLineEdit* m_display;
    QPushButton* m_save = nullptr;
    bool m_shown = false;
};

} // namespace telvar
