// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/CloseKeys.h"

#include <QKeySequence>
#include <QShortcut>
#include <QWidget>

namespace telvar {

void addCloseKeys(QWidget* window) {
    // Two shortcuts on one key would cancel each other out, so Ctrl+W is named once here.
    for (const QKeySequence& keys : {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
        auto* shortcut = new QShortcut(keys, window);
        shortcut->setContext(Qt::WindowShortcut);
        QObject::connect(shortcut, &QShortcut::activated, window, &QWidget::close);
    }
}

} // namespace telvar
