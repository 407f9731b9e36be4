// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device/Prompter.h"

#include <QMessageBox>
#include <QPointer>
#include <QWidget>

namespace telvar {

// The window's Prompter: each box is opened window-modal with open() and awaited, so the event loop and
// the device keep running while the user reads it. A box without a title of its own carries the program's.
// No or Cancel is the default button as well as the escape button. The box belongs to the window that
// asks: the active one when it is the parent or a window of the parent's own (the history, the word
// editor), else the parent; it takes the keyboard focus, and that window comes back to the front after.
class MessageBoxPrompter : public Prompter {
public:
    MessageBoxPrompter(QWidget* parent, QString programTitle);

    QCoro::Task<bool> askYesNo(QString text, QString title = {}) override;
    QCoro::Task<bool> askOkCancel(QString text, QString title = {}) override;
    QCoro::Task<SaveAnswer> askSaveDiscardCancel(QString text, QString title = {}) override;
    QCoro::Task<> inform(QString text, QString title = {}) override;

private:
    QWidget* askingWindow() const;
    QCoro::Task<QMessageBox::StandardButton> show(QMessageBox::Icon icon, QString text, QString title,
                                                  QMessageBox::StandardButtons buttons,
                                                  QMessageBox::StandardButton escapeButton);

    QPointer<QWidget> m_parent;
    QString m_programTitle;
};

} // namespace telvar
