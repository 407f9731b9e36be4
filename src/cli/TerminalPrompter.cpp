// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/TerminalPrompter.h"

#include <cstdio>
#include <string>
#include <unistd.h>

namespace telvar::cli {

QCoro::Task<bool> TerminalPrompter::askYesNo(QString text, QString) {
    co_return ask(text, QStringLiteral("[y/N]"));
}

QCoro::Task<bool> TerminalPrompter::askOkCancel(QString text, QString) {
    co_return ask(text, QStringLiteral("[OK: y / Cancel: N]"));
}

QCoro::Task<> TerminalPrompter::inform(QString text, QString) {
    m_err << text << Qt::endl;
    co_return;
}

bool TerminalPrompter::ask(const QString& text, const QString& choices) {
    if (m_assumeYes)
        return true;
    if (!isatty(STDIN_FILENO)) {
        m_err << text << Qt::endl << "Refused: no terminal to confirm on; add --yes to confirm." << Qt::endl;
        return false;
    }
    m_err << text << ' ' << choices << ' ' << Qt::flush;
    std::string answer;
    int c = 0;
    while ((c = std::getchar()) != EOF && c != '\n')
        answer.push_back(static_cast<char>(c));
    return answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes";
}

} // namespace telvar::cli
