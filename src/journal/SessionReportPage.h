// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "journal/JournalSession.h"

#include <QSizeF>

class QPainter;

namespace telvar {

// One session laid out on a page of a report: its question, answer, start, window, end and device, the
// trace of its readings with the words marked, and the table of its words with their moments. A page is
// A4 in pixels of 96 dpi, whatever the painter paints on.
class SessionReportPage {
public:
    static QSizeF size();
    // Paints the page with its top left corner at the painter's origin.
    static void paint(QPainter& painter, const JournalSession& session);
};

} // namespace telvar
