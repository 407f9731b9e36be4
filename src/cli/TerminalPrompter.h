// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device/Prompter.h"

#include <QTextStream>

#include <optional>

namespace telvar::cli {

// Confirmations on the terminal: --yes answers Yes; without it the question is asked on stderr and
// read from stdin, and refused when stdin is no terminal (a script must say --yes).
class TerminalPrompter : public Prompter {
public:
    TerminalPrompter(bool assumeYes, QTextStream& err) : m_assumeYes(assumeYes), m_err(err) {}

    QCoro::Task<bool> askYesNo(QString text, QString title) override;
    QCoro::Task<bool> askOkCancel(QString text, QString title) override;
    QCoro::Task<SaveAnswer> askSaveDiscardCancel(QString text, QString title) override;
    QCoro::Task<> inform(QString text, QString title) override;

private:
    bool ask(const QString& text, const QString& choices);
    // The line typed after `text` and `choices`; nullopt when there is no terminal to ask on.
    std::optional<QString> readAnswer(const QString& text, const QString& choices);

    bool m_assumeYes;
    QTextStream& m_err;
};

} // namespace telvar::cli
