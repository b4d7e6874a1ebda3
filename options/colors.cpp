// SPDX-License-Identifier: GPL-3.0-or-later
// Colour options: category colours, the three palettes and the chart-wide
// colours. Choices are stored in the chart state and shown in a swatch; the
// chart gets them at the next Ok. Only "Background" reaches the pie at once.
#include "optionspanel.h"

#include "optionshelpers.h"
#include "optionspages.h"
#include "piechart.h"

#include <algorithm>

namespace
{

using options::kLastCategory;
using options::kLastReferenceLine;

// The entry of a table that a combo box's leading number picks, or null
// when the number lies outside the table.
template <std::size_t N>
vp::Colour* numberedEntry(std::array<vp::Colour, N>& table, const QComboBox* combo, int last)
{
    int k = 0;
    return options::leadingNumber(combo->currentText(), 0, last, k) ? &table[k] : nullptr;
}

} // namespace

OptionsPanel::ColourTarget OptionsPanel::colourTarget(ColourButton button)
{
    vp::ChartState& state = this->state();
    switch (button) {
    case ColourButton::Category:
        return {numberedEntry(state.itemColors, colorOptions_->Combo1, kLastCategory),
                colorOptions_->Picture1};
    case ColourButton::Background:
        return {&state.chartBackColor, colorOptions_->Picture2};
    case ColourButton::BarOutline:
        return {&state.barOutlineColor, colorOptions_->Picture3};
    case ColourButton::Border:
        return {&state.chartBorderColor, colorOptions_->Picture4};
    case ColourButton::Fore:
        return {&state.chartForeColor, colorOptions_->Picture5};
    case ColourButton::ValuesText:
        return {&state.valuesTextColor, fonts_->Picture11};
    case ColourButton::Line:
        return {numberedEntry(state.refLineColors, barOptions_->Combo3, kLastReferenceLine),
                barOptions_->Picture12};
    }
    return {nullptr, nullptr};
}

bool OptionsPanel::chooseColourFor(ColourButton button)
{
    vp::Colour colour = 0;
    if (!options::chooseColour(platform(), DLGCOLOR, colour))
        return false;
    // The target is looked up only now: a category or reference-line number
    // is read after the dialog has closed.
    const ColourTarget target = colourTarget(button);
    if (!target.colour)
        return false;
    *target.colour = colour;
    setSwatch(target.swatch, colour);
    return true;
}

void OptionsPanel::CmdColor_Click()
{
    chooseColourFor(ColourButton::Category);
}

void OptionsPanel::Command2_Click()
{
    if (chooseColourFor(ColourButton::Background))
        pie().setBackColor(state().chartBackColor);
}

void OptionsPanel::Command5_Click()
{
    chooseColourFor(ColourButton::BarOutline);
}

void OptionsPanel::Command6_Click()
{
    chooseColourFor(ColourButton::Border);
}

void OptionsPanel::Command11_Click()
{
    chooseColourFor(ColourButton::Fore);
}

void OptionsPanel::Command37_Click()
{
    chooseColourFor(ColourButton::ValuesText);
}

void OptionsPanel::Command39_Click()
{
    chooseColourFor(ColourButton::Line);
}

void OptionsPanel::Combo1_Click()
{
    if (const vp::Colour* colour =
            numberedEntry(state().itemColors, colorOptions_->Combo1, kLastCategory))
        setSwatch(colorOptions_->Picture1, *colour);
}

// The palettes cover rows 1..rowCount, also for bar charts: series numbered
// above rowCount keep their colours. A palette one entry short (pastel)
// leaves a row 256 as it is. Picture1 shows the palette's entry 1.
void OptionsPanel::copyPalette(const vp::Colour* palette, std::size_t entries)
{
    const int rows = std::min<int>(state().rowCount, static_cast<int>(entries) - 1);
    for (int i = 1; i <= rows; ++i)
        state().itemColors[i] = palette[i];
    setSwatch(colorOptions_->Picture1, palette[1]);
}

void OptionsPanel::Command7_Click()
{
    copyPalette(state().grayColors.data(), state().grayColors.size());
}

void OptionsPanel::Command8_Click()
{
    copyPalette(state().pastelColors.data(), state().pastelColors.size());
}

void OptionsPanel::Command9_Click()
{
    copyPalette(state().brightColors.data(), state().brightColors.size());
}
