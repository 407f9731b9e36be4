// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/ValueLook.h"

#include <QLineEdit>
#include <QMouseEvent>
#include <QSlider>
#include <QStyleOptionSlider>
#include <QStylePainter>

namespace telvar {

namespace {

const QString kHandleHider = QStringLiteral("unknownValueLook");

QStyleOptionSlider sliderOption(const QSlider* slider) {
    QStyleOptionSlider option;
    option.initFrom(slider);
    option.orientation = slider->orientation();
    option.minimum = slider->minimum();
    option.maximum = slider->maximum();
    option.sliderPosition = slider->sliderPosition();
    option.sliderValue = slider->value();
    option.upsideDown = slider->orientation() == Qt::Horizontal
                            ? slider->invertedAppearance() != (slider->layoutDirection() == Qt::RightToLeft)
                            : !slider->invertedAppearance();
    option.tickPosition = slider->tickPosition();
    option.tickInterval = slider->tickInterval();
    option.subControls = QStyle::SC_SliderGroove | QStyle::SC_SliderHandle;
    return option;
}

// Paints a slider's groove without its handle: a handle would stand at a position nobody read. A click
// puts the value where it falls (a page step from a position nobody sees would go anywhere), and from
// there the slider takes the user's moves as usual.
class HandleHider : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* slider = qobject_cast<QSlider*>(watched);
        if (slider && event->type() == QEvent::Paint) {
            QStyleOptionSlider option = sliderOption(slider);
            option.state &= ~QStyle::State_Enabled;
            // Some styles fill the groove up to the handle, which would tell the position all the same.
            option.sliderPosition = option.sliderValue = slider->minimum();
            option.subControls = QStyle::SC_SliderGroove | QStyle::SC_SliderTickmarks;
            QStylePainter(slider).drawComplexControl(QStyle::CC_Slider, option);
            return true;
        }
        if (slider && event->type() == QEvent::MouseButtonPress &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            const QStyleOptionSlider option = sliderOption(slider);
            const QStyle* style = slider->style();
            const QRect groove =
                style->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, slider);
            const QRect handle =
                style->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider);
            const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
            const bool across = slider->orientation() == Qt::Horizontal;
            const int value = QStyle::sliderValueFromPosition(
                slider->minimum(), slider->maximum(),
                across ? at.x() - groove.x() - handle.width() / 2 : at.y() - groove.y() - handle.height() / 2,
                across ? groove.width() - handle.width() : groove.height() - handle.height(),
                option.upsideDown);
            // Either way the slider announces a move, which makes its value known; the press then goes on to
            // the handle now under it, for a drag.
            if (slider->sliderPosition() == value)
                slider->triggerAction(QAbstractSlider::SliderMove);
            else
                slider->setSliderPosition(value);
        }
        return false;
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
    } else if (!unknown && hider) {
        // Possibly from within its own filter, when a click made the value known.
        slider->removeEventFilter(hider);
        hider->deleteLater();
        hider->setObjectName(QString());
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
