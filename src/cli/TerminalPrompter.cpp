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

// --yes keeps the work: Save is the answer that loses nothing.
QCoro::Task<Prompter::SaveAnswer> TerminalPrompter::askSaveDiscardCancel(QString text, QString) {
    if (m_assumeYes)
        co_return SaveAnswer::Save;
    const std::optional<QString> answer =
        readAnswer(text, QStringLiteral("[Save: s / Discard: d / Cancel: N]"));
    if (answer && answer->compare(QLatin1String("s"), Qt::CaseInsensitive) == 0)
        co_return SaveAnswer::Save;
    if (answer && answer->compare(QLatin1String("d"), Qt::CaseInsensitive) == 0)
        co_return SaveAnswer::Discard;
    co_return SaveAnswer::Cancel;
}

QCoro::Task<> TerminalPrompter::inform(QString text, QString) {
    m_err << text << Qt::endl;
    co_return;
}

bool TerminalPrompter::ask(const QString& text, const QString& choices) {
    if (m_assumeYes)
        return true;
    const std::optional<QString> answer = readAnswer(text, choices);
    return answer && (*answer == QLatin1String("y") || *answer == QLatin1String("Y") ||
                      *answer == QLatin1String("yes") || *answer == QLatin1String("Yes"));
}

std::optional<QString> TerminalPrompter::readAnswer(const QString& text, const QString& choices) {
    if (!isatty(STDIN_FILENO)) {
        m_err << text << Qt::endl << "Refused: no terminal to confirm on; add --yes to confirm." << Qt::endl;
        return std::nullopt;
    }
    m_err << text << ' ' << choices << ' ' << Qt::flush;
    std::string answer;
    int c = 0;
    while ((c = std::getchar()) != EOF && c != '\n')
        answer.push_back(static_cast<char>(c));
    return QString::fromStdString(answer);
}

} // namespace telvar::cli
