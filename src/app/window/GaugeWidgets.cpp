#include "app/window/GaugeWidgets.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

#include "dialogs/ColourValues.h"

namespace {

int Pixels(int twips) {
    return twips / gauge::kTwipsPerPixel;
}

const QColor kOutline(64, 64, 64);
const QColor kEmpty(Qt::white);

}  // namespace

// Cap (element 3) at the left, body (elements 1 outline and 2 fill), the empty part (element 5)
// growing from the cap's side and its edge mark (element 4).
class BatteryGauge::Drawing : public QWidget {
public:
    explicit Drawing(const BatteryLook& look, QWidget* parent) : QWidget(parent), look_(look) {
        setFixedSize(Pixels(gauge::kBatteryFullWidthTwips) + 12, 22);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const QRect cap(0, 6, 5, 10);
        const QRect body(6, 1, Pixels(gauge::kBatteryFullWidthTwips) + 4, 20);
        const QRect fill = body.adjusted(2, 2, -2, -2);
        p.fillRect(cap, ColourFromValue(look_.capColour));
        p.setPen(QPen(ColourFromValue(look_.bodyColour), 2));
        p.drawRect(body.adjusted(1, 1, -1, -1));
        p.fillRect(fill, ColourFromValue(look_.bodyColour));
        const int empty = Pixels(look_.emptyWidthTwips);
        if (empty > 0)
            p.fillRect(QRect(fill.left(), fill.top(), empty, fill.height()), kEmpty);
        const int mark = fill.left() + Pixels(look_.markOffsetTwips + gauge::kMarkLeadTwips);
        if (empty > 0 && empty < fill.width())
            p.fillRect(QRect(mark, fill.top(), 1, fill.height()), kOutline);
    }

private:
    const BatteryLook& look_;
};

BatteryGauge::BatteryGauge(QWidget* parent) : QGroupBox(QStringLiteral("Батарея"), parent) {
    auto* layout = new QHBoxLayout(this);
    drawing_ = new Drawing(look_, this);
    lblBat_ = new QLabel(this);
    lblBat_->setObjectName(QStringLiteral("lblBat"));
    lblBat_->setMinimumWidth(lblBat_->fontMetrics().horizontalAdvance(QStringLiteral("100 ")));
    layout->addWidget(drawing_);
    layout->addWidget(lblBat_);
    layout->addStretch(1);
}

void BatteryGauge::ShowLevel(int level) {
    const BatteryLook next = ShowBatteryLevel(level);
    if (next.coloursChanged) {
        look_ = next;
    } else {
        look_.label = next.label;
        look_.emptyWidthTwips = next.emptyWidthTwips;
        look_.markOffsetTwips = next.markOffsetTwips;
    }
    lblBat_->setText(look_.label);
    drawing_->update();
}

// A mast (Line4) and seven bars of rising height (Line3 0..6).
class AntennaGauge::Drawing : public QWidget {
public:
    explicit Drawing(const AntennaLook& look, QWidget* parent) : QWidget(parent), look_(look) {
        setFixedSize(16 + gauge::kAntennaBars * 7, 24);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setPen(QPen(kOutline, 2));
        p.drawLine(6, 4, 6, 23);
        p.drawLine(1, 4, 6, 10);
        p.drawLine(11, 4, 6, 10);
        const QColor colour = ColourFromValue(look_.colour);
        for (int bar = 0; bar < look_.bars && bar < gauge::kAntennaBars; ++bar) {
            const int height = 3 * (bar + 1);
            p.fillRect(QRect(16 + bar * 7, 24 - height, 5, height), colour);
        }
    }

private:
    const AntennaLook& look_;
};

AntennaGauge::AntennaGauge(QWidget* parent) : QGroupBox(QStringLiteral("Уровень"), parent) {
    auto* layout = new QHBoxLayout(this);
    drawing_ = new Drawing(look_, this);
    layout->addWidget(drawing_);
    layout->addStretch(1);
}

void AntennaGauge::ShowLevel(int level) {
    look_ = ShowAntennaLevel(level);
    drawing_->update();
}
