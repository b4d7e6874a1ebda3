// The options panel, driven through its real widgets with a scripted
// platform: what each Ok carries to the chart, what the tab buttons collect,
// and what the user then sees in the chart's picture.
#include "axischart.h"
#include "frmsimplechart.h"
#include "palette.h"
#include "piechart.h"
#include "scriptedplatform.h"

#include <QButtonGroup>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

const QByteArray kPie = "VGRAPH,SIMPLEPIECHART,x,\"Fruit\",1,\"Count\"\n12, A\n30, B\n8, C\n5, D\n";
const QByteArray kPie5 =
    "VGRAPH,SIMPLEPIECHART,x,\"Five\",1,\"Count\"\n1, A\n2, B\n3, C\n4, D\n5, E\n";
const QByteArray kBar =
    "VGRAPH,SIMPLEBARCHART,x,\"Sales\",2,\"North\",\"South\"\n3,4,Q1\n5,6,Q2\n7,8,Q3\n";
// More series than data lines: the palettes stop at the row count.
const QByteArray kBar3Series =
    "VGRAPH,SIMPLEBARCHART,x,\"Wide\",3,\"S1\",\"S2\",\"S3\"\n1,2,3,R1\n4,5,6,R2\n";
// One visible bar among three categories: a third of the plot across.
const QByteArray kOneBar = "VGRAPH,SIMPLEBARCHART,x,\"One\",1,\"N\"\n10,A\n0,B\n0,C\n";

constexpr vp::Colour kRed = vp::rgb(255, 0, 0);
constexpr vp::Colour kSentinel = vp::rgb(1, 2, 3);

// A scripted platform that can act while the colour dialog is open.
class HookedPlatform : public ScriptedPlatform {
public:
    std::function<void()> whileColourShown;
    DialogOutcome ShowColor(ColorDialogState& dialog) override
    {
        if (whileColourShown)
            whileColourShown();
        return ScriptedPlatform::ShowColor(dialog);
    }
};

// One run of the program on a definition file, started up and ready.
struct Session {
    QTemporaryDir dir;
    HookedPlatform p;
    std::unique_ptr<frmsimplechart> window;

    explicit Session(const QByteArray& definition)
    {
        writeFile("~VGRAPH.TMP", definition);
        p.programFolder = dir.path();
        p.commandLine = writeFile("settings.ini", "\"C:\\data\\\",name,10\n");
        window = std::make_unique<frmsimplechart>(p);
        window->Form_Load();
    }
    QString writeFile(const QString& name, const QByteArray& bytes)
    {
        QFile f(dir.filePath(name));
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
        return f.fileName();
    }
    frmsimplechart& w() { return *window; }
    Ui::frmsimplechart& ui() { return window->ui; }
};

// Deselects every member of an option group, which the user cannot do but
// the apply pass must cope with.
void clearGroup(QRadioButton* member)
{
    QList<QAbstractButton*> members;
    if (member->group()) {
        member->group()->setExclusive(false);
        members = member->group()->buttons();
    } else {
        for (QRadioButton* b : member->parentWidget()->findChildren<QRadioButton*>())
            members << b;
    }
    for (QAbstractButton* b : members) {
        b->setAutoExclusive(false);
        b->setChecked(false);
    }
}

// Reads or writes the chart property that an option maps to.
int chartProperty(frmsimplechart& w, const QString& property)
{
    if (property == "LegendPos")
        return w.ui.PieChart1->isHidden() ? w.barchart1().LegendPos() : w.PieChart1().LegendPos();
    if (property == "PieLabelMode")
        return w.PieChart1().PieLabelMode();
    if (property == "BarStackingMode")
        return w.barchart1().BarStackingMode();
    if (property == "SeriesBarSpacing")
        return w.barchart1().SeriesBarSpacing();
    return w.barchart1().Orientation();
}

void setChartProperty(frmsimplechart& w, const QString& property, int value)
{
    if (property == "LegendPos")
        (w.ui.PieChart1->isHidden() ? static_cast<ChartComponent&>(w.barchart1())
                                    : w.PieChart1())
            .setLegendPos(value);
    else if (property == "PieLabelMode")
        w.PieChart1().setPieLabelMode(value);
    else if (property == "BarStackingMode")
        w.barchart1().setBarStackingMode(value);
    else if (property == "SeriesBarSpacing")
        w.barchart1().setSeriesBarSpacing(value);
    else
        w.barchart1().setOrientation(value);
}

int countPixels(const QImage& image, vp::Colour colour)
{
    const QRgb wanted = qRgb(vp::redOf(colour), vp::greenOf(colour), vp::blueOf(colour));
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += (image.pixel(x, y) & 0xffffff) == (wanted & 0xffffff);
    return n;
}

QRect pixelBounds(const QImage& image, vp::Colour colour)
{
    const QRgb wanted = qRgb(vp::redOf(colour), vp::greenOf(colour), vp::blueOf(colour));
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xffffff) == (wanted & 0xffffff))
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

