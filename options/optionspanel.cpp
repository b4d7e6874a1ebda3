// The options panel's own set-up: the form, the option groups' values, the
// connections of its buttons, and what start-up and the chart builds tell
// it.
#include "optionspanel.h"

#include "axischart.h"
#include "optionshelpers.h"
#include "qtext.h"
#include "ui_optionspanel.h"

#include <QApplication>

namespace
{

// Each option button's id in its group is the chart property value it
// stands for.
void setIds(QButtonGroup* group, std::initializer_list<QAbstractButton*> buttons)
{
    int id = 0;
    for (QAbstractButton* button : buttons)
        group->setId(button, id++);
}

} // namespace

OptionsPanel::OptionsPanel(QWidget* parent) : QTabWidget(parent), ui(new Ui::OptionsPanel)
{
    ui->setupUi(this);
    setIds(ui->grpLegendPos, {ui->OptLegRight, ui->optlegLeft, ui->OptLegTop, ui->OptLegBottom});
    setIds(ui->grpPieLabels, {ui->optLabelsInside, ui->OptLabelsOutside});
    setIds(ui->grpOrientation, {ui->optvert, ui->Opthoriz});
    setIds(ui->grpStacking, {ui->OPTGROUPED, ui->OPTSTACKED, ui->OPT100PCT});
    setIds(ui->grpBarSpacing, {ui->Option1_0, ui->Option1_1, ui->Option1_2, ui->Option1_3});
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
        {ui->TamCmd1, &OptionsPanel::TamCmd1_Click},
        {ui->Command1, &OptionsPanel::Command1_Click},
        {ui->Command19, &OptionsPanel::Command19_Click},
        {ui->Command27, &OptionsPanel::Command27_Click},
        {ui->Command20, &OptionsPanel::Command20_Click},
        {ui->Command26, &OptionsPanel::Command26_Click},
        {ui->Command18, &OptionsPanel::Command18_Click},
        {ui->Command25, &OptionsPanel::Command25_Click},
        {ui->Command21, &OptionsPanel::Command21_Click},
        {ui->Command24, &OptionsPanel::Command24_Click},
        {ui->Command22, &OptionsPanel::Command22_Click},
        {ui->Command23, &OptionsPanel::Command23_Click},
        // Colours and palettes.
        {ui->CmdColor, &OptionsPanel::CmdColor_Click},
        {ui->Command2, &OptionsPanel::Command2_Click},
        {ui->Command5, &OptionsPanel::Command5_Click},
        {ui->Command6, &OptionsPanel::Command6_Click},
        {ui->Command11, &OptionsPanel::Command11_Click},
        {ui->Command37, &OptionsPanel::Command37_Click},
        {ui->Command39, &OptionsPanel::Command39_Click},
        {ui->Command7, &OptionsPanel::Command7_Click},
        {ui->Command8, &OptionsPanel::Command8_Click},
        {ui->Command9, &OptionsPanel::Command9_Click},
        // Outside slices, background image, reference line.
        {ui->Command3, &OptionsPanel::Command3_Click},
        {ui->Command4, &OptionsPanel::Command4_Click},
        {ui->Command10, &OptionsPanel::Command10_Click},
        {ui->Command41, &OptionsPanel::Command41_Click},
        // Fonts.
        {ui->Command12, &OptionsPanel::Command12_Click},
        {ui->Command13, &OptionsPanel::Command13_Click},
        {ui->Command14, &OptionsPanel::Command14_Click},
        {ui->Command15, &OptionsPanel::Command15_Click},
        {ui->Command16, &OptionsPanel::Command16_Click},
        {ui->Command17, &OptionsPanel::Command17_Click},
        {ui->Command38, &OptionsPanel::Command38_Click},
    };
    // Until it is given its parts the panel only shows its controls.
    for (const auto& entry : buttons) {
        const auto handler = entry.handler;
        connect(entry.button, &QPushButton::clicked, this, [this, handler] {
            if (ctx_)
                (this->*handler)();
        });
    }
    connect(ui->Combo1, &QComboBox::activated, this, [this] {
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
    ui->txtCaption->setText(caption);
}

void OptionsPanel::fillReferenceLines()
{
    ui->Combo3->clear();
    for (int i = 1; i <= 10; ++i)
        ui->Combo3->addItem(QString::number(i));
    ui->Combo3->setEditText(QStringLiteral("1"));
}

void OptionsPanel::showStartColours()
{
    const vp::ChartState& state = this->state();
    setSwatch(ui->Picture2, state.chartBackColor);
    setSwatch(ui->Picture3, state.barOutlineColor);
    setSwatch(ui->Picture4, state.chartBorderColor);
    setSwatch(ui->Picture12, vp::rgb(255, 0, 0));
    setSwatch(ui->Picture11, bar().ValuesTextColor());
}

void OptionsPanel::showFontNames()
{
    // Font choices are made on first use with the default font.
    const QFont defaultFont = QApplication::font();
    vp::ChartState& state = this->state();
    QLineEdit* boxes[] = {ui->Text5, ui->Text6, ui->Text7, ui->Text8, ui->Text9, ui->Text20};
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
    ui->Label3->setEnabled(false);
    ui->Label4->setEnabled(false);
    ui->CmdColor->setText(QStringLiteral("Slice Clr"));
    ui->Command13->setEnabled(false);
    ui->Command14->setEnabled(false);
    ui->Command38->setEnabled(false);
    ui->optLabelsInside->setEnabled(true);
    ui->OptLabelsOutside->setEnabled(true);
    ui->Command3->setEnabled(true);
    ui->Command4->setEnabled(true);
    setTabEnabled(3, false);
}

void OptionsPanel::adaptToBars()
{
    ui->Check3->setVisible(false);
    ui->optLabelsInside->setEnabled(false);
    ui->OptLabelsOutside->setEnabled(false);
    ui->Command3->setEnabled(false);
    ui->Command4->setEnabled(false);
}

void OptionsPanel::fill(const PanelFill& fill)
{
    if (fill.stackingShown)
        ui->Frame3->setVisible(*fill.stackingShown);
    if (fill.groupedChecked)
        ui->OPTGROUPED->setChecked(true);
    if (fill.noLegend)
        ui->chknolegend->setChecked(*fill.noLegend);
    ui->optLabelsInside->setChecked(true);
    if (fill.caption)
        ui->txtCaption->setText(*fill.caption);
    if (fill.legendTitle)
        ui->Text1->setText(*fill.legendTitle);

    ui->List1->clear();
    ui->List1->addItems(fill.labels);
    ui->Combo1->clear();
    ui->Combo1->addItems(fill.categoryEntries);
    ui->Combo1->setEditText(fill.shownEntry);
    setSwatch(ui->Picture1, fill.firstColour);
}

int OptionsPanel::stackingChoice() const
{
    return ui->grpStacking->checkedId();
}
