// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/SensorTracePainter.h"

#include "device/Timings.h"
#include "journal/SensorTrace.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <array>

namespace telvar {

namespace {

struct Series {
    const char* name;
    QColor color;
    double width;
    int (*value)(const SessionPoll&);
};

const std::array<Series, SensorTracePainter::kSeriesCount> kSeries{{
    {QT_TRANSLATE_NOOP("SensorTracePainter", "reading 1"), QColor(0x1f, 0x77, 0xb4), 1.5,
     [](const SessionPoll& p) { return p.readings[0]; }},
    {QT_TRANSLATE_NOOP("SensorTracePainter", "reading 2"), QColor(0x2c, 0xa0, 0x2c), 1.5,
     [](const SessionPoll& p) { return p.readings[1]; }},
    {QT_TRANSLATE_NOOP("SensorTracePainter", "reading 3"), QColor(0xff, 0x7f, 0x0e), 1.5,
     [](const SessionPoll& p) { return p.readings[2]; }},
    {QT_TRANSLATE_NOOP("SensorTracePainter", "sum"), QColor(0x40, 0x40, 0x40), 2.5, readingSum},
}};

// Readings are taken a poll period apart; a little late is still the same line, more than two periods
// without one means none were taken. Session times are kept on the program's clock, unshortened.
constexpr qint64 kGapMs = 2 * Timings::kPollPeriod.count();

// A round top for the scale: 1, 2 or 5 times a power of ten.
int niceCeiling(int value) {
    int step = 1;
    while (true) {
        for (const int factor : {1, 2, 5}) {
            if (step * factor >= value)
                return step * factor;
        }
        step *= 10;
    }
}

} // namespace

void SensorTracePainter::paint(QPainter& painter, const QRectF& area, const TraceColors& colors) const {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QFontMetricsF metrics(painter.font(), painter.device());
    const double line = metrics.height();
    // The last second's label is centred on the right edge: the plot leaves room for its half.
    const double rightRoom = metrics.horizontalAdvance(QStringLiteral("00 s")) / 2 + 4;
    const QRectF plot =
        area.adjusted(metrics.horizontalAdvance(QStringLiteral("000000")), line + 6, -rightRoom, -line - 6);
    if (plot.width() < 10 || plot.height() < 10) {
        painter.restore();
        return;
    }

    const int top = niceCeiling(std::max(m_trace.highestSum(), 10));
    const qint64 windowMs = std::max<qint64>(m_trace.windowMs(), 1000);
    const auto x = [&](qint64 ms) { return plot.left() + plot.width() * double(ms) / double(windowMs); };

    painter.setPen(colors.frame);
    painter.drawRect(plot);
    painter.setPen(colors.text);
    const double labelRight = plot.left() - 4 - area.left();
    painter.drawText(QRectF(area.left(), plot.top() - line / 2, labelRight, line), Qt::AlignRight,
                     QString::number(top));
    painter.drawText(QRectF(area.left(), plot.bottom() - line / 2, labelRight, line), Qt::AlignRight,
                     QStringLiteral("0"));
    for (qint64 second = 0; second * 1000 <= windowMs; ++second) {
        const double at = x(second * 1000);
        painter.drawLine(QPointF(at, plot.bottom()), QPointF(at, plot.bottom() + 3));
        if (second % (windowMs > 12000 ? 4 : 2) == 0)
            painter.drawText(QRectF(at - rightRoom, plot.bottom() + 4, 2 * rightRoom, line), Qt::AlignHCenter,
                             QStringLiteral("%1 s").arg(second));
    }

    double legendX = plot.left();
    const double legendY = area.top() + line / 2 + 2;
    for (const Series& series : kSeries) {
        painter.setPen(QPen(series.color, 2));
        painter.drawLine(QPointF(legendX, legendY), QPointF(legendX + 14, legendY));
        painter.setPen(colors.text);
        const QString name = QCoreApplication::translate("SensorTracePainter", series.name);
        painter.drawText(QPointF(legendX + 18, area.top() + line), name);
        legendX += 30 + metrics.horizontalAdvance(name);
    }

    painter.setClipRect(plot.adjusted(0, -line, 0, 0));
    const QPen wordPen(colors.word, 1, Qt::DashLine);
    // Words read a poll or two apart would print over each other: such a label goes a line lower.
    double lastLabelEnd = -1;
    int labelRow = 0;
    for (const SessionWord& word : m_trace.words()) {
        painter.setPen(wordPen);
        const double at = x(word.ms);
        painter.drawLine(QPointF(at, plot.top()), QPointF(at, plot.bottom()));
        painter.setPen(colors.text);
        const QString label = word.word.trimmed();
        const double width = metrics.horizontalAdvance(label);
        // A word near the right edge is written to the left of its line, so that it stays inside.
        const double start = at + 3 + width <= plot.right() ? at + 3 : std::max(plot.left(), at - 3 - width);
        labelRow = start < lastLabelEnd ? (labelRow + 1) % 3 : 0;
        painter.drawText(QPointF(start, plot.top() + line * (1 + labelRow)), label);
        lastLabelEnd = start + width;
    }

    for (int i = 0; i < kSeriesCount; ++i) {
        QPen pen(kSeries[i].color, kSeries[i].width);
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
        // A lone reading is a dot, wider than the line so that it is seen.
        QPen dot = pen;
        dot.setWidthF(pen.widthF() * 2.5);
        for (const QPolygonF& polyline : lines(i, plot)) {
            painter.setPen(polyline.size() == 1 ? dot : pen);
            if (polyline.size() == 1)
                painter.drawPoint(polyline.front());
            else
                painter.drawPolyline(polyline);
        }
    }
    painter.restore();
}

std::vector<QPolygonF> SensorTracePainter::lines(int series, const QRectF& plot) const {
    const int top = niceCeiling(std::max(m_trace.highestSum(), 10));
    const qint64 windowMs = std::max<qint64>(m_trace.windowMs(), 1000);
    std::vector<QPolygonF> polylines;
    qint64 lastMs = 0;
    for (const SessionPoll& poll : m_trace.polls()) {
        if (polylines.empty() || poll.ms - lastMs > kGapMs)
            polylines.emplace_back();
        lastMs = poll.ms;
        polylines.back() << QPointF(plot.left() + plot.width() * double(poll.ms) / double(windowMs),
                                    plot.bottom() - plot.height() * kSeries[series].value(poll) / top);
    }
    return polylines;
}

} // namespace telvar
