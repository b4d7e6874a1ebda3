// SPDX-License-Identifier: GPL-3.0-or-later
// "Option Menu": refreshes a few panel controls from the charts and shows
// the options panel over the chart.
#include "optionspages.h"
#include "optionspanel.h"

#include "axischart.h"
#include "optionshelpers.h"
#include "piechart.h"
#include "qtext.h"

#include <algorithm>

namespace
{

// The selector shows its first entry; an empty list shows nothing rather
// than a bare "1 - ".
void showFirstEntry(QComboBox* combo, const std::string& firstLabel)
{
    combo->setEditText(combo->count() > 0 ? QStringLiteral("1 - ") + toQ(firstLabel) : QString());
}

} // namespace

void OptionsPanel::mnuoptions_Click()
{
    vp::ChartState& state = this->state();
    AxisChart& bar = this->bar();
    PieChart& pie = this->pie();

    // Both axis labels come from the bar chart whatever the chart kind.
    labels_->Text2->setText(bar.UnitAxisLabel());
    labels_->Text3->setText(bar.ItemAxisLabel());

    // The legend position is always read from the pie; an unknown value
    // leaves the group as it was.
    if (QAbstractButton* legend = labels_->grpLegendPos->button(pie.LegendPos()))
        legend->setChecked(true);
    if (QAbstractButton* labels = pieOptions_->grpPieLabels->button(pie.PieLabelMode()))
        labels->setChecked(true);

    if (state.chartKind == vp::ChartKind::Bar) {
        colorOptions_->Combo1->clear();
        const int series = std::min<int>(state.seriesCount, options::kLastCategory);
        for (int i = 1; i <= series; ++i)
            colorOptions_->Combo1->addItem(categoryEntry(i, toQ(state.seriesNames[i])));
        showFirstEntry(colorOptions_->Combo1, state.seriesNames[1]);
        setSwatch(colorOptions_->Picture1, state.itemColors[1]);
    }

    if (state.chartKind == vp::ChartKind::Pie) {
        colorOptions_->Combo1->clear();
        // Slice colours are read back from the pie, so the list stops at the
        // last slice the pie really has.
        const int slices =
            std::min<int>({state.rowCount, pie.Items().Count(), options::kLastCategory});
        for (int i = 1; i <= slices; ++i) {
            state.brightColors[i] = pie.Items().Item(i).Color();
            state.itemColors[i] = state.brightColors[i];
            colorOptions_->Combo1->addItem(categoryEntry(i, toQ(state.rowLabels[i - 1])));
        }
        showFirstEntry(colorOptions_->Combo1, state.rowLabels[0]);
        setSwatch(colorOptions_->Picture1, state.brightColors[1]);
    }

    // The tab widget keeps the tab that was current when it was hidden.
    setVisible(true);
    raise();
}