const QSize kPictureSize(480, 360);
const QSize kSquare(400, 400);

} // namespace

class TestOptions : public QObject {
    Q_OBJECT
private slots:
    void optionMappings_data();
    void optionMappings();
    void groupWithoutSelection_data();
    void groupWithoutSelection();
    void pieShowValuesLastCallWins_data();
    void pieShowValuesLastCallWins();
    void explodedSlicesFollowOutsideList();
    void graduatedColoursStayAfterUnchecking();
    void axisLabelsGainOneBlankPerApply();
    void emptyTextsAndCaptions();
    void okAndCancelButtons_data();
    void okAndCancelButtons();
    void otherKindsOnlyHidePanel_data();
    void otherKindsOnlyHidePanel();
    void openingRefillsFromCharts();
    void openingRebuildsCategoriesForOtherKinds();
    void palettes_data();
    void palettes();
    void paletteOnBarStopsAtRowCount();
    void palettePictureOnlyAfterOk();
    void backgroundReachesPieAtOnce();
    void categoryColourFromCombo_data();
    void categoryColourFromCombo();
    void comboPickShowsCategoryColour();
    void colourButtons_data();
    void colourButtons();
    void fontButtons_data();
    void fontButtons();
    void makeFontsSameAsTitle();
    void browseDialog();
    void backgroundImageOnOffOn_data();
    void backgroundImageOnOffOn();
    void unloadableBackgroundImage();
    void orientationChangesBarShape();
};

// ---- the apply pass ----

void TestOptions::optionMappings_data()
{
    QTest::addColumn<QByteArray>("definition");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("property");
    QTest::addColumn<int>("value");

    // Legend position: the pie and the bar chart.
    QTest::newRow("pie legend right") << kPie << "OptLegRight" << "LegendPos" << 0;
    QTest::newRow("pie legend left") << kPie << "optlegLeft" << "LegendPos" << 1;
    QTest::newRow("pie legend top") << kPie << "OptLegTop" << "LegendPos" << 2;
    QTest::newRow("pie legend bottom") << kPie << "OptLegBottom" << "LegendPos" << 3;
    QTest::newRow("bar legend left") << kBar << "optlegLeft" << "LegendPos" << 1;
    QTest::newRow("bar legend bottom") << kBar << "OptLegBottom" << "LegendPos" << 3;
    // Pie labels.
    QTest::newRow("labels inside") << kPie << "optLabelsInside" << "PieLabelMode" << 0;
    QTest::newRow("labels outside") << kPie << "OptLabelsOutside" << "PieLabelMode" << 1;
    // Stacking.
    QTest::newRow("stacked") << kBar << "OPTSTACKED" << "BarStackingMode" << 1;
    QTest::newRow("stacked to 100%") << kBar << "OPT100PCT" << "BarStackingMode" << 2;
    QTest::newRow("grouped") << kBar << "OPTGROUPED" << "BarStackingMode" << 0;
    // Series bar spacing.
    QTest::newRow("spacing none") << kBar << "Option1_0" << "SeriesBarSpacing" << 0;
    QTest::newRow("spacing 10%") << kBar << "Option1_1" << "SeriesBarSpacing" << 1;
    QTest::newRow("spacing 25%") << kBar << "Option1_2" << "SeriesBarSpacing" << 2;
    QTest::newRow("spacing 50%") << kBar << "Option1_3" << "SeriesBarSpacing" << 3;
    // Orientation.
    QTest::newRow("horizontal") << kBar << "Opthoriz" << "Orientation" << 1;
    QTest::newRow("vertical") << kBar << "optvert" << "Orientation" << 0;
}

void TestOptions::optionMappings()
{
    QFETCH(QByteArray, definition);
    QFETCH(QString, control);
    QFETCH(QString, property);
    QFETCH(int, value);

    Session s(definition);
    s.w().mnuoptions_Click();
    // Start from another value so that only the Ok can bring the expected one.
    const int modulus = property == "BarStackingMode"                              ? 3
                        : property == "PieLabelMode" || property == "Orientation" ? 2
                                                                                  : 4;
    setChartProperty(s.w(), property, (value + 1) % modulus);
    auto* option = s.w().findChild<QRadioButton*>(control);
    QVERIFY(option);
    option->click();
    QVERIFY(option->isChecked());
    s.ui().TamCmd1->click();
    QCOMPARE(chartProperty(s.w(), property), value);
    QVERIFY(s.ui().SSTab1->isHidden());
}

void TestOptions::groupWithoutSelection_data()
{
    QTest::addColumn<QByteArray>("definition");
    QTest::addColumn<QString>("member");
    QTest::addColumn<QString>("property");
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("after");

    QTest::newRow("no legend option keeps bar legend position")
        << kBar << "OptLegTop" << "LegendPos" << 2 << 2;
    QTest::newRow("no legend option keeps pie legend position")
        << kPie << "OptLegRight" << "LegendPos" << 3 << 3;
    QTest::newRow("no label option keeps pie label mode")
        << kPie << "optLabelsInside" << "PieLabelMode" << 1 << 1;
    QTest::newRow("no stacking option keeps stacking")
        << kBar << "OPTGROUPED" << "BarStackingMode" << 2 << 2;
    QTest::newRow("no spacing option keeps spacing")
        << kBar << "Option1_0" << "SeriesBarSpacing" << 3 << 3;
    QTest::newRow("orientation is written even with neither selected")
        << kBar << "Opthoriz" << "Orientation" << 1 << 0;
}

