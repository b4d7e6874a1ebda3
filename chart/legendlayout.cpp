// SPDX-License-Identifier: GPL-3.0-or-later
#include "legendlayout.h"

#include <algorithm>
#include <cmath>

namespace
{

// A legend that cannot hold its entries shrinks its font down to this size
// (in points), in steps of half a point, before it leaves entries out.
constexpr double kSmallestPoints = 6.5;
constexpr double kPointsStep = 0.5;
// Longer legend labels are shortened to about this many characters.
constexpr int kLongestLabel = 28;
// Share of the room that a legend at the side, or at the top or bottom, may
// take (Qt's own legend takes at most 0.4 of the width).
constexpr double kSideShare = 0.4;
constexpr double kAcrossShare = 0.3;
// Qt's legend gives each entry its text, a marker and this much spacing
// along a row, and a line and this much spacing down a column.
constexpr double kQtEntrySpacing = 18.0;
constexpr double kQtLineSpacing = 10.0;
// The drawn legend: spacing between rows and below the heading.
constexpr double kRowSpacing = 3.0;
constexpr double kHeadingSpacing = 4.0;

// Whether Qt's legend, one entry after another, has room for them all.
bool qtLegendFits(const LegendContent& content)
{
    const LegendFontMeasures& font = content.font;
    const double extra = font.lineHeight / 2 + kQtEntrySpacing;
    double widest = content.heading ? content.font.headingWidth + kQtEntrySpacing : 0.0;
    double total = widest;
    for (double width : content.labelWidths) {
        const double w = width + extra;
        widest = std::max(widest, w);
        total += w;
    }
    const auto lines = static_cast<double>(content.labelWidths.size() + (content.heading ? 1 : 0));
    if (content.across)
        return !(total > content.width);
    return !(lines * (font.lineHeight + kQtLineSpacing) > content.height ||
             widest > kSideShare * content.width);
}

// The rows and columns for n entries at one font size: false when they do
// not fit in maxColumns x maxRows.
bool arrange(int n, bool across, int maxColumns, int maxRows, LegendLayout& layout)
{
    if (across) {
        layout.columns = std::min(n, maxColumns);
        layout.rows = (n + layout.columns - 1) / layout.columns;
    } else {
        layout.rows = std::min(n, maxRows);
        layout.columns = (n + layout.rows - 1) / layout.rows;
        layout.rows = (n + layout.columns - 1) / layout.columns;
    }
    return layout.columns <= maxColumns && layout.rows <= maxRows;
}

} // namespace

LegendLayout layoutLegend(const LegendContent& content,
                          const std::function<LegendFontMeasures(double points)>& measure)
{
    const int n = static_cast<int>(content.labelWidths.size());
    LegendLayout layout;
    layout.rows = layout.shown = n;
    if (n == 0 || qtLegendFits(content))
        return layout;

    layout.drawn = true;
    const double maxWidth = content.across ? content.width : kSideShare * content.width;
    const double maxHeight = content.across ? kAcrossShare * content.height : content.height;
    LegendFontMeasures font;
    for (double points = content.points;; points -= kPointsStep) {
        const bool last = points <= kSmallestPoints;
        layout.points = std::max(points, kSmallestPoints);
        font = measure(layout.points);
        layout.rowHeight = std::ceil(font.lineHeight + kRowSpacing);
        layout.markerSize = std::round(font.lineHeight * kLegendMarkerShare);
        layout.headingHeight =
            content.heading ? std::ceil(font.headingHeight + kHeadingSpacing) : 0.0;
        const double text = std::min(font.widestLabel, font.averageCharWidth * kLongestLabel);
        layout.columnWidth = std::min(
            std::ceil(layout.markerSize + kLegendMarkerGap + text + kLegendColumnGap), maxWidth);
        const int maxColumns = layout.columnWidth > 0
                                   ? std::max(1, static_cast<int>(maxWidth / layout.columnWidth))
                                   : 1;
        const int maxRows =
            std::max(1, static_cast<int>((maxHeight - layout.headingHeight) / layout.rowHeight));
        if (arrange(n, content.across, maxColumns, maxRows, layout))
            break;
        if (last) {
            layout.columns = maxColumns;
            layout.rows = maxRows;
            layout.shown = std::max(0, layout.columns * layout.rows - 1);
            break;
        }
    }
    layout.width = layout.columns * layout.columnWidth;
    if (content.heading)
        layout.width = std::max(layout.width, std::min(font.headingWidth, maxWidth));
    return layout;
}
