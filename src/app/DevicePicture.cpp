// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/DevicePicture.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace telvar {

DevicePicture::DevicePicture(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

QIcon DevicePicture::icon() {
    QIcon icon;
    for (int side : {16, 32, 64, 128}) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        draw(painter, pixmap.size());
        icon.addPixmap(pixmap);
    }
    return icon;
}

void DevicePicture::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    draw(painter, size());
}

void DevicePicture::draw(QPainter& painter, const QSize& size) {
    painter.setRenderHint(QPainter::Antialiasing);

    // Drawn on a 360 x 240 canvas, scaled and centred to keep its proportions.
    const qreal scale = std::min(size.width() / 360.0, size.height() / 240.0);
    painter.translate((size.width() - 360 * scale) / 2, (size.height() - 240 * scale) / 2);
    painter.scale(scale, scale);

    // The USB cable, leaving the box at the bottom and curling away to the left.
    QPainterPath cable(QPointF(130, 190));
    cable.cubicTo(QPointF(130, 230), QPointF(60, 200), QPointF(30, 232));
    painter.setPen(QPen(QColor(60, 60, 60), 6, Qt::SolidLine, Qt::RoundCap));
    painter.drawPath(cable);

    // The box.
    QLinearGradient body(QPointF(40, 30), QPointF(40, 190));
    body.setColorAt(0, QColor(70, 110, 160));
    body.setColorAt(1, QColor(35, 60, 100));
    painter.setPen(QPen(QColor(25, 40, 70), 2));
    painter.setBrush(body);
    painter.drawRoundedRect(QRectF(40, 30, 180, 160), 18, 18);

    // The speaker grille.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(20, 30, 50));
    painter.drawEllipse(QPointF(130, 95), 48, 48);
    painter.setBrush(QColor(120, 140, 170));
    for (int row = -3; row <= 3; ++row) {
        for (int column = -3; column <= 3; ++column) {
            if (row * row + column * column <= 10)
                painter.drawEllipse(QPointF(130 + column * 11.0, 95 + row * 11.0), 3, 3);
        }
    }

    // The power light and the name plate.
    painter.setBrush(QColor(90, 220, 110));
    painter.drawEllipse(QPointF(196, 50), 6, 6);
    painter.setPen(QColor(230, 235, 245));
    QFont font = painter.font();
    font.setPixelSize(16);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRectF(40, 150, 180, 30), Qt::AlignCenter, QStringLiteral("Telvar X"));

    // Sound waves.
    painter.setBrush(Qt::NoBrush);
    for (int wave = 0; wave < 3; ++wave) {
        painter.setPen(QPen(QColor(70, 110, 160, 220 - wave * 60), 5, Qt::SolidLine, Qt::RoundCap));
        const qreal radius = 30 + wave * 26;
        painter.drawArc(QRectF(220 - radius, 95 - radius, 2 * radius, 2 * radius), -40 * 16, 80 * 16);
    }
}

} // namespace telvar
