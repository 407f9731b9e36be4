#pragma once

#include "device/Prompter.h"

#include <QMessageBox>
#include <QPointer>
#include <QWidget>

namespace telvar {

// The window's Prompter: each box is opened window-modal with open() and awaited, so the event loop and
// the device keep running while the user reads it. A box without a title of its own carries the program's.
class MessageBoxPrompter : public Prompter {
public:
    MessageBoxPrompter(QWidget* parent, QString programTitle);

    QCoro::Task<bool> askYesNo(QString text, QString title = {}) override;
    QCoro::Task<bool> askYesNoDefaultNo(QString text, QString title = {}) override;
    QCoro::Task<bool> askOkCancel(QString text, QString title = {}) override;
    QCoro::Task<> inform(QString text, QString title = {}) override;

private:
    QCoro::Task<QMessageBox::StandardButton>
    show(QMessageBox::Icon icon, QString text, QString title, QMessageBox::StandardButtons buttons,
         QMessageBox::StandardButton escapeButton,
         QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

    QPointer<QWidget> m_parent;
    QString m_programTitle;
};

} // namespace telvar
