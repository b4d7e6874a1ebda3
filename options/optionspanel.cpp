// SPDX-License-Identifier: GPL-3.0-or-later
// The options panel's own set-up: its pages in tab order, the option
// groups' values, the connections of its buttons, and what start-up and the
// chart build tell it.
#include "optionspanel.h"

#include "axischart.h"
#include "optionshelpers.h"
#include "optionspages.h"
#include "qtext.h"

#include <QApplication>

namespace
{

// The tab the panel shows when it is opened for the first time: "Image".
constexpr int kFirstShownTab = 4;
// The tab that a pie chart makes unavailable: "Bar Chart Options".
constexpr int kBarOptionsTab = 3;

// Each option button's id in its group is the chart property value it
// stands for.
void setIds(QButtonGroup* group, std::initializer_list<QAbstractButton*> buttons)
{
    int id = 0;
    for (QAbstractButton* button : buttons)
        group->setId(button, id++);
}

} // namespace

OptionsPanel::OptionsPanel(QWidget* parent) : QTabWidget(parent)
{
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("SSTab1"));
    setUsesScrollButtons(false);
    labels_ = new LabelsPage(this, QStringLiteral("Labels "));
    pieOptions_ = new PieOptionsPage(this, QStringLiteral("Pie Chart Options"));
    colorOptions_ = new ColorOptionsPage(this, QStringLiteral("Color Options"));
    barOptions_ = new BarOptionsPage(this, QStringLiteral("Bar Chart Options"));
    image_ = new ImagePage(this, QStringLiteral("Image"));
    fonts_ = new FontsPage(this, QStringLiteral("Fonts"));
    setCurrentIndex(kFirstShownTab);

    setIds(labels_->grpLegendPos,
           {labels_->OptLegRight, labels_->optlegLeft, labels_->OptLegTop, labels_->OptLegBottom});
    setIds(pieOptions_->grpPieLabels,
           {pieOptions_->optLabelsInside, pieOptions_->OptLabelsOutside});
    BarOptionsPage& bars = *barOptions_;
    setIds(bars.grpOrientation, {bars.optvert, bars.Opthoriz});
    setIds(bars.grpStacking, {bars.OPTGROUPED, bars.OPTSTACKED, bars.OPT100PCT});
    setIds(bars.grpBarSpacing, {bars.Option1_0, bars.Option1_1, bars.Option1_2, bars.Option1_3});
    connectHandlers();
}

OptionsPanel::~OptionsPanel() = default;

void OptionsPanel::setContext(const ChartContext& context)
{
    ctx_ = &context;
}

// The reference line's "Remove" (Command40) has no action.
void OptionsPanel::connectHandlers()
{
    const struct {
        QPushButton* button;
        void (OptionsPanel::*handler)();
    } buttons[] = {
        // Ok and Cancel of the six tabs.
        {labels_->TamCmd1, &OptionsPanel::TamCmd1_Click},
        {labels_->Command1, &OptionsPanel::Command1_Click},
        {pieOptions_->Command19, &OptionsPanel::Command19_Click},
        {pieOptions_->Command27, &OptionsPanel::Command27_Click},
        {colorOptions_->Command20, &OptionsPanel::Command20_Click},
        {colorOptions_->Command26, &OptionsPanel::Command26_Click},
        {barOptions_->Command18, &OptionsPanel::Command18_Click},
        {barOptions_->Command25, &OptionsPanel::Command25_Click},
        {image_->Command21, &OptionsPanel::Command21_Click},
        {image_->Command24, &OptionsPanel::Command24_Click},
        {fonts_->Command22, &OptionsPanel::Command22_Click},
        {fonts_->Command23, &OptionsPanel::Command23_Click},
        // Colours and palettes.
        {colorOptions_->CmdColor, &OptionsPanel::CmdColor_Click},
        {colorOptions_->Command2, &OptionsPanel::Command2_Click},
        {colorOptions_->Command5, &OptionsPanel::Command5_Click},
        {colorOptions_->Command6, &OptionsPanel::Command6_Click},
        {colorOptions_->Command11, &OptionsPanel::Command11_Click},
        {fonts_->Command37, &OptionsPanel::Command37_Click},
        {barOptions_->Command39, &OptionsPanel::Command39_Click},
        {colorOptions_->Command7, &OptionsPanel::Command7_Click},
        {colorOptions_->Command8, &OptionsPanel::Command8_Click},
        {colorOptions_->Command9, &OptionsPanel::Command9_Click},
        // Outside slices, background image, reference line.
        {pieOptions_->Command3, &OptionsPanel::Command3_Click},
        {pieOptions_->Command4, &OptionsPanel::Command4_Click},
        {image_->Command10, &OptionsPanel::Command10_Click},
        {barOptions_->Command41, &OptionsPanel::Command41_Click},
        // Fonts.
        {fonts_->Command12, &OptionsPanel::Command12_Click},
        {fonts_->Command13, &OptionsPanel::Command13_Click},
        {fonts_->Command14, &OptionsPanel::Command14_Click},
        {fonts_->Command15, &OptionsPanel::Command15_Click},
        {fonts_->Command16, &OptionsPanel::Command16_Click},
        {fonts_->Command17, &OptionsPanel::Command17_Click},
        {fonts_->Command38, &OptionsPanel::Command38_Click},
    };
    // Until it is given its parts the panel only shows its controls.
    for (const auto& entry : buttons) {
        const auto handler = entry.handler;
        connect(entry.button, &QPushButton::clicked, this, [this, handler] {
            if (ctx_)
                (this->*handler)();
        });
    }
    connect(colorOptions_->Combo1, &QComboBox::activated, this, [this] {
        if (ctx_)
            Combo1_Click();
    });
}

