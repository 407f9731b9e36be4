// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace telvar {

// `twizzer`: the busy character long operations show in the title bar. The first step leaves the text
// empty; later steps cycle "|", "/", "-", "\".
class Spinner {
public:
    void twizzer() {
        switch (m_counter) {
        case 1: m_text = QStringLiteral("|"); break;
        case 2: m_text = QStringLiteral("/"); break;
        case 3: m_text = QStringLiteral("-"); break;
        case 4: m_text = QStringLiteral("\\"); break;
        default: break;
        }
        if (++m_counter > 4)
            m_counter = 1;
    }
    const QString& text() const { return m_text; }

private:
    QString m_text;
    int m_counter = 0;
};

} // namespace telvar
