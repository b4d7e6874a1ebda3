// Building the chart at start-up: the colour tables, the pie of a
// "SIMPLEPIECHART" and the bars of a "SIMPLEBARCHART" or "WSTACKEDBAR".
// The builds fill the chart components from the chart state and the data
// read for them, and tell the options panel what it needs through the
// ChartPanel interface; they know no window and no panel widget.
#pragma once

#include "chartstate.h"

#include <QSizeF>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class AxisChart;
class PieChart;

// What a build hands to the options panel once the data is read.
struct PanelFill {
    QStringList labels;          // the data line labels (the slice list)
    QStringList categoryEntries; // "1 - A", "2 - B": the category selector
    QString shownEntry;          // the selector's text
    vp::Colour firstColour = 0;  // category 1's colour
    // Bars only; an unset value leaves the control as it is.
    std::optional<QString> caption;
    std::optional<QString> legendTitle;
    std::optional<bool> noLegend;
    std::optional<bool> stackingShown;
    bool groupedChecked = false;
};

// The options panel as the builds see it.
class ChartPanel
{
  public:
    virtual ~ChartPanel() = default;
    // Before the data is read: pie-only or bar-only controls on or off.
    virtual void adaptToPie() = 0;
    virtual void adaptToBars() = 0;
    // After the data is read: labels inside, the lists and captions.
    virtual void fill(const PanelFill& fill) = 0;
    // The stacking option picked: 0 grouped, 1 stacked, 2 100 %; -1 none.
    virtual int stackingChoice() const = 0;
};

// Everything a build works on.
struct ChartBuild {
    vp::ChartState& state;
    PieChart& pie;
    AxisChart& bar;
    ChartPanel& panel;
    QSizeF screenTwips;
    // Reads the kind's data lines (stacked: the two-way table) into data.
    // False when the program was ended instead.
    std::function<bool(bool stacked, vp::ChartData& data)> readData;
};

// "2 - Blue": the category number without a leading blank, " - ", the label.
QString categoryEntry(int number, const QString& label);

// Fills the bright, grey and pastel palettes and the chart-wide colours, and
// gives the bar component its start colours.
void buildColorTables(vp::ChartState& state, AxisChart& bar);
void buildPieChart(const ChartBuild& build);
// The stacking option the panel has picked, written to the bar component.
void setStackingMode(AxisChart& bar, int choice);
void buildSimpleBarChart(const ChartBuild& build);
void buildStackedBarChart(const ChartBuild& build);
