// SPDX-License-Identifier: GPL-3.0-or-later
// The bright, pastel and grey palettes that slices and series are coloured
// from, filled once at start-up.
#pragma once

#include "chartstate.h"

namespace vp
{

// Fills brightColors, grayColors and pastelColors.
void fillPalettes(ChartState& state);

} // namespace vp
