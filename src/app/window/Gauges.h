#pragma once
// What the battery and signal gauges show for a level, as values: colours (layout 0x00BBGGRR),
// bar counts, widths in twips (1/1440 inch; 15 twips make a pixel at 96 dpi). The widgets in
// GaugeWidgets.h only draw these.
#include <QString>
#include <QtGlobal>

struct BatteryLook {
    bool coloursChanged = false;  // a level outside 0..100 keeps the colours shown
    quint32 bodyColour = 0;       // elements 1 and 2
    quint32 capColour = 0;        // element 3: the band's colour, red in the lowest band
    QString label;                // lblBat: the level as decimal text
    int emptyWidthTwips = 0;      // element 5, the empty part: (100 - level) * 10
    int markOffsetTwips = 0;      // element 4: left edge of element 2 + empty width - 123
};

struct AntennaLook {
    int bars = 1;  // bars 0..bars-1 of the seven are visible
    quint32 colour = 0;
};

namespace gauge {
constexpr int kBatteryFullWidthTwips = 1000;
constexpr int kMarkLeadTwips = 123;
constexpr int kAntennaBars = 7;
constexpr int kTwipsPerPixel = 15;
}  // namespace gauge

BatteryLook ShowBatteryLevel(int level);
AntennaLook ShowAntennaLevel(int level);