void TestOptions::groupWithoutSelection()
{
    QFETCH(QByteArray, definition);
    QFETCH(QString, member);
    QFETCH(QString, property);
    QFETCH(int, before);
    QFETCH(int, after);

    Session s(definition);
    s.w().mnuoptions_Click();
    clearGroup(s.w().findChild<QRadioButton*>(member));
    setChartProperty(s.w(), property, before);
    s.ui().TamCmd1->click();
    QCOMPARE(chartProperty(s.w(), property), after);
}

void TestOptions::pieShowValuesLastCallWins_data()
{
    QTest::addColumn<bool>("percentages");
    QTest::addColumn<bool>("numbers");

    QTest::newRow("percentages and numbers") << true << true;
    QTest::newRow("percentages only ends with values off") << true << false;
    QTest::newRow("numbers only") << false << true;
}

void TestOptions::pieShowValuesLastCallWins()
{
    QFETCH(bool, percentages);
    QFETCH(bool, numbers);

    Session s(kPie);
    s.ui().Check5->setChecked(percentages);
    s.ui().Check2->setChecked(numbers);
    s.w().PieChart1().ShowValues(!numbers);
    s.ui().Command19->click();
    QCOMPARE(s.w().PieChart1().valuesShown(), numbers);
}

void TestOptions::explodedSlicesFollowOutsideList()
{
    Session s(kPie);
    auto& ui = s.ui();
    auto exploded = [&] {
        QString pulled;
        for (int i = 1; i <= s.w().PieChart1().Items().Count(); ++i)
            pulled += s.w().PieChart1().Items().Item(i).Exploded() ? '1' : '0';
        return pulled;
    };
    auto outsideList = [&] {
        QStringList texts;
        for (int j = 0; j < ui.List2->count(); ++j)
            texts << ui.List2->item(j)->text();
        return texts;
    };
    auto select = [&](const QList<int>& rows) {
        ui.List1->clearSelection();
        for (int r : rows)
            ui.List1->item(r)->setSelected(true);
    };

    select({1, 3});
    ui.Command3->click();
    QCOMPARE(outsideList(), QStringList({"B", "D"}));
    QCOMPARE(exploded(), QString("0000")); // collected only
    ui.Command19->click();
    QCOMPARE(exploded(), QString("0101"));

    // Removing B returns slice 2 to its place at the next Ok.
    ui.List2->setCurrentRow(0);
    ui.Command4->click();
    QCOMPARE(outsideList(), QStringList({"D"}));
    ui.List2->setCurrentRow(-1);
    ui.Command4->click(); // nothing current: nothing removed
    QCOMPARE(outsideList(), QStringList({"D"}));
    s.w().mnuoptions_Click();
    ui.TamCmd1->click();
    QCOMPARE(exploded(), QString("0001"));

    // Already present labels are not added twice; the rest follow in order.
    select({0, 2, 3});
    ui.Command3->click();
    ui.Command3->click();
    QCOMPARE(outsideList(), QStringList({"D", "A", "C"}));
    QCOMPARE(ui.List1->selectedItems().size(), 3);
}

void TestOptions::graduatedColoursStayAfterUnchecking()
{
    Session s(kPie);
    PieItems& slices = s.w().PieChart1().Items();
    s.ui().TamCmd1->click();
    QCOMPARE(slices.Item(1).FillMode(), 0);

    s.ui().Check3->setChecked(true);
    s.ui().Command20->click();
    s.ui().Check3->setChecked(false);
    s.ui().Command20->click();
    for (int i = 1; i <= slices.Count(); ++i)
        QCOMPARE(slices.Item(i).FillMode(), 2);
}

void TestOptions::axisLabelsGainOneBlankPerApply()
{
    Session s(kBar);
    for (int cycle = 0; cycle < 3; ++cycle) {
        s.w().mnuoptions_Click();
        s.ui().TamCmd1->click();
    }
    QCOMPARE(s.w().barchart1().UnitAxisLabel(), QString("Count   "));
    QCOMPARE(s.w().barchart1().ItemAxisLabel(), QString("Sales   "));
    s.w().mnuoptions_Click();
    QCOMPARE(s.ui().Text2->text(), QString("Count   "));
}

void TestOptions::emptyTextsAndCaptions()
{
    Session s(kBar);
    AxisChart& bar = s.w().barchart1();
    const QString legendTitle = bar.LegendTitle();
    QVERIFY(!legendTitle.isEmpty());
    s.w().mnuoptions_Click();
    s.ui().Text1->clear();
    s.ui().txtCaption->setText(" ");
    s.ui().Text2->clear();
    s.ui().TamCmd1->click();
    QCOMPARE(bar.LegendTitle(), legendTitle); // empty box skipped
    QCOMPARE(bar.Caption(), QString(" "));     // one blank applied as typed
    QCOMPARE(bar.UnitAxisLabel(), QString(" "));
}

