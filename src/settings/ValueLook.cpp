// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/ValueLook.h"

#include <QLineEdit>
#include <QPaintEvent>
#include <QSlider>
#include <QStyleOptionSlider>
#include <QStylePainter>

namespace telvar {

namespace {

const QString kHandleHider = QStringLiteral("unknownValueLook");

// Paints a slider's groove without its handle: a handle would stand at a position nobody read. The slider
// still takes the user's moves, which make its value known again.
class HandleHider : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* slider = qobject_cast<QSlider*>(watched);
        if (!slider || event->type() != QEvent::Paint)
            return false;
        QStyleOptionSlider option;
        option.initFrom(slider);
        option.state &= ~QStyle::State_Enabled;
        option.orientation = slider->orientation();
        option.minimum = slider->minimum();
        option.maximum = slider->maximum();
        // Some styles fill the groove up to the handle, which would tell the position all the same.
        option.sliderPosition = option.sliderValue = slider->minimum();
        option.upsideDown =
            slider->orientation() == Qt::Horizontal
                ? slider->invertedAppearance() != (slider->layoutDirection() == Qt::RightToLeft)
                : !slider->invertedAppearance();
        option.tickPosition = slider->tickPosition();
        option.tickInterval = slider->tickInterval();
        option.subControls = QStyle::SC_SliderGroove | QStyle::SC_SliderTickmarks;
        QStylePainter(slider).drawComplexControl(QStyle::CC_Slider, option);
        return true;
    }
};

} // namespace

void lookReadOnly(QLineEdit* box) {
    box->setReadOnly(true);
    box->setFocusPolicy(Qt::ClickFocus);
    QPalette palette = box->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, QPalette::Base, palette.color(group, QPalette::Window));
    box->setPalette(palette);
}

void lookUnknown(QAbstractSlider* slider, bool unknown) {
    QObject* hider = slider->findChild<QObject*>(kHandleHider, Qt::FindDirectChildrenOnly);
    if (unknown && !hider) {
        hider = new HandleHider(slider);
        hider->setObjectName(kHandleHider);
        slider->installEventFilter(hider);
    } else if (!unknown) {
        delete hider;
    }
    slider->update();
    if (!unknown) {
        slider->setPalette(QPalette());
        return;
    }
    QPalette palette = slider->palette();
    for (int role = 0; role < QPalette::NColorRoles; ++role) {
        const auto colorRole = static_cast<QPalette::ColorRole>(role);
        const QColor greyed = palette.color(QPalette::Disabled, colorRole);
        palette.setColor(QPalette::Active, colorRole, greyed);
        palette.setColor(QPalette::Inactive, colorRole, greyed);
    }
    slider->setPalette(palette);
}

} // namespace telvar
