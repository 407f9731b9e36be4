// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MessageBoxPrompter.h"

#include <QApplication>
#include <QCoro/QCoroSignal>

namespace telvar {

MessageBoxPrompter::MessageBoxPrompter(QWidget* parent, QString programTitle)
    : m_parent(parent), m_programTitle(std::move(programTitle)) {}

QWidget* MessageBoxPrompter::askingWindow() const {
    if (!m_parent)
        return nullptr;
    QWidget* active = QApplication::activeWindow();
    for (QWidget* owner = active; owner; owner = owner->parentWidget()) {
        if (owner == m_parent || owner == m_parent->window())
            return active;
    }
    return m_parent;
}

QCoro::Task<bool> MessageBoxPrompter::askYesNo(QString text, QString title) {
    const auto answer = co_await show(QMessageBox::Question, std::move(text), std::move(title),
                                      QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    co_return answer == QMessageBox::Yes;
}

QCoro::Task<bool> MessageBoxPrompter::askOkCancel(QString text, QString title) {
    const auto answer = co_await show(QMessageBox::Question, std::move(text), std::move(title),
                                      QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel);
    co_return answer == QMessageBox::Ok;
}

QCoro::Task<Prompter::SaveAnswer> MessageBoxPrompter::askSaveDiscardCancel(QString text, QString title) {
    const auto answer =
        co_await show(QMessageBox::Question, std::move(text), std::move(title),
                      QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Cancel);
    switch (answer) {
    case QMessageBox::Save:
        co_return SaveAnswer::Save;
    case QMessageBox::Discard:
        co_return SaveAnswer::Discard;
    default:
        co_return SaveAnswer::Cancel;
    }
}

QCoro::Task<> MessageBoxPrompter::inform(QString text, QString title) {
    co_await show(QMessageBox::NoIcon, std::move(text), std::move(title), QMessageBox::Ok, QMessageBox::Ok);
}

QCoro::Task<QMessageBox::StandardButton> MessageBoxPrompter::show(QMessageBox::Icon icon, QString text,
                                                                  QString title,
                                                                  QMessageBox::StandardButtons buttons,
                                                                  QMessageBox::StandardButton escapeButton) {
    if (silenced())
        co_return escapeButton;
    const QPointer<QWidget> owner = askingWindow();
    auto* box = new QMessageBox(icon, title.isEmpty() ? m_programTitle : title, text, buttons, owner);
    box->setEscapeButton(escapeButton);
    // Left to itself the box makes Yes or OK the default, and a stray Enter would confirm.
    box->setDefaultButton(escapeButton);
    box->open();
    box->raise();
    box->activateWindow();
    // The box is deleted only after the answer is read: deleting it on close could drop the queued
    // finished signal. If the window goes away first, the box goes with it and this task is never resumed.
    co_await qCoro(box, &QMessageBox::finished);
    const auto answer = box->standardButton(box->clickedButton());
    box->deleteLater();
    // The user goes on where the question came from, even if the window system activated another.
    if (owner) {
        owner->raise();
        owner->activateWindow();
    }
    co_return answer == QMessageBox::NoButton ? escapeButton : answer;
}

} // namespace telvar
