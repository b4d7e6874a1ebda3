// SPDX-License-Identifier: GPL-3.0-or-later
// Where the legend's entries go. Qt's own legend lays its entries out in one
// column (one row at the top or bottom) and cuts off what does not fit, so
// it is kept only where every entry fits with room to spare. Otherwise the
// legend is drawn by the component: in columns, then with a smaller font,
// and only at the smallest font with entries left out, the last place
// saying how many. Plain C++: the caller measures the texts.
#pragma once

#include <functional>
#include <vector>

// The legend font's measures at one size, in pixels.
struct LegendFontMeasures {
    double lineHeight = 0.0;       // a line of the entries' font
    double averageCharWidth = 0.0; // of the entries' font
    double widestLabel = 0.0;      // the widest entry text
    double headingHeight = 0.0;    // a line of the heading's (bold) font
    double headingWidth = 0.0;     // the heading text in that font
};

// What the legend has to show, and the room it has.
struct LegendContent {
    double points = 0.0;             // the legend font's size
    LegendFontMeasures font;         // its measures at that size
    std::vector<double> labelWidths; // each entry's text at that size
    bool heading = false;            // a legend title above the entries
    bool across = false;             // at the top or bottom, else at a side
    double width = 0.0;              // the chart less its margins
    double height = 0.0;             // the same, less the title
};

struct LegendLayout {
    bool drawn = false;  // false: Qt's own legend holds every entry
    double points = 0.0; // the drawn legend's font size
    int columns = 1;
    int rows = 0;
    int shown = 0; // entries drawn; fewer than all: the next place says how many more
    double rowHeight = 0.0;
    double columnWidth = 0.0;
    double headingHeight = 0.0;
    double markerSize = 0.0;
    double width = 0.0; // the whole block, heading included
    double height() const { return headingHeight + rows * rowHeight; }
};

// The drawn legend's spacing, in pixels.
constexpr double kLegendMarkerShare = 0.6; // the marker's side, of a line
constexpr double kLegendMarkerGap = 5.0;   // from the marker to its text
constexpr double kLegendColumnGap = 12.0;  // after a column's text

// The layout of a visible legend with at least one entry. `measure` gives
// the font's measures at another size.
LegendLayout layoutLegend(const LegendContent& content,
                          const std::function<LegendFontMeasures(double points)>& measure);