void TestOptions::okAndCancelButtons_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("applies");

    QTest::newRow("Labels Ok") << "TamCmd1" << true;
    QTest::newRow("Pie Ok") << "Command19" << true;
    QTest::newRow("Color Ok") << "Command20" << true;
    QTest::newRow("Bar Ok") << "Command18" << true;
    QTest::newRow("Image Ok") << "Command21" << true;
    QTest::newRow("Fonts Ok") << "Command22" << true;
    QTest::newRow("Labels Cancel") << "Command1" << false;
    QTest::newRow("Pie Cancel") << "Command27" << false;
    QTest::newRow("Color Cancel") << "Command26" << false;
    QTest::newRow("Bar Cancel") << "Command25" << false;
    QTest::newRow("Image Cancel") << "Command24" << false;
    QTest::newRow("Fonts Cancel") << "Command23" << false;
}

void TestOptions::okAndCancelButtons()
{
    QFETCH(QString, button);
    QFETCH(bool, applies);

    Session s(kBar);
    s.ui().mnuoptions->trigger();
    QVERIFY(!s.ui().SSTab1->isHidden());
    s.ui().txtCaption->setText("New caption");
    s.ui().Opthoriz->click();
    s.w().findChild<QPushButton*>(button)->click();
    QVERIFY(s.ui().SSTab1->isHidden());
    QCOMPARE(s.w().barchart1().Caption(), applies ? QString("New caption") : QString("Sales"));
    QCOMPARE(s.w().barchart1().Orientation(), applies ? 1 : 0);
    // Cancel keeps the unapplied choice for the next Ok.
    QCOMPARE(s.ui().txtCaption->text(), QString("New caption"));
}

void TestOptions::otherKindsOnlyHidePanel_data()
{
    QTest::addColumn<QByteArray>("definition");
    QTest::addColumn<QString>("kind");

    QTest::newRow("PIECHART") << kPie << "PIECHART";
    QTest::newRow("BARCHART") << kBar << "BARCHART";
}

void TestOptions::otherKindsOnlyHidePanel()
{
    QFETCH(QByteArray, definition);
    QFETCH(QString, kind);

    Session s(definition);
    s.w().state.chartKind = kind.toStdString();
    s.w().mnuoptions_Click();
    const QString pieCaption = s.w().PieChart1().Caption();
    const QString barCaption = s.w().barchart1().Caption();
    const QString unitLabel = s.w().barchart1().UnitAxisLabel();
    s.ui().txtCaption->setText("Changed");
    s.ui().Check3->setChecked(true);
    s.ui().TamCmd1->click();
    QVERIFY(s.ui().SSTab1->isHidden());
    QCOMPARE(s.w().PieChart1().Caption(), pieCaption);
    QCOMPARE(s.w().barchart1().Caption(), barCaption);
    QCOMPARE(s.w().barchart1().UnitAxisLabel(), unitLabel);
    for (int i = 1; i <= s.w().PieChart1().Items().Count(); ++i)
        QCOMPARE(s.w().PieChart1().Items().Item(i).FillMode(), 0);
}

// ---- opening the panel ----

void TestOptions::openingRefillsFromCharts()
{
    Session s(kBar);
    auto& ui = s.ui();
    QCOMPARE(ui.SSTab1->currentIndex(), 4); // first show: the Image tab

    // The legend option comes from the pie component, even for bars.
    s.w().PieChart1().setLegendPos(2);
    s.w().barchart1().setLegendPos(3);
    s.w().mnuoptions_Click();
    QVERIFY(ui.OptLegTop->isChecked());
    QCOMPARE(ui.Text2->text(), QString("Count"));
    QCOMPARE(ui.Text3->text(), QString("Sales"));

    // Unapplied choices are overwritten by the next opening; the tab stays.
    ui.Text2->setText("Typed");
    ui.OptLegBottom->click();
    ui.SSTab1->setCurrentIndex(2);
    ui.Command26->click();
    s.w().PieChart1().setLegendPos(9); // unknown: the option group stays
    s.w().mnuoptions_Click();
    QCOMPARE(ui.Text2->text(), QString("Count"));
    QVERIFY(ui.OptLegBottom->isChecked());
    QCOMPARE(ui.SSTab1->currentIndex(), 2);
}

