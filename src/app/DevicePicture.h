// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QWidget>

class QPainter;

namespace telvar {

// The picture beside the connect prompt: a small speaking box on its USB cable, drawn to fit any size.
class DevicePicture : public QWidget {
    Q_OBJECT
public:
    explicit DevicePicture(QWidget* parent = nullptr);

    // The same drawing as the window's icon.
    static QIcon icon();

    QSize sizeHint() const override { return {360, 240}; }
    QSize minimumSizeHint() const override { return {180, 120}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    static void draw(QPainter& painter, const QSize& size);
};

} // namespace telvar
