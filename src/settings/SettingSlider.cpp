// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SettingSlider.h"

#include "settings/ValueLook.h"
#include "vocab/NumberText.h"

#include <QBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>

namespace telvar {

namespace {
constexpr int kBoxCharacters = 5;
} // namespace

SettingSlider::SettingSlider(const Design& design, QWidget* parent)
    : QWidget(parent), m_slider(new QSlider(design.orientation, this)), m_box(new QLineEdit(this)) {
    auto* caption = new QLabel(design.caption, this);
    caption->setObjectName(design.name + QStringLiteral("Label"));
    caption->setToolTip(design.captionTip);

    const ConfigurationBytes::Range range = ConfigurationBytes::range(design.setting);
    m_slider->setObjectName(design.name + QStringLiteral("Slider"));
    m_slider->setRange(range.minimum, range.maximum);
    m_slider->setValue(design.start);

    m_box->setObjectName(design.name + QStringLiteral("Box"));
    m_box->setToolTip(design.boxTip);
    lookReadOnly(m_box);
    m_box->setMaximumWidth(m_box->fontMetrics().horizontalAdvance(QString(kBoxCharacters, u'0')) * 2);
    connect(m_slider, &QSlider::valueChanged, this, [this](int value) { m_box->setText(numberText(value)); });
    // The position is already the action's when it is announced; the value follows only if it changes.
    connect(m_slider, &QSlider::actionTriggered, this, [this] {
        m_box->setText(numberText(m_slider->sliderPosition()));
        m_shown = true;
        lookUnknown(m_slider, false);
        Q_EMIT touched();
    });

    if (design.orientation == Qt::Vertical) {
        auto* column = new QVBoxLayout(this);
        column->addWidget(caption, 0, Qt::AlignHCenter);
        column->addWidget(m_slider, 1, Qt::AlignHCenter);
        column->addWidget(m_box, 0, Qt::AlignHCenter);
    } else {
        auto* row = new QHBoxLayout(this);
        caption->setMinimumWidth(caption->fontMetrics().horizontalAdvance(QStringLiteral("Volume ")));
        row->addWidget(caption);
        row->addWidget(m_slider, 1);
        row->addWidget(m_box);
    }
    layout()->setContentsMargins(0, 0, 0, 0);
    forget();
}

int SettingSlider::value() const {
    return m_slider->value();
}

void SettingSlider::setValue(int value) {
    m_slider->setValue(value);
    showValue();
}

void SettingSlider::showValue() {
    m_box->setText(numberText(m_slider->value()));
    m_shown = true;
    lookUnknown(m_slider, false);
}

void SettingSlider::forget() {
    m_shown = false;
    m_box->clear();
    lookUnknown(m_slider, true);
}

} // namespace telvar
