// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/ValueLook.h"

#include <QAbstractSlider>
#include <QLineEdit>

namespace telvar {

void lookReadOnly(QLineEdit* box) {
    box->setReadOnly(true);
    box->setFocusPolicy(Qt::ClickFocus);
    QPalette palette = box->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, QPalette::Base, palette.color(group, QPalette::Window));
    box->setPalette(palette);
}

void lookUnknown(QAbstractSlider* slider, bool unknown) {
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
