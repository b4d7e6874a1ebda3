// The bright, pastel and grey palettes that slices and series are coloured
// from, filled once at start-up.
#pragma once

#include "chartstate.h"

namespace vp {

// Fills brightColors, grayColors and pastelColors.
void fillPalettes(ChartState& state);

} // namespace vp

class QWidget;

// A swatch is a small box whose background shows a colour; the colour is
// kept on the widget so that it can be read back.
void setSwatch(QWidget* swatch, vp::Colour colour);
vp::Colour swatchColour(const QWidget* swatch);
