#pragma once
// Colours are numbers in the layout 0x00BBGGRR (red in the low byte), as the lamps, the gauges
// and the dialogs' text boxes define them; the widgets turn them into QColor here.
#include <QColor>

QColor ColourFromValue(quint32 value);

namespace colourvalue {
constexpr quint32 kYellow = 65535;
constexpr quint32 kWhite = 16777215;
}  // namespace colourvalue
