// The gauges' values at their band edges (tests/data/window_gauge_bands.tsv), and what the gauge
// and lamp widgets draw.
#include <gtest/gtest.h>

#include <QLabel>

#include "app/window/GaugeWidgets.h"
#include "app/window/Gauges.h"
#include "app/window/LampPanel.h"
#include "dialogs/ColourValues.h"
#include "files/AlarmLamps.h"
#include "testsupport.h"

namespace {

QString Hex(quint32 value) {
    return QString::number(value, 16);
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

// Rendered pixels: a row names the drawing, a pixel and its colour value (-1: the background).
// The battery shows a level outside the scale after 30: it keeps the colours of 30 and shows no
// empty part.
TEST(Gauges, DrawnPixels) {
    BatteryGauge battery;
    battery.ShowLevel(30);
    battery.ShowLevel(150);
    EXPECT_EQ(battery.lblBat()->text(), QStringLiteral("150"));
    AntennaGauge antenna;
    antenna.ShowLevel(31);
    AlarmLamps alarms;
    alarms.SetAlarm(AlarmDatabase, AlarmRaised);
    LampPanel lamps;
    lamps.ShowLamps(alarms);
    // A gauge draws on its first widget, its label follows.
    const auto drawing = [](const QWidget* gauge) {
        return gauge->findChild<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    };
    const struct {
        const char* what;
        QWidget* drawing;
        QSize size;
        QPoint at;
        qint64 colour;
    } cases[] = {
        {"battery cap", drawing(&battery), {78, 22}, {0, 6}, 0xC00000},
        {"battery body, no empty part", drawing(&battery), {78, 22}, {10, 10}, 0xC00000},
        {"battery outline two pixels wide", drawing(&battery), {78, 22}, {76, 10}, -1},
        {"mast top", drawing(&antenna), {65, 24}, {5, 3}, 0x404040},
        {"mast upright", drawing(&antenna), {65, 24}, {5, 11}, 0x404040},
        {"first bar's top", drawing(&antenna), {65, 24}, {16, 21}, 0x400000},
        {"lamp", lamps.findChild<QWidget*>(QStringLiteral("AlAdo_0")), {18, 18}, {9, 9}, 255},
    };
    for (const auto& c : cases) {
        ASSERT_NE(c.drawing, nullptr) << c.what;
        EXPECT_EQ(c.drawing->size(), c.size) << c.what;
        const QColor expected = c.colour < 0 ? c.drawing->palette().color(QPalette::Window)
                                             : ColourFromValue(quint32(c.colour));
        EXPECT_EQ(c.drawing->grab().toImage().pixelColor(c.at), expected) << c.what;
    }
    EXPECT_EQ(lamps.LampColour(0), AlarmLamps::kRed);
    EXPECT_EQ(lamps.LampColour(6), 0u);
}