void TestOptions::openingRebuildsCategoriesForOtherKinds()
{
    // "PIECHART": labels from entry 0, colours read back from the pie.
    {
        Session s(kPie);
        vp::ChartState& st = s.w().state;
        st.chartKind = "PIECHART";
        st.rowCount = 3;
        st.rowLabels[0] = "A";
        st.rowLabels[1] = "B";
        st.rowLabels[2] = "C";
        s.w().PieChart1().Items().Item(1).setColor(vp::rgb(10, 20, 30));
        s.w().PieChart1().Items().Item(3).setColor(vp::rgb(40, 50, 60));
        s.w().mnuoptions_Click();
        QCOMPARE(s.ui().Combo1->count(), 3);
        QCOMPARE(s.ui().Combo1->itemText(2), QString("3 - C"));
        QCOMPARE(s.ui().Combo1->currentText(), QString("1 - A"));
        QCOMPARE(swatchColour(s.ui().Picture1), vp::rgb(10, 20, 30));
        QCOMPARE(st.itemColors[3], vp::rgb(40, 50, 60));
        QCOMPARE(st.brightColors[3], vp::rgb(40, 50, 60));
    }
    // "BARCHART": one entry per series, numbers written in full.
    {
        Session s(kBar);
        vp::ChartState& st = s.w().state;
        st.chartKind = "BARCHART";
        st.seriesCount = 12;
        for (int i = 1; i <= 12; ++i)
            st.seriesNames[i] = "S" + std::to_string(i);
        st.itemColors[1] = vp::rgb(7, 8, 9);
        s.w().mnuoptions_Click();
        QCOMPARE(s.ui().Combo1->count(), 12);
        QCOMPARE(s.ui().Combo1->itemText(11), QString("12 - S12"));
        QCOMPARE(s.ui().Combo1->currentText(), QString("1 - S1"));
        QCOMPARE(swatchColour(s.ui().Picture1), vp::rgb(7, 8, 9));
    }
}

// ---- colours ----

void TestOptions::palettes_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("rows");      // 0: the file's own row count
    QTest::addColumn<int>("lastCopied");

    QTest::newRow("grays over five rows") << "Command7" << 0 << 5;
    QTest::newRow("pastel over five rows") << "Command8" << 0 << 5;
    QTest::newRow("bright over five rows") << "Command9" << 0 << 5;
    QTest::newRow("grays reach row 256") << "Command7" << 256 << 256;
    QTest::newRow("pastel has no row 256") << "Command8" << 256 << 255;
}

void TestOptions::palettes()
{
    QFETCH(QString, button);
    QFETCH(int, rows);
    QFETCH(int, lastCopied);

    Session s(kPie5);
    vp::ChartState& st = s.w().state;
    if (rows > 0)
        st.rowCount = static_cast<std::int16_t>(rows);
    st.itemColors.fill(kSentinel);
    const auto palette = [&](int i) {
        if (button == "Command7")
            return st.grayColors[i];
        return button == "Command8" ? st.pastelColors[i] : st.brightColors[i];
    };
    s.w().findChild<QPushButton*>(button)->click();
    QCOMPARE(st.itemColors[0], kSentinel);
    for (int i = 1; i <= lastCopied; ++i)
        QCOMPARE(st.itemColors[i], palette(i));
    for (int i = lastCopied + 1; i <= 256; ++i)
        QCOMPARE(st.itemColors[i], kSentinel);
    QCOMPARE(swatchColour(s.ui().Picture1), palette(1));
}

void TestOptions::paletteOnBarStopsAtRowCount()
{
    Session s(kBar3Series);
    AxisChart& bar = s.w().barchart1();
    const vp::Colour third = bar.Series().Item(3).Color();
    s.ui().Command7->click();
    s.ui().TamCmd1->click();
    QCOMPARE(bar.Series().Item(1).Color(), s.w().state.grayColors[1]);
    QCOMPARE(bar.Series().Item(2).Color(), s.w().state.grayColors[2]);
    QCOMPARE(bar.Series().Item(3).Color(), third);
}

void TestOptions::palettePictureOnlyAfterOk()
{
    Session s(kPie);
    PieChart& pie = s.w().PieChart1();
    const vp::Colour pastel = s.w().state.pastelColors[1];
    s.w().mnuoptions_Click();
    s.ui().Command8->click();
    s.ui().Command26->click();
    QCOMPARE(countPixels(pie.renderImage(kPictureSize), pastel), 0);
    s.w().mnuoptions_Click();
    s.ui().Command20->click();
    QVERIFY(countPixels(pie.renderImage(kPictureSize), pastel) > 500);
}

void TestOptions::backgroundReachesPieAtOnce()
{
    Session s(kBar);
    const vp::Colour green = vp::rgb(0, 200, 0);
    const vp::Colour barBack = s.w().barchart1().BackColor();
    QVERIFY(barBack != green);
    s.p.chooseColor(QColor(0, 200, 0));
    s.ui().Command2->click();
    QCOMPARE(s.w().state.chartBackColor, green);
    QCOMPARE(swatchColour(s.ui().Picture2), green);
    QCOMPARE(s.w().PieChart1().BackColor(), green);
    QCOMPARE(s.w().barchart1().BackColor(), barBack);
    s.ui().Command20->click();
    QCOMPARE(s.w().barchart1().BackColor(), green);
}

