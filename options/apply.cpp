// SPDX-License-Identifier: GPL-3.0-or-later
// The apply pass behind every Ok button of the options panel, and the
// Cancel buttons, which only hide the panel.
//
// The tab handlers only collect choices; this pass carries all of them to
// the chart component of the current chart kind in one go. It keeps no state
// of its own: what was applied is held by the components.
#include "optionspages.h"
#include "optionspanel.h"

#include "axischart.h"
#include "optionshelpers.h"
#include "piechart.h"
#include "qtext.h"

#include <QFileInfo>
#include <QImageReader>
#include <algorithm>

namespace
{

// Only a fully checked box counts; the greyed state does not.
bool checked(const QCheckBox* box)
{
    return box->checkState() == Qt::Checked;
}

// The texts of the Labels tab. An empty caption box is skipped: the chart
// keeps its old text.
void applyTitles(const LabelsPage& labels, ChartComponent& chart)
{
    if (!labels.Text1->text().isEmpty())
        chart.setLegendTitle(labels.Text1->text());
    if (!labels.txtCaption->text().isEmpty())
        chart.setCaption(labels.txtCaption->text());
}

// The legend position picked (with nothing picked the chart keeps its own),
// then whether the legend shows.
void applyLegend(const LabelsPage& labels, ChartComponent& chart)
{
    const int picked = labels.grpLegendPos->checkedId();
    if (picked >= 0)
        chart.setLegendPos(picked);
    chart.setShowLegend(!checked(labels.chknolegend));
}

// The picture for the background image, or a null image after telling the
// user why the file could not be used.
QImage loadBackImage(Platform& platform, const std::string& path)
{
    const QString file = toQ(path);
    QString reason;
    QImage picture;
    if (file.isEmpty()) {
        reason = QStringLiteral("No image file has been chosen: use Browse on the Image tab.");
    } else {
        QImageReader reader(file);
        picture = reader.read();
        if (picture.isNull())
            reason = QFileInfo::exists(file) ? reader.errorString()
                                             : QStringLiteral("The file does not exist.");
    }
    if (picture.isNull())
        platform.MsgBox(
            QStringLiteral("Cannot show the background image \"%1\":\r\n%2").arg(file, reason));
    return picture;
}

// Image tab: on loads the picture and shows it stretched; off only hides it,
// without touching the file. A picture that cannot be loaded changes nothing.
void applyBackImage(Platform& platform, const ImagePage& image, const vp::ChartState& state,
                    ChartComponent& chart)
{
    if (!checked(image.Check1)) {
        chart.setShowBackImage(false);
        return;
    }
    const QImage picture = loadBackImage(platform, state.backImagePath);
    if (picture.isNull())
        return;
    chart.setBackImage(picture);
    chart.setShowBackImage(true);
    chart.setBackImageDrawMode(1);
}

// Each slice's colour, graduated fill and place: a slice is pulled out
// exactly while its label is in the outside list. Graduated fill is only
// ever switched on here, never back off.
void applySlices(const PieOptionsPage& page, bool graduated, const vp::ChartState& state,
                 PieChart& pie)
{
    const int slices = std::min<int>({state.rowCount, pie.Items().Count(), options::kLastCategory});
    for (int i = 1; i <= slices; ++i) {
        PieItem& slice = pie.Items().Item(i);
        slice.setColor(state.itemColors[i]);
        if (graduated)
            slice.setFillMode(2);
    }
    for (int i = 1; i <= slices; ++i) {
        const QListWidgetItem* entry = page.List1->item(i - 1);
        const QString label = entry ? entry->text() : QString();
        bool outside = false;
        for (int j = 0; j < page.List2->count() && !outside; ++j)
            outside = page.List2->item(j)->text() == label;
        pie.Items().Item(i).setExploded(outside);
    }
}

// The six bar chart fonts, in the order the bar pass writes them.
void applyBarFonts(vp::ChartState& state, AxisChart& bar)
{
    options::copyFontToChart(state.titleFont, bar.CaptionFont());
    options::copyFontToChart(state.itemAxisFont, bar.ItemAxisLabelFont());
    options::copyFontToChart(state.unitAxisFont, bar.UnitAxisLabelFont());
    options::copyFontToChart(state.valuesFont, bar.ValuesFont());
    options::copyFontToChart(state.legendFont, bar.LegendFont());
    options::copyFontToChart(state.itemFont, bar.ItemFont());
}

} // namespace

