// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/FocusReturn.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace telvar {

FocusReturn::FocusReturn(QWidget* root) : QObject(root), m_root(root) {
    connect(qApp, &QApplication::focusChanged, this, &FocusReturn::focusChanged);
}

void FocusReturn::focusChanged(QWidget* old, QWidget* now) {
    const bool fromRoot = old && old->window() == m_root;
    const bool toRoot = now && now->window() == m_root;
    const bool toModal = now && !toRoot && now->window()->windowModality() != Qt::NonModal;
    if (fromRoot && !old->isEnabled()) {
        // Disabling several controls in a row passes the focus along them; the first one gets it back.
        if (m_displaced && old == m_movedTo) {
            m_movedTo = now;
            return;
        }
        remember(old, now);
        return;
    }
    if (toModal) {
        // A question box took the keyboard: the control that asked gets it back when the box is answered.
        if (fromRoot && !m_displaced)
            remember(old, nullptr);
        return;
    }
    if (toRoot && m_displaced && !m_movedTo) {
        // Back from the box. A job the answer started may have disabled the control meanwhile.
        QWidget* control = m_displaced;
        if (control->isEnabled() && control->isVisible()) {
            forget();
            control->setFocus(Qt::OtherFocusReason);
        } else {
            m_movedTo = now;
        }
        return;
    }
    // Within the window the user took the focus elsewhere; a return from another window is no move.
    if (m_displaced && fromRoot && now != m_displaced)
        forget();
}

void FocusReturn::remember(QWidget* control, QWidget* movedTo) {
    forget();
    m_displaced = control;
    m_movedTo = movedTo;
    control->installEventFilter(this);
}

void FocusReturn::forget() {
    if (m_displaced)
        m_displaced->removeEventFilter(this);
    m_displaced = nullptr;
    m_movedTo = nullptr;
}

bool FocusReturn::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::EnabledChange && watched == m_displaced && m_displaced->isEnabled()) {
        QWidget* control = m_displaced;
        const bool untouched = control->window()->focusWidget() == m_movedTo;
        forget();
        if (untouched && control->isVisible())
            control->setFocus(Qt::OtherFocusReason);
    }
    return QObject::eventFilter(watched, event);
}

} // namespace telvar
