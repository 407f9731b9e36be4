// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

namespace telvar {

// Gives the keyboard focus back to a control that lost it by being disabled for a busy operation, once the
// control is enabled again, and to a control whose question box took it, once the box is answered. Qt
// hands the focus of a disabled control to the next one in the Tab chain, so a keyboard user would
// otherwise find it in some unrelated box after every Save. Only the window `root` is watched, and the
// focus is left alone when the user has moved it meanwhile.
class FocusReturn : public QObject {
    Q_OBJECT
public:
    explicit FocusReturn(QWidget* root);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void focusChanged(QWidget* old, QWidget* now);
    void remember(QWidget* control, QWidget* movedTo);
    void forget();

    QWidget* m_root;
    QPointer<QWidget> m_displaced; // the control that had the focus when it was disabled
    QPointer<QWidget> m_movedTo;   // where Qt put the focus instead (null: nowhere, or into a box)
};

} // namespace telvar
