// The gauges' values at their band edges, and the widgets that draw them.
#include <gtest/gtest.h>

#include <QLabel>

#include "app/window/GaugeWidgets.h"
#include "app/window/Gauges.h"

TEST(AntennaGauge, BarsAndColourByBand) {
    const struct {
        int level;
        int bars;
        quint32 colour;
    } cases[] = {{-1, 1, 0xFF0000}, {0, 1, 0xFF0000},  {3, 1, 0xFF0000},  {4, 2, 0xC00000},
                 {8, 2, 0xC00000},  {9, 3, 0xC00000},  {12, 3, 0xC00000}, {13, 4, 0x800000},
                 {17, 4, 0x800000}, {18, 5, 0x800000}, {22, 5, 0x800000}, {23, 6, 0x400000},
                 {27, 6, 0x400000}, {28, 7, 0x400000}, {31, 7, 0x400000}, {99, 7, 0x400000},
                 {100, 7, 0x400000}};
    for (const auto& c : cases) {
        const AntennaLook look = ShowAntennaLevel(c.level);
        EXPECT_EQ(look.bars, c.bars) << c.level;
        EXPECT_EQ(look.colour, c.colour) << c.level;
    }
}

TEST(BatteryGauge, ColoursWidthAndMarkByBand) {
    const struct {
        int level;
        quint32 body;
        quint32 cap;
        int emptyTwips;
    } cases[] = {{0, 0xFF0000, 255, 1000},      {25, 0xFF0000, 255, 750},
                 {26, 0xC00000, 0xC00000, 740}, {50, 0xC00000, 0xC00000, 500},
                 {51, 0x800000, 0x800000, 490}, {75, 0x800000, 0x800000, 250},
                 {76, 0x400000, 0x400000, 240}, {100, 0x400000, 0x400000, 0}};
    for (const auto& c : cases) {
        const BatteryLook look = ShowBatteryLevel(c.level);
        EXPECT_TRUE(look.coloursChanged) << c.level;
        EXPECT_EQ(look.bodyColour, c.body) << c.level;
        EXPECT_EQ(look.capColour, c.cap) << c.level;
        EXPECT_EQ(look.emptyWidthTwips, c.emptyTwips) << c.level;
        EXPECT_EQ(look.markOffsetTwips, c.emptyTwips - 123) << c.level;
        EXPECT_EQ(look.label, QString::number(c.level));
    }
}

TEST(BatteryGauge, LevelOutsideTheScaleKeepsTheColoursAndNeverGivesANegativeWidth) {
    for (int level : {-5, 101, 250}) {
        const BatteryLook look = ShowBatteryLevel(level);
        EXPECT_FALSE(look.coloursChanged) << level;
        EXPECT_EQ(look.label, QString::number(level));
        EXPECT_GE(look.emptyWidthTwips, 0) << level;
        EXPECT_LE(look.emptyWidthTwips, 1000) << level;
    }

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
