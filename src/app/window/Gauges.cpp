#include "app/window/Gauges.h"

#include <algorithm>

#include "files/AlarmLamps.h"

namespace {

// Colour by band of a level, shared by both gauges: the weaker, the lighter.
constexpr quint32 kWeakest = 0xFF0000;
constexpr quint32 kWeak = 0xC00000;
constexpr quint32 kGood = 0x800000;
constexpr quint32 kStrong = 0x400000;

}  // namespace

BatteryLook ShowBatteryLevel(int level) {
    BatteryLook look;
    look.label = QString::number(level);
    if (level >= 0 && level <= 100) {
        look.coloursChanged = true;
        look.bodyColour = level <= 25   ? kWeakest
                          : level <= 50 ? kWeak
                          : level <= 75 ? kGood
                                        : kStrong;
        look.capColour = level <= 25 ? AlarmLamps::kRed : look.bodyColour;
    }
    // A width cannot be negative: levels outside 0..100 draw as full or empty.
    const int shown = std::clamp(level, 0, 100);
    look.emptyWidthTwips = (100 - shown) * gauge::kBatteryFullWidthTwips / 100;
    look.markOffsetTwips = look.emptyWidthTwips - gauge::kMarkLeadTwips;
    return look;
}

AntennaLook ShowAntennaLevel(int level) {
    struct Band {
        int below;
        int bars;
        quint32 colour;
    };
    static constexpr Band bands[] = {{4, 1, kWeakest}, {9, 2, kWeak},  {13, 3, kWeak},
                                     {18, 4, kGood},   {23, 5, kGood}, {28, 6, kStrong}};
    for (const Band& band : bands) {
        if (level < band.below)
            return {band.bars, band.colour};
    }
    return {gauge::kAntennaBars, kStrong};
}
