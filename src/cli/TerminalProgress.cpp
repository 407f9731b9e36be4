// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/TerminalProgress.h"

#include <unistd.h>

namespace telvar::cli {

TerminalProgress::TerminalProgress(QTextStream& err, QString label)
    : m_err(err), m_label(std::move(label)), m_enabled(isatty(STDERR_FILENO)) {}

TerminalProgress::~TerminalProgress() {
    if (m_drawn)
        m_err << Qt::endl;
}

void TerminalProgress::update(int done, int total) {
    if (!m_enabled || total <= 0)
        return;
    const int percent = static_cast<int>(100LL * done / total);
    if (percent == m_lastPercent)
        return;
    m_lastPercent = percent;
    constexpr int kWidth = 30;
    const int filled = kWidth * percent / 100;
    m_err << '\r' << m_label << " [" << QString(filled, QLatin1Char('#'))
          << QString(kWidth - filled, QLatin1Char(' ')) << "] " << done << '/' << total << Qt::flush;
    m_drawn = true;
}

void TerminalProgress::hide() {
    if (!m_drawn)
        return;
    m_err << "\r\x1b[K" << Qt::flush;
    m_drawn = false;
    m_lastPercent = -1;
}

} // namespace telvar::cli
