// Colour options: category colours, the three palettes and the chart-wide
// colours. Choices are stored in the chart state and shown in a swatch; the
// chart gets them at the next Ok. Only "Background" reaches the pie at once.
#include "optionspanel.h"
#include "ui_optionspanel.h"

#include "optionshelpers.h"
#include "piechart.h"

#include <algorithm>

namespace
{

// Category numbers index itemColors; reference lines refLineColors.
constexpr int kLastCategory = 256;
constexpr int kLastReferenceLine = 10;

} // namespace

void OptionsPanel::CmdColor_Click()
{
    vp::Colour colour = 0;
    if (!options::chooseColour(platform(), DLGCOLOR, colour))
        return;
    // The category is read only now, after the dialog has closed.
    int k = 0;
    if (!options::leadingNumber(ui->Combo1->currentText(), 0, kLastCategory, k))
        return;
    state().itemColors[k] = colour;
    setSwatch(ui->Picture1, colour);
}

void OptionsPanel::Command2_Click()
{
    vp::Colour colour = 0;
    if (!options::chooseColour(platform(), DLGCOLOR, colour))
        return;
    state().chartBackColor = colour;
    setSwatch(ui->Picture2, colour);
    pie().setBackColor(state().chartBackColor);
}

void OptionsPanel::Command5_Click()
{
    vp::Colour colour = 0;
    if (!options::chooseColour(platform(), DLGCOLOR, colour))
        return;
    state().barOutlineColor = colour;
    setSwatch(ui->Picture3, colour);
}

void OptionsPanel::Command6_Click()
{
    vp::Colour colour = 0;
    if (!options::chooseColour(platform(), DLGCOLOR, colour))
        return;
    state().chartBorderColor = colour;
    setSwatch(ui->Picture4, colour);
}

void OptionsPanel::Command11_Click()
{
    vp::Colour colour = 0;
    if (!options::chooseColour(platform(), DLGCOLOR, colour))
        return;
    state().chartForeColor = colour;
    setSwatch(ui->Picture5, colour);
}

void OptionsPanel::Command37_Click()
{
    vp::Colour colour = 0;
    if (!options::chooseColour(platform(), DLGCOLOR, colour))
        return;
    state().valuesTextColor = colour;
    setSwatch(ui->Picture11, colour);
}

void OptionsPanel::Command39_Click()
{
    vp::Colour colour = 0;
    if (!options::chooseColour(platform(), DLGCOLOR, colour))
        return;
    int k = 0;
    if (!options::leadingNumber(ui->Combo3->currentText(), 0, kLastReferenceLine, k))
        return;
    state().refLineColors[k] = colour;
    setSwatch(ui->Picture12, colour);
}

void OptionsPanel::Combo1_Click()
{
    int k = 0;
    if (options::leadingNumber(ui->Combo1->currentText(), 0, kLastCategory, k))
        setSwatch(ui->Picture1, state().itemColors[k]);
}

// The palettes cover rows 1..rowCount, also for bar charts: series numbered
// above rowCount keep their colours. Picture1 shows the palette's entry 1.
void OptionsPanel::Command7_Click()
{
    const int rows = std::min<int>(state().rowCount, kLastCategory);
    for (int i = 1; i <= rows; ++i)
        state().itemColors[i] = state().grayColors[i];
    setSwatch(ui->Picture1, state().grayColors[1]);
}

void OptionsPanel::Command8_Click()
{
    // The pastel table ends one entry short: a row 256 keeps its colour.
    const int last = static_cast<int>(state().pastelColors.size()) - 1;
    const int rows = std::min<int>(state().rowCount, last);
    for (int i = 1; i <= rows; ++i)
        state().itemColors[i] = state().pastelColors[i];
    setSwatch(ui->Picture1, state().pastelColors[1]);
}

void OptionsPanel::Command9_Click()
{
    const int rows = std::min<int>(state().rowCount, kLastCategory);
    for (int i = 1; i <= rows; ++i)
        state().itemColors[i] = state().brightColors[i];
    setSwatch(ui->Picture1, state().brightColors[1]);
}