void TestOptions::categoryColourFromCombo_data()
{
    QTest::addColumn<QString>("comboText");
    QTest::addColumn<QString>("textDuringDialog"); // empty: unchanged
    QTest::addColumn<int>("entry");                // -1: nothing stored

    QTest::newRow("category 3") << "3 - C" << "" << 3;
    QTest::newRow("no leading number is entry 0") << "Blue" << "" << 0;
    QTest::newRow("number above 256 stores nothing") << "300 - X" << "" << -1;
    QTest::newRow("negative number stores nothing") << "-1 - X" << "" << -1;
    QTest::newRow("number read after the dialog closes") << "1 - A" << "4 - D" << 4;
}

void TestOptions::categoryColourFromCombo()
{
    QFETCH(QString, comboText);
    QFETCH(QString, textDuringDialog);
    QFETCH(int, entry);

    Session s(kPie);
    vp::ChartState& st = s.w().state;
    st.itemColors.fill(kSentinel);
    setSwatch(s.ui().Picture1, kSentinel);
    s.ui().Combo1->setEditText(comboText);
    if (!textDuringDialog.isEmpty())
        s.p.whileColourShown = [&] { s.ui().Combo1->setEditText(textDuringDialog); };
    const vp::Colour before3 = s.w().PieChart1().Items().Item(3).Color();
    s.p.chooseColor(Qt::red);
    s.ui().CmdColor->click();
    for (int i = 0; i <= 256; ++i)
        QCOMPARE(st.itemColors[i], i == entry ? kRed : kSentinel);
    QCOMPARE(swatchColour(s.ui().Picture1), entry >= 0 ? kRed : kSentinel);
    QCOMPARE(s.w().PieChart1().Items().Item(3).Color(), before3); // only at Ok
}

void TestOptions::comboPickShowsCategoryColour()
{
    Session s(kPie);
    QComboBox* combo = s.ui().Combo1;
    s.w().state.itemColors[2] = vp::rgb(9, 99, 199);
    combo->setCurrentIndex(1);
    emit combo->activated(1);
    QCOMPARE(swatchColour(s.ui().Picture1), vp::rgb(9, 99, 199));

    // A typed number outside the table leaves the swatch as it is.
    combo->setEditText("999 - Z");
    emit combo->activated(1);
    QCOMPARE(swatchColour(s.ui().Picture1), vp::rgb(9, 99, 199));
}

void TestOptions::colourButtons_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("swatch");
    QTest::addColumn<QString>("field");

    QTest::newRow("Bar Color") << "CmdColor" << "Picture1" << "itemColors(2)";
    QTest::newRow("Background") << "Command2" << "Picture2" << "chartBackColor";
    QTest::newRow("Bar Outline") << "Command5" << "Picture3" << "barOutlineColor";
    QTest::newRow("Border Color") << "Command6" << "Picture4" << "chartBorderColor";
    QTest::newRow("Fore Color") << "Command11" << "Picture5" << "chartForeColor";
    QTest::newRow("values text Color") << "Command37" << "Picture11" << "valuesTextColor";
    QTest::newRow("reference line Color") << "Command39" << "Picture12" << "refLineColors(4)";
}

void TestOptions::colourButtons()
{
    QFETCH(QString, button);
    QFETCH(QString, swatch);
    QFETCH(QString, field);

    Session s(kBar);
    vp::ChartState& st = s.w().state;
    s.ui().Combo1->setEditText("2 - South");
    s.ui().Combo3->setEditText("4");
    const std::map<QString, vp::Colour*> fields = {
        {"itemColors(2)", &st.itemColors[2]},   {"chartBackColor", &st.chartBackColor},
        {"barOutlineColor", &st.barOutlineColor}, {"chartBorderColor", &st.chartBorderColor},
        {"chartForeColor", &st.chartForeColor}, {"valuesTextColor", &st.valuesTextColor},
        {"refLineColors(4)", &st.refLineColors[4]}};
    vp::Colour& stored = *fields.at(field);
    auto* pressed = s.w().findChild<QPushButton*>(button);
    auto* box = s.w().findChild<QWidget*>(swatch);
    stored = kSentinel;
    setSwatch(box, kSentinel);

    s.p.cancelColor();
    pressed->click();
    QVERIFY(s.p.messages.isEmpty());
    s.p.failColor(7, "Out of memory");
    pressed->click();
    QCOMPARE(s.p.messages, QStringList("Error 7 selecting color.\r\nOut of memory"));
    QCOMPARE(stored, kSentinel);
    QCOMPARE(swatchColour(box), kSentinel);

    s.p.chooseColor(QColor(12, 34, 56));
    pressed->click();
    QCOMPARE(stored, vp::rgb(12, 34, 56));
    QCOMPARE(swatchColour(box), vp::rgb(12, 34, 56));
    QCOMPARE(s.p.colorShown, 3);
}

// ---- fonts ----

