// SPDX-License-Identifier: GPL-3.0-or-later
#include "axisrange.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace
{

// About this many steps cover the range.
constexpr double kSteps = 5.0;
// A bar that comes closer than this share of a step to the range's end
// would touch the plot's edge: the range gets one more step.
constexpr double kHeadroom = 0.2;

// The lowest and highest value the bars reach: grouped bars each on their
// own; stacked ones as the sums of their positive and of their negative
// parts.
void valueExtent(const std::vector<std::vector<double>>& values, int stacking, double& low,
                 double& high)
{
    std::size_t categories = 0;
    for (const std::vector<double>& series : values)
        categories = std::max(categories, series.size());
    for (std::size_t c = 0; c < categories; ++c) {
        double positive = 0.0;
        double negative = 0.0;
        for (const std::vector<double>& series : values) {
            if (c >= series.size() || !std::isfinite(series[c]))
                continue;
            const double v = series[c];
            if (stacking == 0) {
                low = std::min(low, v);
                high = std::max(high, v);
            } else if (v > 0) {
                positive += v;
            } else {
                negative += v;
            }
        }
        low = std::min(low, negative);
        high = std::max(high, positive);
    }
}

// 1, 2, 2.5 or 5 times a power of ten: the smallest that is at least
// `rough`.
double roundStep(double rough)
{
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (double factor : {1.0, 2.0, 2.5, 5.0})
        if (factor * power >= rough)
            return factor * power;
    return 10.0 * power;
}

} // namespace

AxisRange valueAxisRange(const std::vector<std::vector<double>>& values, int stacking)
{
    if (stacking == 2)
        return {0.0, 100.0, 20.0, 6};
    double low = 0.0;
    double high = 0.0;
    valueExtent(values, stacking, low, high);
    const double tallest = high, deepest = low;
    if (high <= low)
        high = low + 1.0;
    AxisRange range;
    range.step = roundStep((high - low) / kSteps);
    range.low = std::floor(low / range.step) * range.step;
    range.high = std::ceil(high / range.step) * range.step;
    if (tallest > 0 && range.high - tallest < range.step * kHeadroom)
        range.high += range.step;
    if (deepest < 0 && deepest - range.low < range.step * kHeadroom)
        range.low -= range.step;
    range.ticks = static_cast<int>(std::lround((range.high - range.low) / range.step)) + 1;
    return range;
}
