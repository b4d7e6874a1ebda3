// SPDX-License-Identifier: GPL-3.0-or-later
// Building the chart at start-up: the colour tables, the pie of a
// "SIMPLEPIECHART" and the bars of a "SIMPLEBARCHART" or "WSTACKEDBAR".
// The builds fill the chart components from the chart state and the data
// read for them, and return what the options panel then shows; they know no
// window and no panel.
#pragma once

#include "chartstate.h"
#include "result.h"

#include <QSizeF>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class AxisChart;
class ChartComponent;
class PieChart;

// What the options panel shows of a built chart.
struct PanelFill {
    QStringList labels;          // the data line labels (the slice list)
    QStringList categoryEntries; // "1 - A", "2 - B": the category selector
    QString shownEntry;          // the selector's text
    vp::Colour firstColour = 0;  // category 1's colour
    // Bars only; an unset value leaves the panel as it is.
    std::optional<QString> caption;
    std::optional<QString> legendTitle;
    std::optional<bool> noLegend;
    std::optional<bool> stackingOffered; // the stacking choices are shown
    bool grouped = false;                // the "Grouped" choice is picked
};

// A build's outcome: what the panel shows, or why the chart's data could not
// be read (the components are then left as far as the build had come).
struct BuildResult {
    vp::Result result;
    PanelFill fill;
};

// Everything a build works on.
struct ChartBuild {
    vp::ChartState& state;
    PieChart& pie;
    AxisChart& bar;
    QSizeF screenTwips;
    // Reads the kind's data lines (stacked: the two-way table) into data.
    std::function<vp::Result(bool stacked, vp::ChartData& data)> readData;
};

// "2 - Blue": the category number without a leading blank, " - ", the label.
QString categoryEntry(int number, const QString& label);

// Places a chart for an area, in twips: two thirds of its width, 80 % of
// its height, 100 twips from the top, centred across `across` (by default
// the area's width). Start-up places it for the screen.
void placeChart(ChartComponent& chart, const QSizeF& areaTwips, double across = -1);

// Fills the bright, grey and pastel palettes and the chart-wide colours, and
// gives the bar component its start colours.
void buildColorTables(vp::ChartState& state, AxisChart& bar);
BuildResult buildPieChart(const ChartBuild& build);
// The stacking option the panel has picked (-1: none), written to the bar
// component.
void setStackingMode(AxisChart& bar, int choice);
BuildResult buildSimpleBarChart(const ChartBuild& build);
BuildResult buildStackedBarChart(const ChartBuild& build);
