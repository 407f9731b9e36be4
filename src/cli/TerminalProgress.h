// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QTextStream>

namespace telvar::cli {

// A one-line progress bar on stderr, drawn only when stderr is a terminal.
class TerminalProgress {
public:
    TerminalProgress(QTextStream& err, QString label);
    ~TerminalProgress();
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;

    void update(int done, int total);
    // Clears the bar off its line so that other output starts on a clean one; the next update draws
    // it again.
    void hide();

private:
    QTextStream& m_err;
    QString m_label;
    bool m_enabled;
    bool m_drawn = false;
    int m_lastPercent = -1;
};

} // namespace telvar::cli
