// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTimer>
#include <QWidget>

namespace telvar {

class SensorTrace;

// Draws a sensor trace: the three readings and their sum over the response window, and a mark with the
// word at each moment a word was accepted. However fast readings come, it repaints at most ten times a
// second.
class SensorTraceChart : public QWidget {
    Q_OBJECT
public:
    explicit SensorTraceChart(const SensorTrace& trace, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const SensorTrace& m_trace;
    QTimer m_repaint;
};

} // namespace telvar
