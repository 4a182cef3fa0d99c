#pragma once
// Colours are kept as numbers in the layout 0x00BBGGRR (red in the low byte), the form the
// settings-era values were written in; the widgets turn them into QColor here.
#include <QColor>

QColor ColourFromValue(quint32 value);

namespace colourvalue {
constexpr quint32 kRed = 255;
constexpr quint32 kGreen = 65280;
constexpr quint32 kYellow = 65535;
constexpr quint32 kWhite = 16777215;
}  // namespace colourvalue
