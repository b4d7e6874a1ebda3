// Builds the bar chart of a "SIMPLEBARCHART" or "WSTACKEDBAR" definition and
// adapts the options panel to bars.
#include "frmsimplechart.h"

#include "axischart.h"
#include "palette.h"
#include "piechart.h"
#include "qtext.h"

#include <QStringList>

QString categoryEntryText(int number, const QString& label);

void frmsimplechart::SetStackingMode()
{
    AxisChart& bar = barchart1();
    if (ui.OPTSTACKED->isChecked())
        bar.setBarStackingMode(1);
    if (ui.OPT100PCT->isChecked())
        bar.setBarStackingMode(2);
    if (ui.OPTGROUPED->isChecked())
        bar.setBarStackingMode(0);
}

namespace {

void hidePieOnlyControls(Ui::frmsimplechart& ui)
{
    ui.Check3->setVisible(false);
    ui.optLabelsInside->setEnabled(false);
    ui.OptLabelsOutside->setEnabled(false);
    ui.Command3->setEnabled(false);
    ui.Command4->setEnabled(false);
}

} // namespace

void frmsimplechart::BuildSimpleBarChart()
{
    AxisChart& bar = barchart1();
    PieChart1().setVisible(false);
    bar.setVisible(true);
    hidePieOnlyControls(ui);

    if (!readChartData(false))
        return;

    if (state.seriesCount >= 2) {
        ui.Frame3->setVisible(true);
        ui.OPTGROUPED->setChecked(true);
    } else {
        ui.Frame3->setVisible(false);
    }
    placeBarChart();
    bar.setLegendTitle(QStringLiteral("Legend"));
    bar.setShowLegend(false);
    ui.chknolegend->setChecked(true);
    bar.setLegendPos(0);
    ui.optLabelsInside->setChecked(true);
    ui.txtCaption->setText(toQ(state.chartTitle));
    bar.setCaption(toQ(state.chartTitle));
    ui.Text1->setText(toQ(state.seriesNames[1]));
    bar.setUnitAxisLabel(QStringLiteral("Count"));
    bar.setItemAxisLabel(toQ(state.chartTitle));
    bar.setShowUnitAxisGridLines(false);
    addBarData();
}

void frmsimplechart::BuildStackedBarChart()
{
    AxisChart& bar = barchart1();
    PieChart1().setVisible(false);
    bar.setVisible(true);
    bar.setBarStackingMode(0);
    hidePieOnlyControls(ui);
    ui.Frame3->setVisible(true);

    if (!readChartData(true))
        return;
    ui.txtCaption->setText(toQ(state.chartCaption));

    placeBarChart();
    bar.setCaption(toQ(state.chartCaption));
    bar.setLegendTitle(toQ(state.seriesVariable));
    ui.chknolegend->setChecked(false);
    ui.Text1->setText(toQ(state.seriesVariable));
    bar.setUnitAxisLabel(QStringLiteral("Count"));
    bar.setItemAxisLabel(toQ(state.itemVariable));
    bar.setShowUnitAxisGridLines(false);
    bar.setLegendPos(0);
    ui.optLabelsInside->setChecked(true);
    addBarData();
    bar.setBackColor(state.chartBackColor);
    bar.Refresh();
}

void frmsimplechart::placeBarChart()
{
    AxisChart& bar = barchart1();
    const double screenWidth = platform.ScreenWidthTwips();
    bar.setWidth(static_cast<float>(screenWidth / 1.5));
    bar.setHeight(static_cast<float>(platform.ScreenHeightTwips() * 0.8));
    bar.setTop(100);
    bar.setLeft(static_cast<float>((screenWidth - bar.Width()) / 2));
}

void frmsimplechart::addBarData()
{
    AxisChart& bar = barchart1();
    // Each label is decoded once: every series shares that one string, so a
    // long label costs its size once, not once per series.
    const int rows = static_cast<int>(chartData_.labels.size());
    QStringList labels;
    labels.reserve(rows);
    for (int i = 0; i < rows; ++i)
        labels << toQ(chartData_.labels[i]);
    for (int k = 1; k <= state.seriesCount; ++k) {
        bar.Series().Add(toQ(state.seriesNames[k]), 1);
        BarSeries& series = bar.Series().Item(k);
        series.setColor(state.brightColors[k]);
        for (int i = 0; i < 256 && i <= rows - 1; ++i)
            series.Values().Add(labels[i], static_cast<double>(chartData_.value(i + 1, k)), 0);
    }

    ui.List1->clear();
    ui.List1->addItems(labels);

    ui.Combo1->clear();
    for (int k = 1; k <= state.seriesCount; ++k) {
        state.brightColors[k] = bar.Series().Item(k).Color();
        state.itemColors[k] = state.brightColors[k];
        ui.Combo1->addItem(categoryEntryText(k, bar.Series().Item(k).Name()));
    }
    ui.Combo1->setEditText(QStringLiteral("1 - ") + bar.Series().Item(1).Name());
    setSwatch(ui.Picture1, state.brightColors[1]);
}
