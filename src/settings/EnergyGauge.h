// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QPainter;

namespace telvar {

// The auto-tune "Energy Gauge": a dial whose needle points at the last sensor sample. Its places are given
// in the gauge's own units (kWidth x kHeight, y downwards) and mapped to whatever size the layout gives it;
// its text keeps the widget's font size.
class EnergyGauge : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 3735;
    static constexpr int kHeight = 1092;

    explicit EnergyGauge(QWidget* parent = nullptr);

    // The needle's tip goes to x = sample (the dial reads 0 to 100 over 120..3735, so large samples leave
    // the dial, as on the device's own gauge).
    void setSample(int sample);
    // Cyan while samples come in, grey otherwise.
    void setSampling(bool sampling);

    int sample() const { return m_sample; }
    bool sampling() const { return m_sampling; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    void describe();
    void drawSpread(QPainter& painter, const QRectF& place, const QString& text) const;
    QTransform toWidget() const;

    int m_sample = 0;
    bool m_sampling = false;
};

} // namespace telvar
