// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/WindowPlacement.h"

#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace telvar {

void placeOver(QWidget* window, const QWidget* owner) {
    const QWidget* ownerWindow = owner->window();
    // The owner's decorations stand in for the window's own, which are known only once it is shown.
    const QSize decorations = ownerWindow->frameGeometry().size() - ownerWindow->geometry().size();
    const QRect available = ownerWindow->screen()->availableGeometry();
    window->resize(
        window->size().boundedTo(available.size() - decorations).expandedTo(window->minimumSizeHint()));
    QRect frame(QPoint(), window->size() + decorations);
    frame.moveCenter(ownerWindow->frameGeometry().center());
    frame.moveLeft(std::max(available.left(), std::min(frame.left(), available.right() - frame.width() + 1)));
    frame.moveTop(std::max(available.top(), std::min(frame.top(), available.bottom() - frame.height() + 1)));
    window->move(frame.topLeft());
}

} // namespace telvar
