#include "journal/SensorTraceChart.h"

#include "journal/SensorTrace.h"

#include <QPainter>
#include <QPainterPath>

#include <array>
#include <functional>

namespace telvar {

namespace {

using namespace std::chrono_literals;

struct Series {
    const char* name;
    QColor color;
    double width;
    std::function<int(const SessionPoll&)> value;
};

const std::array<Series, 4> kSeries{{
    {"reading 1", QColor(0x1f, 0x77, 0xb4), 1.5, [](const SessionPoll& p) { return p.readings[0]; }},
    {"reading 2", QColor(0x2c, 0xa0, 0x2c), 1.5, [](const SessionPoll& p) { return p.readings[1]; }},
    {"reading 3", QColor(0xff, 0x7f, 0x0e), 1.5, [](const SessionPoll& p) { return p.readings[2]; }},
    {"sum", QColor(0x40, 0x40, 0x40), 2.5, readingSum},
}};

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

SensorTraceChart::SensorTraceChart(const SensorTrace& trace, QWidget* parent)
    : QWidget(parent), m_trace(trace) {
    setObjectName(QStringLiteral("sensorTraceChart"));
    setToolTip(tr("The sensor's three readings and their sum; a mark for each word"));
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    m_repaint.setSingleShot(true);
    m_repaint.setInterval(100ms);
    connect(&m_repaint, &QTimer::timeout, this, qOverload<>(&QWidget::update));
    connect(&trace, &SensorTrace::changed, this, [this] {
        if (!m_repaint.isActive())
            m_repaint.start();
    });
}

QSize SensorTraceChart::sizeHint() const {
    return {640, 180};
}

QSize SensorTraceChart::minimumSizeHint() const {
    return {240, 120};
}

void SensorTraceChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QFontMetrics metrics = fontMetrics();
    const int line = metrics.height();
    // The last second's label is centred on the right edge: the plot leaves room for its half.
    const int rightRoom = metrics.horizontalAdvance(QStringLiteral("00 s")) / 2 + 4;
    const QRect plot =
        rect().adjusted(metrics.horizontalAdvance(QStringLiteral("000000")), line + 6, -rightRoom, -line - 6);
    if (plot.width() < 10 || plot.height() < 10)
        return;

    const int top = niceCeiling(std::max(m_trace.highestSum(), 10));
    const qint64 windowMs = std::max<qint64>(m_trace.windowMs(), 1000);
    const auto x = [&](qint64 ms) {
        return plot.left() + double(plot.width()) * double(ms) / double(windowMs);
    };
    const auto y = [&](int value) { return plot.bottom() - double(plot.height()) * value / top; };

    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(plot);
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(QRect(0, plot.top() - line / 2, plot.left() - 4, line), Qt::AlignRight,
                     QString::number(top));
    painter.drawText(QRect(0, plot.bottom() - line / 2, plot.left() - 4, line), Qt::AlignRight,
                     QStringLiteral("0"));
    for (qint64 second = 0; second * 1000 <= windowMs; ++second) {
        const double at = x(second * 1000);
        painter.drawLine(QPointF(at, plot.bottom()), QPointF(at, plot.bottom() + 3));
        if (second % (windowMs > 12000 ? 4 : 2) == 0)
            painter.drawText(QRectF(at - rightRoom, plot.bottom() + 4, 2 * rightRoom, line), Qt::AlignHCenter,
                             QStringLiteral("%1 s").arg(second));
    }

    int legendX = plot.left();
    for (const Series& series : kSeries) {
        painter.setPen(QPen(series.color, 2));
        painter.drawLine(legendX, line / 2 + 2, legendX + 14, line / 2 + 2);
        painter.setPen(palette().color(QPalette::Text));
        const QString name = tr(series.name);
        painter.drawText(legendX + 18, line, name);
        legendX += 30 + metrics.horizontalAdvance(name);
    }

    painter.setClipRect(plot.adjusted(0, -line, 0, 0));
    QPen wordPen(palette().color(QPalette::Highlight), 1, Qt::DashLine);
    // Words read a poll or two apart would print over each other: such a label goes a line lower.
    double lastLabelEnd = -1;
    int labelRow = 0;
    for (const SessionWord& word : m_trace.words()) {
        painter.setPen(wordPen);
        const double at = x(word.ms);
        painter.drawLine(QPointF(at, plot.top()), QPointF(at, plot.bottom()));
        painter.setPen(palette().color(QPalette::Text));
        const QString label = word.word.trimmed();
        const int width = painter.fontMetrics().horizontalAdvance(label);
        // A word near the right edge is written to the left of its line, so that it stays inside.
        const double start =
            at + 3 + width <= plot.right() ? at + 3 : std::max<double>(plot.left(), at - 3 - width);
        labelRow = start < lastLabelEnd ? (labelRow + 1) % 3 : 0;
        painter.drawText(QPointF(start, plot.top() + line * (1 + labelRow)), label);
        lastLabelEnd = start + width;
    }

    const auto& polls = m_trace.polls();
    for (const Series& series : kSeries) {
        QPainterPath path;
        for (std::size_t i = 0; i < polls.size(); ++i) {
            const QPointF point(x(polls[i].ms), y(series.value(polls[i])));
            i == 0 ? path.moveTo(point) : path.lineTo(point);
        }
        painter.setPen(QPen(series.color, series.width));
        painter.drawPath(path);
    }
}

} // namespace telvar
