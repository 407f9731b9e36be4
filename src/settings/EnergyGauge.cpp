#include "settings/EnergyGauge.h"

#include <QFontMetricsF>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

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
constexpr int kFontHeight = 165;
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
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    policy.setHeightForWidth(true); // the dial keeps its shape
    setSizePolicy(policy);
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

void EnergyGauge::drawFitted(QPainter& painter, const QRect& rect, const QString& text) {
    // The scale's numbers must stand over their marks whatever font the system gives, so the text is
    // stretched or squeezed to the width its place has.
    const qreal advance = QFontMetricsF(painter.font()).horizontalAdvance(text);
    painter.save();
    painter.translate(rect.topLeft());
    painter.scale(rect.width() / advance, 1.0);
    painter.drawText(QRectF(0, 0, advance, rect.height()), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip,
                     text);
    painter.restore();
}

bool EnergyGauge::hasHeightForWidth() const {
    return true;
}

int EnergyGauge::heightForWidth(int width) const {
    return width * kHeight / kWidth;
}

QSize EnergyGauge::sizeHint() const {
    return {kWidth / kUnitsPerPixel, kHeight / kUnitsPerPixel};
}

QSize EnergyGauge::minimumSizeHint() const {
    return sizeHint() * 3 / 4;
}

QTransform EnergyGauge::toWidget() const {
    return QTransform::fromScale(double(width()) / kWidth, double(height()) / kHeight);
}

void EnergyGauge::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setTransform(toWidget());
    painter.fillRect(QRect(0, 0, kWidth, kHeight), m_sampling ? kSampling : kIdle);
    if (m_sampling) {
        // Sampling shows as a heavy bar along the top too, not only as a change of colour.
        painter.save();
        painter.resetTransform();
        painter.fillRect(QRect(0, 0, width(), kSamplingBar), Qt::black);
        painter.restore();
    }

    QFont font = painter.font();
    font.setPixelSize(kFontHeight);
    painter.setFont(font);
    painter.setPen(Qt::black);
    drawFitted(painter, kScaleRect, kScaleText);
    drawFitted(painter, kBandRect, kBandText);

    QPen needle(kNeedle, kNeedleWidth);
    needle.setCosmetic(true);
    painter.setPen(needle);
    painter.drawLine(QPoint(m_sample, kTipY), kPivot);
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
