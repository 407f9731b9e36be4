// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QPolygonF>
#include <QRectF>

#include <vector>

class QPainter;

namespace telvar {

class SensorTrace;

// The colours a trace is drawn in: a window takes them from its palette, paper from a fixed set.
struct TraceColors {
    QColor text;
    QColor frame;
    QColor word;
};

// Paints a sensor trace: the three readings and their sum over the response window, and a mark with the
// word at each moment a word was accepted. The live chart, the history window and the printed report all
// draw through it, so screen and paper show the same picture.
class SensorTracePainter {
public:
    explicit SensorTracePainter(const SensorTrace& trace) : m_trace(trace) {}

    // Draws into `area` with the painter's font; nothing when the area is too small for a plot.
    void paint(QPainter& painter, const QRectF& area, const TraceColors& colors) const;

    // The line of one series (0 to 2 the readings, 3 their sum) scaled into `plot`: a polyline for each
    // stretch of readings taken without a gap, so that no line joins readings across a time with none (an
    // unplugged device, a skipped poll). A lone reading between gaps is a polyline of one point.
    std::vector<QPolygonF> lines(int series, const QRectF& plot) const;
    static constexpr int kSeriesCount = 4;

private:
    const SensorTrace& m_trace;
};

} // namespace telvar
