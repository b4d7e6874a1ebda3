// Builds the pie chart of a "SIMPLEPIECHART" definition and adapts the
// options panel to a pie.
#include "frmsimplechart.h"

#include "axischart.h"
#include "palette.h"
#include "piechart.h"
#include "qtext.h"

#include <QStringList>

namespace {

// "2 - Blue": the category number without a leading blank, " - ", the label.
QString categoryEntry(int number, const QString& label)
{
    return QString::number(number) + QStringLiteral(" - ") + label;
}

} // namespace

QString categoryEntryText(int number, const QString& label)
{
    return categoryEntry(number, label);
}

void frmsimplechart::BuildPieChart()
{
    PieChart& pie = PieChart1();
    pie.setVisible(true);
    barchart1().setVisible(false);
    ui.Label3->setEnabled(false);
    ui.Label4->setEnabled(false);
    ui.CmdColor->setText(QStringLiteral("Slice Clr"));
    ui.Command13->setEnabled(false);
    ui.Command14->setEnabled(false);
    ui.Command38->setEnabled(false);
    ui.optLabelsInside->setEnabled(true);
    ui.OptLabelsOutside->setEnabled(true);
    ui.Command3->setEnabled(true);
    ui.Command4->setEnabled(true);
    ui.SSTab1->setTabEnabled(3, false);

    if (!readChartData(false))
        return;
    const int rows = static_cast<int>(chartData_.values.size());

    const double screenWidth = platform.ScreenWidthTwips();
    pie.setWidth(static_cast<float>(screenWidth / 1.5));
    pie.setHeight(static_cast<float>(platform.ScreenHeightTwips() * 0.8));
    pie.setTop(100);
    pie.setLeft(static_cast<float>((screenWidth - pie.Width()) / 2));

    pie.setCaption(toQ(state.chartTitle));
    pie.setLegendTitle(QStringLiteral("Categories"));
    pie.setLegendPos(0);
    ui.optLabelsInside->setChecked(true);

    // Each label is decoded once and shared by the slice, the list and the
    // selector entry's source.
    QStringList labels;
    labels.reserve(rows);
    for (int i = 0; i < rows; ++i)
        labels << toQ(chartData_.labels[i]);
    for (int i = 0; i < 256 && i <= rows - 1; ++i) {
        pie.Items().Add(labels[i], chartData_.values[i], 1);
        pie.Items().Item(i + 1).setColor(state.brightColors[i + 1]);
    }

    ui.List1->clear();
    ui.List1->addItems(labels);

    ui.Combo1->clear();
    for (int i = 1; i <= state.rowCount && i <= pie.Items().Count(); ++i) {
        state.brightColors[i] = pie.Items().Item(i).Color();
        state.itemColors[i] = state.brightColors[i];
        ui.Combo1->addItem(categoryEntry(i, labels[i - 1]));
    }
    // An empty pie leaves the selector empty rather than showing "1 - ".
    ui.Combo1->setEditText(rows > 0 ? QStringLiteral("1 - ") + labels[0] : QString());
    setSwatch(ui.Picture1, state.brightColors[1]);
}
