#pragma once
// The battery gauge (frame "Батарея" with lblBat) and the signal gauge (frame "Уровень", seven
// bars), drawing what Gauges.h computes.
#include <QGroupBox>

#include "app/window/Gauges.h"

class QLabel;

class BatteryGauge : public QGroupBox {
    Q_OBJECT
public:
    explicit BatteryGauge(QWidget* parent = nullptr);
    void ShowLevel(int level);
    // Colours as last changed, and the geometry of the last level.
    const BatteryLook& look() const { return look_; }
    QLabel* lblBat() const { return lblBat_; }

private:
    class Drawing;
    Drawing* drawing_;
    QLabel* lblBat_;
    BatteryLook look_;
};

class AntennaGauge : public QGroupBox {
    Q_OBJECT
public:
    explicit AntennaGauge(QWidget* parent = nullptr);
    void ShowLevel(int level);
    const AntennaLook& look() const { return look_; }

private:
    class Drawing;
    Drawing* drawing_;
    AntennaLook look_;
};