void TestOptions::fontButtons_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("faceName");
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("shown"); // "<previous>": the box keeps its text

    QTest::newRow("title font chosen") << "Command12" << "Text5" << "Serif" << 0 << "Serif";
    QTest::newRow("blank title name keeps the box")
        << "Command12" << "Text5" << "  " << 0 << "<previous>";
    QTest::newRow("blank item axis name is shown")
        << "Command13" << "Text6" << "  " << 0 << "  ";
    QTest::newRow("unit axis font") << "Command14" << "Text7" << "Mono" << 0 << "Mono";
    QTest::newRow("values font") << "Command15" << "Text8" << "Mono" << 0 << "Mono";
    QTest::newRow("legend font") << "Command16" << "Text9" << "Mono" << 0 << "Mono";
    QTest::newRow("item font") << "Command38" << "Text20" << "Mono" << 0 << "Mono";
    QTest::newRow("dialog failure still copies")
        << "Command16" << "Text9" << "Mono" << 28663 << "Mono";
    QTest::newRow("cancel changes nothing")
        << "Command12" << "Text5" << "Mono" << int(kDialogCancelled) << "<previous>";
}

void TestOptions::fontButtons()
{
    QFETCH(QString, button);
    QFETCH(QString, box);
    QFETCH(QString, faceName);
    QFETCH(int, error);
    QFETCH(QString, shown);

    Session s(kBar);
    vp::ChartState& st = s.w().state;
    const std::map<QString, vp::FontChoice*> choices = {
        {"Command12", &st.titleFont},  {"Command13", &st.itemAxisFont},
        {"Command14", &st.unitAxisFont}, {"Command15", &st.valuesFont},
        {"Command16", &st.legendFont}, {"Command38", &st.itemFont}};
    vp::FontChoice& choice = *choices.at(button);
    const vp::FontChoice before = choice;
    auto* text = s.w().findChild<QLineEdit*>(box);
    const QString previous = text->text();
    QVERIFY(!previous.trimmed().isEmpty());

    FontDialogState answer;
    answer.FontName = faceName;
    answer.FontSize = 13.5;
    answer.FontBold = true;
    answer.FontStrikethru = true;
    s.p.fontAnswers.push_back({{error, "failed"}, answer});
    s.w().findChild<QPushButton*>(button)->click();

    QCOMPARE(s.w().Dlgfont.Flags, 1);
    QCOMPARE(text->text(), shown == "<previous>" ? previous : shown);
    if (error == kDialogCancelled) {
        QCOMPARE(choice.name, before.name);
        QCOMPARE(choice.size, before.size);
    } else {
        QCOMPARE(QString::fromStdString(choice.name), faceName);
        QCOMPARE(choice.size, 13.5);
        QVERIFY(choice.bold && !choice.italic && !choice.underline && choice.strikethrough);
    }
    QVERIFY(s.p.messages.isEmpty());
}

void TestOptions::makeFontsSameAsTitle()
{
    Session s(kBar);
    vp::ChartState& st = s.w().state;
    FontDialogState title;
    title.FontName = "DejaVu Serif";
    title.FontSize = 15.5;
    title.FontBold = title.FontItalic = title.FontUnderline = title.FontStrikethru = true;
    FontDialogState item;
    item.FontName = "DejaVu Sans Mono";
    item.FontSize = 9;
    s.p.fontAnswers.push_back({{}, title});
    s.p.fontAnswers.push_back({{}, item});
    s.ui().Command12->click();
    s.ui().Command38->click();
    s.ui().Command17->click();

    for (const vp::FontChoice* f :
         {&st.itemAxisFont, &st.unitAxisFont, &st.valuesFont, &st.legendFont}) {
        QCOMPARE(f->name, std::string("DejaVu Serif"));
        QCOMPARE(f->size, 15.5);
        QVERIFY(f->bold && f->italic && f->underline && f->strikethrough);
    }
    for (QLineEdit* box : {s.ui().Text6, s.ui().Text7, s.ui().Text8, s.ui().Text9})
        QCOMPARE(box->text(), QString("DejaVu Serif"));
    QCOMPARE(s.ui().Text20->text(), QString("DejaVu Sans Mono"));
    QCOMPARE(st.itemFont.name, std::string("DejaVu Sans Mono"));

    // At Ok only name and size reach the chart; its styles stay its own.
    AxisChart& bar = s.w().barchart1();
    const QFont captionBefore = bar.CaptionFont().font();
    const QFont legendBefore = bar.LegendFont().font();
    s.ui().Command22->click();
    QCOMPARE(bar.ValuesFont().Size(), 15.5);
    QCOMPARE(bar.CaptionFont().Size(), 15.5);
    QCOMPARE(bar.ItemFont().Size(), 9.0);
    QCOMPARE(bar.CaptionFont().Name(), QString("DejaVu Serif"));
    for (const auto& [after, before] : {std::pair(bar.CaptionFont().font(), captionBefore),
                                        std::pair(bar.LegendFont().font(), legendBefore)}) {
        QCOMPARE(after.bold(), before.bold());
        QCOMPARE(after.italic(), before.italic());
        QCOMPARE(after.underline(), before.underline());
        QCOMPARE(after.strikeOut(), before.strikeOut());
    }
}

// ---- background image ----

