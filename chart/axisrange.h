// SPDX-License-Identifier: GPL-3.0-or-later
// The value axis of a bar chart: a round range that holds every bar (when
// stacked, every stack) and zero, in about five round steps. Plain C++.
#pragma once

#include <vector>

struct AxisRange {
    double low = 0.0;
    double high = 0.0;
    double step = 0.0;
    int ticks = 0; // lines across the plot, both ends included
};

// values[s][c]: the value of series s in category c; a series may end
// before the last category. Values that are not finite count as absent.
// stacking: 0 grouped, 1 stacked, 2 stacked to 100 % (always 0..100 in
// steps of 20).
AxisRange valueAxisRange(const std::vector<std::vector<double>>& values, int stacking);
