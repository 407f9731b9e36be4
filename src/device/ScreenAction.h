// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoro/QCoroTask>
#include <QString>

#include <functional>

namespace telvar {

class ScreenHost;

// Runs a coroutine that nobody awaits: a click or a timer starts it and moves on. An exception escaping
// such a task would be kept in it and dropped with it, leaving the program idle without a word, so it
// is caught here and its text handed to `report`.
QCoro::Task<> runReported(QCoro::Task<> action, std::function<void(const QString&)> report);

// The same for a screen's action: the text goes to the title bar, and the please-wait frame the
// action may have put up comes down.
void runScreenAction(ScreenHost& host, QCoro::Task<> action);

} // namespace telvar
