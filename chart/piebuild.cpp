// SPDX-License-Identifier: GPL-3.0-or-later
// Builds the pie chart of a "SIMPLEPIECHART" definition.
#include "chartbuild.h"

#include "axischart.h"
#include "piechart.h"
#include "qtext.h"

namespace
{

// The chart is two thirds of its area wide (the area's width divided by
// this), 80 % of it high, a little below the area's top and centred across.
constexpr double kScreenPerChartWidth = 1.5;
constexpr double kChartHeightShare = 0.8;
constexpr float kChartTopTwips = 100;

} // namespace

QString categoryEntry(int number, const QString& label)
{
    return QString::number(number) + QStringLiteral(" - ") + label;
}

void placeChart(ChartComponent& chart, const QSizeF& areaTwips, double across)
{
    chart.setWidth(static_cast<float>(areaTwips.width() / kScreenPerChartWidth));
    chart.setHeight(static_cast<float>(areaTwips.height() * kChartHeightShare));
    chart.setTop(kChartTopTwips);
    chart.setLeft(
        static_cast<float>(((across < 0 ? areaTwips.width() : across) - chart.Width()) / 2));
}

BuildResult buildPieChart(const ChartBuild& build)
{
    vp::ChartState& state = build.state;
    PieChart& pie = build.pie;
    pie.setVisible(true);
    build.bar.setVisible(false);

    vp::ChartData data;
    BuildResult built{build.readData(false, data), {}};
    if (!built.result)
        return built;
    const int rows = static_cast<int>(data.values.size());

    placeChart(pie, build.screenTwips);

    pie.setCaption(toQ(state.chartTitle));
    pie.setLegendTitle(QStringLiteral("Categories"));
    pie.setLegendPos(0);

    // Each label is decoded once and shared by the slice, the list and the
    // selector entry's source.
    PanelFill& fill = built.fill;
    QStringList& labels = fill.labels;
    labels.reserve(rows);
    for (int i = 0; i < rows; ++i)
        labels << toQ(data.labels[i]);
    for (int i = 0; i < 256 && i <= rows - 1; ++i) {
        pie.Items().Add(labels[i], data.values[i], 1);
        pie.Items().Item(i + 1).setColor(state.brightColors[i + 1]);
    }

    for (int i = 1; i <= state.rowCount && i <= pie.Items().Count(); ++i) {
        state.brightColors[i] = pie.Items().Item(i).Color();
        state.itemColors[i] = state.brightColors[i];
        fill.categoryEntries << categoryEntry(i, labels[i - 1]);
    }
    // An empty pie leaves the selector empty rather than showing "1 - ".
    fill.shownEntry = rows > 0 ? QStringLiteral("1 - ") + labels[0] : QString();
    fill.firstColour = state.brightColors[1];
    return built;
}
