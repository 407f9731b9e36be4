#pragma once

#include <QGroupBox>

class QLineEdit;
class QSlider;

namespace telvar {

// "Energy Mode Rate": the rate slider, the frequency it gives, and "Save Setting".
class EnergyRateGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit EnergyRateGroup(QWidget* parent = nullptr);

    QSlider* slider() const { return m_slider; }
    QLineEdit* display() const { return m_display; }
    int rate() const;
    // Moves the slider and shows its frequency, even when the slider was there already.
    void setRate(int rate);

Q_SIGNALS:
    void saveRequested();

private:
    QSlider* m_slider;
    QLineEdit* m_display;
};

} // namespace telvar
