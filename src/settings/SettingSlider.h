// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/ConfigurationBytes.h"

#include <QWidget>

class QLineEdit;
class QSlider;

namespace telvar {

// A setting's caption, its slider and the number box that follows the slider. The box only shows: what is
// saved always comes from the slider. Until the device has been read or the user has moved the slider, its
// position is only the design's start value, which neither the box nor the slider shows: such a value is
// not "shown" and must not be saved or played.
class SettingSlider : public QWidget {
    Q_OBJECT
public:
    struct Design {
        QString caption;
        QString captionTip;
        ConfigurationBytes::Setting setting;
        Qt::Orientation orientation;
        int start; // the slider's value before the device is read, never shown
        QString boxTip;
        QString name; // objectName stem: "gain" gives gainSlider and gainBox
    };

    SettingSlider(const Design& design, QWidget* parent = nullptr);

    QSlider* slider() const { return m_slider; }
    QLineEdit* box() const { return m_box; }
    int value() const;
    // Moves the slider and shows the value in the box, even when the slider was there already (its start
    // position and the box's start text need not agree).
    void setValue(int value);
    // The box shows where the slider stands, which now counts as shown.
    void showValue();

    // The slider stands where the device or the user put it, and the box says so.
    bool isShown() const { return m_shown; }
    // A new read begins: only what it reads (or the user moves) counts as shown again, and until then the
    // box is blank and the slider greyed without a handle.
    void forget();

Q_SIGNALS:
    // The user moved the slider (or tried to: at its end it stays, and its value is shown all the same).
    void touched();

private:
    QSlider* m_slider;
    QLineEdit* m_box;
    bool m_shown = false;
};

} // namespace telvar