void OptionsPanel::hidePanel()
{
    setVisible(false);
}

void OptionsPanel::showCaption(const QString& caption)
{
    labels_->txtCaption->setText(caption);
}

void OptionsPanel::fillReferenceLines()
{
    QComboBox* lines = barOptions_->Combo3;
    lines->clear();
    for (int i = 1; i <= 10; ++i)
        lines->addItem(QString::number(i));
    lines->setEditText(QStringLiteral("1"));
}

void OptionsPanel::showStartColours()
{
    const vp::ChartState& state = this->state();
    setSwatch(colorOptions_->Picture2, state.chartBackColor);
    setSwatch(colorOptions_->Picture3, state.barOutlineColor);
    setSwatch(colorOptions_->Picture4, state.chartBorderColor);
    setSwatch(barOptions_->Picture12, vp::rgb(255, 0, 0));
    setSwatch(fonts_->Picture11, bar().ValuesTextColor());
}

void OptionsPanel::showFontNames()
{
    // Font choices are made on first use with the default font.
    const QFont defaultFont = QApplication::font();
    vp::ChartState& state = this->state();
    QLineEdit* boxes[] = {fonts_->Text5, fonts_->Text6, fonts_->Text7,
                          fonts_->Text8, fonts_->Text9, fonts_->Text20};
    vp::FontChoice* fonts[] = {&state.titleFont,  &state.itemAxisFont, &state.unitAxisFont,
                               &state.valuesFont, &state.legendFont,   &state.itemFont};
    for (int i = 0; i < 6; ++i) {
        vp::FontChoice& font = *fonts[i];
        if (!font.created) {
            font.created = true;
            font.name = fromQ(defaultFont.family());
            font.size = defaultFont.pointSizeF();
        }
        boxes[i]->setText(toQ(font.name));
    }
}

void OptionsPanel::adaptToPie()
{
    labels_->Label3->setEnabled(false);
    labels_->Label4->setEnabled(false);
    colorOptions_->CmdColor->setText(QStringLiteral("Slice Clr"));
    fonts_->Command13->setEnabled(false);
    fonts_->Command14->setEnabled(false);
    fonts_->Command38->setEnabled(false);
    pieOptions_->optLabelsInside->setEnabled(true);
    pieOptions_->OptLabelsOutside->setEnabled(true);
    pieOptions_->Command3->setEnabled(true);
    pieOptions_->Command4->setEnabled(true);
    setTabEnabled(kBarOptionsTab, false);
}

void OptionsPanel::adaptToBars()
{
    colorOptions_->Check3->setVisible(false);
    pieOptions_->optLabelsInside->setEnabled(false);
    pieOptions_->OptLabelsOutside->setEnabled(false);
    pieOptions_->Command3->setEnabled(false);
    pieOptions_->Command4->setEnabled(false);
}

void OptionsPanel::fill(const PanelFill& fill)
{
    if (fill.stackingOffered)
        barOptions_->Frame3->setVisible(*fill.stackingOffered);
    if (fill.grouped)
        barOptions_->OPTGROUPED->setChecked(true);
    if (fill.noLegend)
        labels_->chknolegend->setChecked(*fill.noLegend);
    pieOptions_->optLabelsInside->setChecked(true);
    if (fill.caption)
        labels_->txtCaption->setText(*fill.caption);
    if (fill.legendTitle)
        labels_->Text1->setText(*fill.legendTitle);

    pieOptions_->List1->clear();
    pieOptions_->List1->addItems(fill.labels);
    QComboBox* categories = colorOptions_->Combo1;
    categories->clear();
    categories->addItems(fill.categoryEntries);
    categories->setEditText(fill.shownEntry);
    setSwatch(colorOptions_->Picture1, fill.firstColour);
}

int OptionsPanel::stackingChoice() const
{
    return barOptions_->grpStacking->checkedId();
}
