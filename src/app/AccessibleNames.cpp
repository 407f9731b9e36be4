// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AccessibleNames.h"

#include <QAbstractButton>
#include <QRegularExpression>
#include <QWidget>

namespace telvar {

namespace {

// A caption that says nothing to a listener: empty, or only a number ("200").
bool saysNothing(const QString& caption) {
    static const QRegularExpression number(QStringLiteral("^\\s*[-+]?\\d*\\s*$"));
    return number.match(caption).hasMatch();
}

} // namespace

void nameUncaptionedControls(QWidget* root) {
    for (QWidget* widget : root->findChildren<QWidget*>()) {
        if (widget->focusPolicy() == Qt::NoFocus || !widget->accessibleName().isEmpty())
            continue;
        if (auto* button = qobject_cast<QAbstractButton*>(widget); button && !saysNothing(button->text()))
            continue;
        const QString name = widget->toolTip().isEmpty() ? widget->objectName() : widget->toolTip();
        if (!name.isEmpty())
            widget->setAccessibleName(name);
    }
}

} // namespace telvar
