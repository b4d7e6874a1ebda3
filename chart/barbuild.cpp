// SPDX-License-Identifier: GPL-3.0-or-later
// Builds the bar chart of a "SIMPLEBARCHART" or "WSTACKEDBAR" definition.
#include "chartbuild.h"

#include "axischart.h"
#include "piechart.h"
#include "qtext.h"

void setStackingMode(AxisChart& bar, int choice)
{
    if (choice >= 0)
        bar.setBarStackingMode(choice);
}

namespace
{

// Adds every series with its values and gives the panel the labels and the
// series entries.
void addBarData(const ChartBuild& build, const vp::ChartData& data, PanelFill& fill)
{
    vp::ChartState& state = build.state;
    AxisChart& bar = build.bar;
    // Each label is decoded once: every series shares that one string, so a
    // long label costs its size once, not once per series.
    const int rows = static_cast<int>(data.labels.size());
    QStringList& labels = fill.labels;
    labels.reserve(rows);
    for (int i = 0; i < rows; ++i)
        labels << toQ(data.labels[i]);
    for (int k = 1; k <= state.seriesCount; ++k) {
        bar.Series().Add(toQ(state.seriesNames[k]), 1);
        BarSeries& series = bar.Series().Item(k);
        series.setColor(state.brightColors[k]);
        for (int i = 0; i < 256 && i <= rows - 1; ++i)
            series.Values().Add(labels[i], static_cast<double>(data.value(i + 1, k)), 0);
    }

    for (int k = 1; k <= state.seriesCount; ++k) {
        state.brightColors[k] = bar.Series().Item(k).Color();
        state.itemColors[k] = state.brightColors[k];
        fill.categoryEntries << categoryEntry(k, bar.Series().Item(k).Name());
    }
    // Without any series the selector shows a bare "1 - ".
    const QString firstName = bar.Series().Count() > 0 ? bar.Series().Item(1).Name() : QString();
    fill.shownEntry = QStringLiteral("1 - ") + firstName;
    fill.firstColour = state.brightColors[1];
}

} // namespace

BuildResult buildSimpleBarChart(const ChartBuild& build)
{
    vp::ChartState& state = build.state;
    AxisChart& bar = build.bar;
    build.pie.setVisible(false);
    bar.setVisible(true);

    vp::ChartData data;
    BuildResult built{build.readData(false, data), {}};
    if (!built.result)
        return built;

    PanelFill& fill = built.fill;
    fill.stackingOffered = state.seriesCount >= 2;
    fill.grouped = state.seriesCount >= 2;
    placeChart(bar, build.screenTwips);
    bar.setLegendTitle(QStringLiteral("Legend"));
    bar.setShowLegend(false);
    fill.noLegend = true;
    bar.setLegendPos(0);
    fill.caption = toQ(state.chartTitle);
    bar.setCaption(toQ(state.chartTitle));
    fill.legendTitle = toQ(state.seriesNames[1]);
    bar.setUnitAxisLabel(QStringLiteral("Count"));
    bar.setItemAxisLabel(toQ(state.chartTitle));
    bar.setShowUnitAxisGridLines(false);
    addBarData(build, data, fill);
    return built;
}

BuildResult buildStackedBarChart(const ChartBuild& build)
{
    vp::ChartState& state = build.state;
    AxisChart& bar = build.bar;
    build.pie.setVisible(false);
    bar.setVisible(true);
    bar.setBarStackingMode(0);

    vp::ChartData data;
    BuildResult built{build.readData(true, data), {}};
    if (!built.result)
        return built;

    PanelFill& fill = built.fill;
    fill.stackingOffered = true;
    fill.caption = toQ(state.chartCaption);
    placeChart(bar, build.screenTwips);
    bar.setCaption(toQ(state.chartCaption));
    bar.setLegendTitle(toQ(state.seriesVariable));
    fill.noLegend = false;
    fill.legendTitle = toQ(state.seriesVariable);
    bar.setUnitAxisLabel(QStringLiteral("Count"));
    bar.setItemAxisLabel(toQ(state.itemVariable));
    bar.setShowUnitAxisGridLines(false);
    bar.setLegendPos(0);
    addBarData(build, data, fill);
    bar.setBackColor(state.chartBackColor);
    bar.Refresh();
    return built;
}
