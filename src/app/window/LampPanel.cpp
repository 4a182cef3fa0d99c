#include "app/window/LampPanel.h"

#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>

#include "dialogs/ColourValues.h"
#include "files/AlarmLamps.h"

class LampPanel::Lamp : public QWidget {
public:
    explicit Lamp(QWidget* parent) : QWidget(parent) { setFixedSize(18, 18); }
    void setColour(quint32 value) {
        if (value == colour_)
            return;
        colour_ = value;
        update();
    }
    quint32 colour() const { return colour_; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(Qt::darkGray, 1));
        p.setBrush(ColourFromValue(colour_));
        p.drawEllipse(rect().adjusted(1, 1, -1, -1));
    }

private:
    quint32 colour_ = AlarmLamps::kIdle;
};

// A double-click on a lamp reaches the frame too: the lamp does not take it.
class LampPanel::Frame : public QGroupBox {
public:
    Frame(const QString& caption, int index, LampPanel* panel)
        : QGroupBox(caption, panel), index_(index), panel_(panel) {}

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton)
            Q_EMIT panel_->Frame1_DblClick(index_);
    }

private:
    int index_;
    LampPanel* panel_;
};

LampPanel::LampPanel(QWidget* parent) : QGroupBox(QStringLiteral("Аварии"), parent) {
    auto* layout = new QHBoxLayout(this);
    const QString captions[] = {QStringLiteral("ADO"), QStringLiteral("Телефон"),
                                QStringLiteral("Файлы")};
    for (int group = 0; group < AlarmLamps::kGroups; ++group) {
        auto* frame = new Frame(captions[group], group, this);
        frame->setObjectName(QStringLiteral("Frame1_%1").arg(group));
        auto* lampsLayout = new QHBoxLayout(frame);
        for (int side = 0; side < 2; ++side) {
            auto* lamp = new Lamp(frame);
            lamp->setObjectName(QStringLiteral("AlAdo_%1").arg(2 * group + side));
            lampsLayout->addWidget(lamp);
            lamps_[2 * group + side] = lamp;
        }
        frames_[group] = frame;
        layout->addWidget(frame);
    }
}

void LampPanel::ShowLamps(const AlarmLamps& lamps) {
    for (int i = 0; i < AlarmLamps::kLamps; ++i)
        lamps_[i]->setColour(lamps.colour(i));
}

quint32 LampPanel::LampColour(int index) const {
    return index >= 0 && index < AlarmLamps::kLamps ? lamps_[index]->colour() : 0;
}
