// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/EnergyGauge.h"

#include <QFontMetricsF>
#include <QHelpEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QToolTip>

#include <algorithm>

namespace telvar {

namespace {
const QColor kIdle(0x80, 0x80, 0x80);
const QColor kSampling(0x00, 0xFF, 0xFF);
const QColor kNeedle(0x40, 0x40, 0x40);
constexpr int kSamplingBar = 3; // pixels
constexpr int kNeedleWidth = 3; // pixels, whatever the gauge's size
const QPoint kPivot(1800, 1080);
constexpr int kTipY = 240;
constexpr int kTextHeight = 200;
const QRect kScaleRect(120, 240, 3615, kTextHeight);
const QRect kBandRect(480, 480, 2775, kTextHeight);
const QString kScaleText = QStringLiteral("0  10    20   30   40    50   60   70   80   90  100");
const QString kBandText = QStringLiteral("LOW                 MID              HIGH");
// Gauge units are twips: 15 to a pixel at the usual 96 dots an inch.
constexpr int kUnitsPerPixel = 15;
} // namespace

EnergyGauge::EnergyGauge(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("energyGauge"));
    setToolTip(QStringLiteral("Energy Gauge"));
    setAccessibleName(QStringLiteral("Energy Gauge"));
    describe();
    // Its text no longer scales with it, so the dial need not keep its shape: a wide window does not
    // make it tall enough to push the rest of the screen out of sight.
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

void EnergyGauge::setSample(int sample) {
    if (sample == m_sample)
        return;
    m_sample = sample;
    describe();
    update();
}

void EnergyGauge::setSampling(bool sampling) {
    if (sampling == m_sampling)
        return;
    m_sampling = sampling;
    describe();
    update();
}

void EnergyGauge::describe() {
    // What the colour and the needle show, for a screen reader.
    setAccessibleDescription((m_sampling ? QStringLiteral("Sampling, last sample %1")
                                         : QStringLiteral("Not sampling, last sample %1"))
                                 .arg(m_sample));
}

void EnergyGauge::drawSpread(QPainter& painter, const QRectF& place, const QString& text) const {
    // Each word keeps the place it has in the text spread over the place's width, so the numbers stand
    // where they belong on the dial at any size while the letters keep the font's own size, unscaled.
    const QFontMetricsF metrics(painter.font());
    const qreal perCharacter = place.width() / text.size();
    static const QRegularExpression word(QStringLiteral("\\S+"));
    for (auto it = word.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        const qreal advance = metrics.horizontalAdvance(match.captured());
        const qreal centre =
            place.left() + (match.capturedStart() + match.capturedLength() / 2.0) * perCharacter;
        const qreal left = std::clamp(centre - advance / 2, 0.0, std::max(0.0, width() - advance));
        painter.drawText(QPointF(left, place.top() + metrics.ascent()), match.captured());
    }
}

QSize EnergyGauge::sizeHint() const {
    return QSize(kWidth / kUnitsPerPixel, kHeight / kUnitsPerPixel).expandedTo(minimumSizeHint());
}

QSize EnergyGauge::minimumSizeHint() const {
    // Room for the scale's words side by side, and for the band's line below the scale's.
    const QFontMetrics metrics(font());
    const int width = std::max(metrics.horizontalAdvance(kScaleText) * kWidth / kScaleRect.width(),
                               kWidth / kUnitsPerPixel * 3 / 4);
    const int height = std::max(metrics.lineSpacing() * kHeight / (kBandRect.top() - kScaleRect.top()),
                                kHeight / kUnitsPerPixel * 3 / 4);
    return {width, height};
}

QTransform EnergyGauge::toWidget() const {
    return QTransform::fromScale(double(width()) / kWidth, double(height()) / kHeight);
}

void EnergyGauge::paintEvent(QPaintEvent*) {
    // Painted in device pixels, with the gauge's units only placing things: a painter scaled to the
    // widget would blur the text and grow or shrink it with the window.
    QPainter painter(this);
    painter.fillRect(rect(), m_sampling ? kSampling : kIdle);
    if (m_sampling) // sampling shows as a heavy bar along the top too, not only as a change of colour
        painter.fillRect(QRect(0, 0, width(), kSamplingBar), Qt::black);

    const QTransform units = toWidget();
    painter.setFont(font());
    painter.setPen(Qt::black);
    drawSpread(painter, units.mapRect(QRectF(kScaleRect)), kScaleText);
    drawSpread(painter, units.mapRect(QRectF(kBandRect)), kBandText);

    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(kNeedle, kNeedleWidth));
    painter.drawLine(units.map(QPointF(m_sample, kTipY)), units.map(QPointF(kPivot)));
}

bool EnergyGauge::event(QEvent* event) {
    // The band text is a label of its own on the device's gauge, with its own tip.
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QPointF at = toWidget().inverted().map(QPointF(help->pos()));
        QToolTip::showText(help->globalPos(),
                           kBandRect.contains(at.toPoint()) ? QStringLiteral("Sample values") : toolTip(),
                           this);
        return true;
    }
    return QWidget::event(event);
}

} // namespace telvar
