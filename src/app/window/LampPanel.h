#pragma once
// The alarm panel "Аварии": three framed groups (Frame1: "ADO", "Телефон", "Файлы") of two lamps
// each (AlAdo 0..5). A double-click on a group's frame asks for that group's reset.
#include <QGroupBox>
#include <array>

class AlarmLamps;

class LampPanel : public QGroupBox {
    Q_OBJECT
public:
    explicit LampPanel(QWidget* parent = nullptr);

    void ShowLamps(const AlarmLamps& lamps);
    // Colour value shown by lamp AlAdo(index).
    quint32 LampColour(int index) const;
    QGroupBox* Frame1(int index) const { return frames_[index]; }

Q_SIGNALS:
    void Frame1_DblClick(int index);

private:
    class Lamp;
    class Frame;
    std::array<QGroupBox*, 3> frames_{};
    std::array<Lamp*, 6> lamps_{};
};
