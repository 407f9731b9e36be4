// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/SensorTraceChart.h"

#include "journal/SensorTrace.h"
#include "journal/SensorTracePainter.h"

#include <QPainter>

namespace telvar {

using namespace std::chrono_literals;

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
    const TraceColors colors{palette().color(QPalette::Text), palette().color(QPalette::Mid),
                             palette().color(QPalette::Highlight)};
    SensorTracePainter(m_trace).paint(painter, rect(), colors);
}

} // namespace telvar
