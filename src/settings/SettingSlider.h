#pragma once

#include "settings/ConfigurationBytes.h"

#include <QWidget>

class QLineEdit;
class QSlider;

namespace telvar {

// A setting's caption, its slider and the number box that follows the slider. The box only shows: what is
// saved always comes from the slider.
class SettingSlider : public QWidget {
    Q_OBJECT
public:
    struct Design {
        QString caption;
        QString captionTip;
        ConfigurationBytes::Setting setting;
        Qt::Orientation orientation;
        int start;       // the slider's value before the device is read
        QString boxText; // the box's text before the slider first moves
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

private:
    QSlider* m_slider;
    QLineEdit* m_box;
};

} // namespace telvar