void OptionsPanel::TamCmd1_Click()
{
    const vp::ChartKind kind = state().chartKind;
    if (kind == vp::ChartKind::SimplePie)
        applyToPie();
    if (kind == vp::ChartKind::StackedBar || kind == vp::ChartKind::SimpleBar)
        applyToBars();
    hidePanel();
}

void OptionsPanel::applyToPie()
{
    vp::ChartState& state = this->state();
    PieChart& pie = this->pie();
    applyTitles(*labels_, pie);
    applyLegend(*labels_, pie);
    const int labelMode = pieOptions_->grpPieLabels->checkedId();
    if (labelMode >= 0)
        pie.setPieLabelMode(labelMode);
    // "Show Percentages" first; "Show Numbers" below has the last word.
    pie.ShowValues(checked(pieOptions_->Check5));
    applySlices(*pieOptions_, checked(colorOptions_->Check3), state, pie);
    options::copyFontToChart(state.titleFont, pie.CaptionFont());
    options::copyFontToChart(state.legendFont, pie.LegendFont());
    applyBackImage(platform(), *image_, state, pie);
    pie.ShowValues(checked(pieOptions_->Check2));
    // The bar chart's fonts follow along, so a switch of kind keeps them.
    applyBarFonts(state, bar());
}

void OptionsPanel::applyToBars()
{
    vp::ChartState& state = this->state();
    AxisChart& bar = this->bar();
    applyTitles(*labels_, bar);
    bar.ShowValues(checked(barOptions_->Check4));
    applyLegend(*labels_, bar);
    // Orientation is always written: vertical unless Horizontal is picked.
    bar.setOrientation(barOptions_->grpOrientation->checkedId() == 1 ? 1 : 0);
    // The stacking options, written as at start-up.
    setStackingMode(bar, stackingChoice());
    const int spacing = barOptions_->grpBarSpacing->checkedId();
    if (spacing >= 0)
        bar.setSeriesBarSpacing(spacing);
    // One blank goes after each axis label at every Ok; the panel reads the
    // labels back when it opens, so they grow by one blank per cycle.
    bar.setUnitAxisLabel(labels_->Text2->text() + QLatin1Char(' '));
    bar.setItemAxisLabel(labels_->Text3->text() + QLatin1Char(' '));

    const int series =
        std::min<int>({state.seriesCount, bar.Series().Count(), options::kLastCategory});
    for (int i = 1; i <= series; ++i)
        bar.Series().Item(i).setColor(state.itemColors[i]);
    bar.setBackColor(state.chartBackColor);
    bar.setBorderColor(state.chartBorderColor);
    bar.setForeColor(state.chartForeColor);
    applyBarFonts(state, bar);
    bar.setBarOutlineColor(state.barOutlineColor);
    bar.setValuesTextColor(state.valuesTextColor);
    applyBackImage(platform(), *image_, state, bar);
}

// Every other tab's Ok runs the same pass.
void OptionsPanel::Command19_Click()
{
    TamCmd1_Click();
}
void OptionsPanel::Command20_Click()
{
    TamCmd1_Click();
}
void OptionsPanel::Command18_Click()
{
    TamCmd1_Click();
}
void OptionsPanel::Command21_Click()
{
    TamCmd1_Click();
}
void OptionsPanel::Command22_Click()
{
    TamCmd1_Click();
}

// Cancel hides the panel only: collected choices stay for the next Ok.
void OptionsPanel::Command1_Click()
{
    hidePanel();
}
void OptionsPanel::Command27_Click()
{
    hidePanel();
}
void OptionsPanel::Command26_Click()
{
    hidePanel();
}
void OptionsPanel::Command25_Click()
{
    hidePanel();
}
void OptionsPanel::Command24_Click()
{
    hidePanel();
}
void OptionsPanel::Command23_Click()
{
    hidePanel();
}