void TestOptions::browseDialog()
{
    Session s(kPie);
    s.p.openAnswers.push_back({{kDialogCancelled, {}}, {}});
    s.p.openAnswers.push_back({{20477, "File name is invalid"}, {}});
    s.p.answerOpen("/pictures/back.bmp");
    s.ui().Command10->click();
    QVERIFY(s.p.messages.isEmpty());
    s.ui().Command10->click();
    QCOMPARE(s.p.messages, QStringList("Error 20477 selecting file.\r\nFile name is invalid"));
    QVERIFY(s.ui().Text4->text().isEmpty());
    QVERIFY(s.w().state.backImagePath.empty());

    s.ui().Command10->click();
    const FileDialogState& shown = s.p.lastOpen;
    QCOMPARE(shown.DialogTitle, QString("Open File"));
    QCOMPARE(shown.InitDir, QString::fromStdString(s.w().state.appFolder));
    QCOMPARE(shown.Filter,
             QString("Image Files(*.BMP;*.JPG;*.GIF)|*.BMP;*.JPG;*.GIF|All files (*.*)|*.*"));
    QCOMPARE(shown.FilterIndex, 1);
    QCOMPARE(shown.Flags,
             cdlOFNHideReadOnly | cdlOFNFileMustExist | cdlOFNExplorer | cdlOFNLongNames);
    QCOMPARE(s.ui().Text4->text(), QString("/pictures/back.bmp"));
    QCOMPARE(s.w().state.backImagePath, std::string("/pictures/back.bmp"));
    QVERIFY(!s.ui().Check1->isChecked());
}

void TestOptions::backgroundImageOnOffOn_data()
{
    QTest::addColumn<QByteArray>("definition");
    QTest::newRow("pie") << kPie;
    QTest::newRow("bar") << kBar;
}

void TestOptions::backgroundImageOnOffOn()
{
    QFETCH(QByteArray, definition);

    Session s(definition);
    ChartComponent& chart = s.w().ui.PieChart1->isHidden()
                                ? static_cast<ChartComponent&>(s.w().barchart1())
                                : s.w().PieChart1();
    const vp::Colour magenta = vp::rgb(255, 0, 255);
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(QColor(255, 0, 255));
    const QString file = s.dir.filePath("back.bmp");
    QVERIFY(picture.save(file, "BMP"));

    s.p.answerOpen(file);
    s.ui().Command10->click();
    s.ui().TamCmd1->click();
    QVERIFY(!chart.ShowBackImage()); // chosen, not yet switched on
    QCOMPARE(countPixels(chart.renderImage(kPictureSize), magenta), 0);

    s.ui().Check1->setChecked(true);
    s.ui().Command21->click();
    QVERIFY(chart.ShowBackImage());
    QCOMPARE(chart.BackImageDrawMode(), 1);
    QCOMPARE(chart.BackImage().size(), QSize(40, 30));
    QVERIFY(countPixels(chart.renderImage(kPictureSize), magenta) > 1000);

    s.ui().Check1->setChecked(false);
    s.ui().Command21->click();
    QVERIFY(!chart.ShowBackImage());
    QCOMPARE(countPixels(chart.renderImage(kPictureSize), magenta), 0);

    // On again without browsing: the kept path is loaded again.
    s.ui().Check1->setChecked(true);
    s.ui().Command21->click();
    QVERIFY(chart.ShowBackImage());
    QCOMPARE(s.p.openShown, 1);
    QVERIFY(s.p.messages.isEmpty());
}

void TestOptions::unloadableBackgroundImage()
{
    Session s(kBar);
    AxisChart& bar = s.w().barchart1();
    s.ui().Check1->setChecked(true);
    s.ui().TamCmd1->click(); // no file chosen yet
    QCOMPARE(s.p.messages.size(), 1);
    QVERIFY(!bar.ShowBackImage());

    const QString broken = s.writeFile("broken.bmp", "this is not a picture");
    s.p.answerOpen(broken);
    s.ui().Command10->click();
    s.ui().TamCmd1->click();
    QCOMPARE(s.p.messages.size(), 2);
    QVERIFY(s.p.messages.last().contains(broken));
    QVERIFY(!bar.ShowBackImage());
    QVERIFY(bar.BackImage().isNull());
    QCOMPARE(bar.BackImageDrawMode(), 0);
    QVERIFY(s.ui().SSTab1->isHidden());
}

void TestOptions::orientationChangesBarShape()
{
    Session s(kOneBar);
    const vp::Colour fill = vp::rgb(20, 120, 220);
    s.w().state.itemColors[1] = fill;
    s.ui().TamCmd1->click();
    const QRect upright = pixelBounds(s.w().barchart1().renderImage(kSquare), fill);
    QVERIFY(upright.height() > upright.width());

    s.ui().Opthoriz->click();
    s.ui().Command18->click();
    const QRect lying = pixelBounds(s.w().barchart1().renderImage(kSquare), fill);
    QVERIFY(lying.width() > lying.height());
}

QTEST_MAIN(TestOptions)
#include "tst_options.moc"
