// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/FocusChain.h"

#include <QList>
#include <QWidget>

namespace telvar {

namespace {

// `root` and the widgets under it that Tab stops at, in Tab order.
QList<QWidget*> tabStops(QWidget* root) {
    QList<QWidget*> stops;
    QWidget* widget = root;
    do {
        if ((widget == root || root->isAncestorOf(widget)) && (widget->focusPolicy() & Qt::TabFocus))
            stops << widget;
        widget = widget->nextInFocusChain();
    } while (widget != root);
    return stops;
}

} // namespace

void placeInTabChainAfter(QWidget* anchor, QWidget* late) {
    const QList<QWidget*> before = tabStops(anchor);
    QWidget* previous = before.isEmpty() ? anchor : before.last();
    for (QWidget* stop : tabStops(late)) {
        QWidget::setTabOrder(previous, stop);
        previous = stop;
    }
}

} // namespace telvar
