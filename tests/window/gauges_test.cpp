// The gauges' values at their band edges (tests/data/window_gauge_bands.tsv), and what the gauge
// and lamp widgets draw.
#include <gtest/gtest.h>

#include <QLabel>

#include "app/window/GaugeWidgets.h"
#include "app/window/Gauges.h"
#include "app/window/LampPanel.h"
#include "files/AlarmLamps.h"
#include "testsupport.h"

namespace {

QString Hex(quint32 value) {
    return QString::number(value, 16);
}

// The widget a gauge draws on (beside its label).
QWidget* Drawing(const QWidget* gauge) {
    for (QWidget* child : gauge->findChildren<QWidget*>()) {
        if (!qobject_cast<QLabel*>(child))
            return child;
    }
    return nullptr;
}

}  // namespace

// A row: the level; the signal's bars and colour; the battery's body and cap colours ("kept"
// outside the scale), the empty width and the mark's offset in twips.
TEST(Gauges, LooksOfTheBandEdges) {
    for (const testsupport::TsvRow& row : testsupport::DataTsv("window_gauge_bands.tsv")) {
        const int level = row["level"].toInt();
        const AntennaLook antenna = ShowAntennaLevel(level);
        const BatteryLook battery = ShowBatteryLevel(level);
        const QStringList shown = {
            QString::number(antenna.bars), Hex(antenna.colour),
            battery.coloursChanged ? Hex(battery.bodyColour) + u' ' + Hex(battery.capColour)
                                   : QStringLiteral("kept"),
            QString::number(battery.emptyWidthTwips), QString::number(battery.markOffsetTwips)};
        EXPECT_EQ(shown.join(u' '), row["antenna"] + u' ' + row["battery"]) << level;
        EXPECT_EQ(battery.label, QString::number(level));
    }
}

// Outside the scale the battery keeps the colours last shown but takes the new label and width.
TEST(Gauges, TheBatteryKeepsItsColoursOutsideTheScale) {
    BatteryGauge gauge;
    gauge.ShowLevel(30);
    gauge.ShowLevel(150);
    EXPECT_EQ(gauge.look().bodyColour, 0xC00000u);
    EXPECT_EQ(gauge.look().emptyWidthTwips, 0);
    EXPECT_EQ(gauge.lblBat()->text(), QStringLiteral("150"));
    gauge.ShowLevel(10);
    EXPECT_EQ(gauge.look().capColour, 255u);
    EXPECT_EQ(gauge.lblBat()->text(), QStringLiteral("10"));
}

// Rendered pixels: a row names the drawing, a pixel and its colour value (-1: the background).
TEST(Gauges, DrawnPixels) {
    BatteryGauge battery;
    battery.ShowLevel(100);
    AntennaGauge antenna;
    antenna.ShowLevel(31);
    AlarmLamps alarms;
    alarms.SetAlarm(AlarmDatabase, AlarmRaised);
    LampPanel lamps;
    lamps.ShowLamps(alarms);
    QWidget* lamp = lamps.findChild<QWidget*>(QStringLiteral("AlAdo_0"));
    const struct {
        const char* what;
        QWidget* drawing;
        QSize size;
        QPoint at;
        qint64 colour;
    } cases[] = {
        {"battery", Drawing(&battery), {78, 22}, {0, 6}, 0x400000},
        {"signal", Drawing(&antenna), {65, 24}, {16, 21}, 0x400000},
        {"lamp", lamp, {18, 18}, {9, 9}, AlarmLamps::kRed},
    };
    for (const auto& c : cases) {
        ASSERT_NE(c.drawing, nullptr) << c.what;
        EXPECT_EQ(c.drawing->size(), c.size) << c.what;
        const QImage image = c.drawing->grab().toImage();
        const QColor background = c.drawing->palette().color(QPalette::Window);
        const QColor expected =
            c.colour < 0
                ? background
                : QColor(int(c.colour & 0xFF), int(c.colour >> 8 & 0xFF), int(c.colour >> 16));
        EXPECT_EQ(image.pixelColor(c.at), expected) << c.what << " " << c.at.x() << "," << c.at.y();
    }
    EXPECT_EQ(lamps.LampColour(0), AlarmLamps::kRed);
    EXPECT_EQ(lamps.LampColour(6), 0u);
}
