// SPDX-License-Identifier: GPL-3.0-or-later
#include "palette.h"

#include "axischart.h"
#include "chartbuild.h"

namespace vp
{

void fillPalettes(ChartState& state)
{
    static constexpr Colour bright[10] = {rgb(255, 0, 0),    rgb(255, 255, 0),   rgb(0, 0, 255),
                                          rgb(0, 255, 255),  rgb(0, 192, 0),     rgb(255, 0, 255),
                                          rgb(255, 125, 64), rgb(255, 128, 128), rgb(128, 0, 255),
                                          rgb(192, 192, 192)};
    static constexpr Colour pastel[8] = {rgb(245, 221, 183), rgb(254, 245, 168), rgb(197, 241, 154),
                                         rgb(255, 216, 160), rgb(185, 208, 232), rgb(214, 191, 212),
                                         rgb(247, 148, 148), rgb(211, 215, 207)};

    for (int i = 1; i <= 10; ++i)
        state.brightColors[i] = bright[i - 1];
    // Eight grey levels 32, 64, ... 256, the last taken as 255, thirteen times.
    for (int g = 1; g <= 8; ++g)
        for (int m = 0; m <= 12; ++m)
            state.grayColors[g + 8 * m] = rgb(32 * g, 32 * g, 32 * g);
    for (int g = 1; g <= 8; ++g) {
        state.pastelColors[g] = pastel[g - 1];
        for (int m = 1; m <= 6; ++m)
            state.pastelColors[g + 8 * m] = pastel[g - 1];
    }
    // From entry 11 on the bright list repeats entries 0..8 (entry 0 is black).
    for (int i = 11; i <= 256; ++i)
        state.brightColors[i] = state.brightColors[i % 9];
}

} // namespace vp

void buildColorTables(vp::ChartState& state, AxisChart& bar)
{
    vp::fillPalettes(state);
    state.chartBackColor = vp::rgb(255, 255, 255);
    state.barOutlineColor = vp::rgb(0, 0, 0);
    state.chartBorderColor = vp::rgb(0, 0, 0);
    bar.setBackColor(state.chartBackColor);
    bar.setBarOutlineColor(state.barOutlineColor);
    bar.setBorderColor(state.chartBorderColor);
    state.chartForeColor = bar.ForeColor();
}
