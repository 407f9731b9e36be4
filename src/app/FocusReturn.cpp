#include "app/FocusReturn.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace telvar {

FocusReturn::FocusReturn(QWidget* root) : QObject(root), m_root(root) {
    connect(qApp, &QApplication::focusChanged, this, &FocusReturn::focusChanged);
}

void FocusReturn::focusChanged(QWidget* old, QWidget* now) {
    if (old && !old->isEnabled() && old->window() == m_root) {
        // Disabling several controls in a row passes the focus along them; the first one gets it back.
        if (m_displaced && old == m_movedTo) {
            m_movedTo = now;
            return;
        }
        forget();
        m_displaced = old;
        m_movedTo = now;
        old->installEventFilter(this);
        return;
    }
    if (m_displaced && now != m_displaced)
        forget(); // the user took the focus elsewhere
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
