// SPDX-License-Identifier: GPL-3.0-or-later
// The options panel SSTab1: six tabs through which the user changes the
// chart. The tab buttons collect choices in the chart state and in the
// panel's controls; any tab's Ok carries all of them to the chart component
// of the current kind (TamCmd1_Click), Cancel only hides the panel.
//
// Each tab is a page with a form of its own (optionspages.h); the panel puts
// them together and runs every handler. The window's form places the panel;
// the window then hands it the parts it works on with setContext(), and
// after the chart build adapts it to a pie or to bars and fills it with what
// the build returned.
#pragma once

#include "chartbuild.h"
#include "chartcontext.h"
#include "platform.h"

#include <QTabWidget>

class LabelsPage;
class PieOptionsPage;
class ColorOptionsPage;
class BarOptionsPage;
class ImagePage;
class FontsPage;

class OptionsPanel : public QTabWidget
{
    Q_OBJECT
  public:
    explicit OptionsPanel(QWidget* parent = nullptr);
    ~OptionsPanel() override;

    // The chart state, platform and components the handlers act on; must
    // outlive the panel.
    void setContext(const ChartContext& context);

    // Shows the caption read from the definition file's header.
    void showCaption(const QString& caption);
    // Shows the start colours of the colour tables in their swatches.
    void showStartColours();
    // Shows the six font choices' face names.
    void showFontNames();
    // Fills the reference-line number list 1..10.
    void fillReferenceLines();

    // Before the chart's data is read: the pie-only or bar-only controls on
    // or off.
    void adaptToPie();
    void adaptToBars();
    // After a build: labels inside, the lists, the selector and captions.
    void fill(const PanelFill& fill);
    // The stacking option picked: 0 grouped, 1 stacked, 2 100 %; -1 none.
    int stackingChoice() const;

    // "Option Menu": refreshes a few controls from the charts and shows the
    // panel.
    void mnuoptions_Click();

    // Ok of the six tabs: the apply pass. Cancel: hide.
    void TamCmd1_Click();
    void Command19_Click();
    void Command20_Click();
    void Command18_Click();
    void Command21_Click();
    void Command22_Click();
    void Command1_Click();
    void Command27_Click();
    void Command26_Click();
    void Command25_Click();
    void Command24_Click();
    void Command23_Click();

    // Colours and palettes.
    void CmdColor_Click();
    void Command2_Click();
    void Command5_Click();
    void Command6_Click();
    void Command11_Click();
    void Command37_Click();
    void Command39_Click();
    void Combo1_Click();
    void Command7_Click();
    void Command8_Click();
    void Command9_Click();

    // Outside slices, background image, reference line.
    void Command3_Click();
    void Command4_Click();
    void Command10_Click();
    void Command41_Click();

    // Fonts.
    void Command12_Click();
    void Command13_Click();
    void Command14_Click();
    void Command15_Click();
    void Command16_Click();
    void Command17_Click();
    void Command38_Click();

  private:
    // The seven buttons that choose a colour through the colour dialog.
    enum class ColourButton { Category, Background, BarOutline, Border, Fore, ValuesText, Line };
    // Where a colour button keeps its colour (null: nowhere, the number its
    // combo box shows lies outside the table) and the swatch that shows it.
    struct ColourTarget {
        vp::Colour* colour;
        QWidget* swatch;
    };
    ColourTarget colourTarget(ColourButton button);
    // The colour dialog, then the choice stored and shown; false when
    // nothing was stored.
    bool chooseColourFor(ColourButton button);
    // A palette of `entries` colours (entry 0 unused) to the categories.
    void copyPalette(const vp::Colour* palette, std::size_t entries);

    void connectHandlers();
    void hidePanel();
    void applyToPie();
    void applyToBars();
    vp::ChartState& state() const { return ctx_->state; }
    Platform& platform() const { return ctx_->platform; }
    PieChart& pie() const { return ctx_->pie; }
    AxisChart& bar() const { return ctx_->bar; }
    FileDialogState& fileDialog() const { return ctx_->fileDialog; }

    // The pages, in tab order; the tab widget owns them.
    LabelsPage* labels_;
    PieOptionsPage* pieOptions_;
    ColorOptionsPage* colorOptions_;
    BarOptionsPage* barOptions_;
    ImagePage* image_;
    FontsPage* fonts_;
    const ChartContext* ctx_ = nullptr;
    // The colour and font dialogs keep their settings between uses.
    ColorDialogState DLGCOLOR;
    FontDialogState Dlgfont;
};
