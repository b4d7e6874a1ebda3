// The options panel, driven through its real widgets with a scripted
// platform: what each Ok carries to the chart, what the tab buttons collect,
// and what the user then sees in the chart's picture.
#include "axischart.h"
#include "optionshelpers.h"
#include "piechart.h"
#include "pixels.h"
#include "testfiles.h"

#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <map>
#include <memory>
#include <optional>

namespace {

const QByteArray kPie = "VGRAPH,SIMPLEPIECHART,x,\"Fruit\",1,\"Count\"\n12, A\n30, B\n8, C\n5, D\n";
const QByteArray kBar = "VGRAPH,SIMPLEBARCHART,x,\"Sales\",2,\"North\",\"South\"\n3,4,Q1\n5,6,Q2\n7,8,Q3\n";
// One visible bar among three categories: a third of the plot across.
const QByteArray kOneBar = "VGRAPH,SIMPLEBARCHART,x,\"One\",1,\"N\"\n10,A\n0,B\n0,C\n";
constexpr vp::Colour kSentinel = vp::rgb(1, 2, 3);

// A scripted platform that can act while the colour dialog is open.
struct HookedPlatform : ScriptedPlatform {
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
        write("~VGRAPH.TMP", definition);
        p.programFolder = dir.path();
        p.commandLine = write("settings.ini", "\"C:\\data\\\",name,10\n");
        window = std::make_unique<frmsimplechart>(p);
        window->Form_Load();
    }
    QString write(const QString& name, const QByteArray& bytes)
    {
        QFile f(dir.filePath(name));
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
        return f.fileName();
    }
    frmsimplechart& w() { return *window; }
    template <class T> T* ctl(const char* name) { return ::ctl<T>(*window, name); }
    vp::ChartState& st() { return window->context().state; }
    PieChart& pie() { return window->context().pie; }
    AxisChart& bar() { return window->context().bar; }
    ChartComponent& shown() { return pie().isHidden() ? static_cast<ChartComponent&>(bar()) : pie(); }
    template <class T = QPushButton> T* find(const QString& name) { return window->findChild<T*>(name); }
};

// Reads the chart property an option maps to, after writing `set` if given.
int property(Session& s, const QString& name, std::optional<int> set = {})
{
    if (name == "LegendPos") return set ? (s.shown().setLegendPos(*set), *set) : s.shown().LegendPos();
    if (name == "PieLabelMode") return set ? (s.pie().setPieLabelMode(*set), *set) : s.pie().PieLabelMode();
    if (name == "BarStackingMode") return set ? (s.bar().setBarStackingMode(*set), *set) : s.bar().BarStackingMode();
    if (name == "SeriesBarSpacing") return set ? (s.bar().setSeriesBarSpacing(*set), *set) : s.bar().SeriesBarSpacing();
    return set ? (s.bar().setOrientation(*set), *set) : s.bar().Orientation();
}

// A font dialog answer; styles "B", "I", "U", "S" for bold, italic, underline, strikethrough.
FontDialogState font(const QString& name, double size, const QString& styles)
{
    FontDialogState f;
    f.FontName = name, f.FontSize = size;
    f.FontBold = styles.contains('B'), f.FontItalic = styles.contains('I');
    f.FontUnderline = styles.contains('U'), f.FontStrikethru = styles.contains('S');
    return f;
}

QColor qc(vp::Colour c) { return QColor(vp::redOf(c), vp::greenOf(c), vp::blueOf(c)); }

px::Area drawn(ChartComponent& chart, vp::Colour c, QSize size = QSize(480, 360))
{
    return px::area(chart.renderImage(size), qc(c));
}

} // namespace

class TestOptions : public QObject {
    Q_OBJECT
private slots:
    void optionMappings_data()
    {
        QTest::addColumn<QByteArray>("definition");
        QTest::addColumn<QString>("option"); // empty: none clicked
        QTest::addColumn<QString>("property");
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("after");
        // clang-format off
        QTest::newRow("pie legend right")  << kPie << "OptLegRight"  << "LegendPos" << 1 << 0;
        QTest::newRow("pie legend top")    << kPie << "OptLegTop"    << "LegendPos" << 0 << 2;
        QTest::newRow("bar legend left")   << kBar << "optlegLeft"   << "LegendPos" << 0 << 1;
        QTest::newRow("bar legend bottom") << kBar << "OptLegBottom" << "LegendPos" << 0 << 3;
        QTest::newRow("labels inside")     << kPie << "optLabelsInside"  << "PieLabelMode" << 1 << 0;
        QTest::newRow("labels outside")    << kPie << "OptLabelsOutside" << "PieLabelMode" << 0 << 1;
        QTest::newRow("stacked")           << kBar << "OPTSTACKED" << "BarStackingMode" << 0 << 1;
        QTest::newRow("stacked to 100%")   << kBar << "OPT100PCT"  << "BarStackingMode" << 0 << 2;
        QTest::newRow("grouped")           << kBar << "OPTGROUPED" << "BarStackingMode" << 1 << 0;
        QTest::newRow("spacing none")      << kBar << "Option1_0"  << "SeriesBarSpacing" << 1 << 0;
        QTest::newRow("spacing 10%")       << kBar << "Option1_1"  << "SeriesBarSpacing" << 0 << 1;
        QTest::newRow("spacing 25%")       << kBar << "Option1_2"  << "SeriesBarSpacing" << 0 << 2;
        QTest::newRow("spacing 50%")       << kBar << "Option1_3"  << "SeriesBarSpacing" << 0 << 3;
        QTest::newRow("no spacing option (as at start) keeps spacing") << kBar << "" << "SeriesBarSpacing" << 3 << 3;
        QTest::newRow("horizontal")        << kBar << "Opthoriz"   << "Orientation" << 0 << 1;
        QTest::newRow("vertical")          << kBar << "optvert"    << "Orientation" << 1 << 0;
        // clang-format on
    }
    void optionMappings()
    {
        QFETCH(QByteArray, definition); QFETCH(QString, option); QFETCH(QString, property);
        QFETCH(int, before); QFETCH(int, after);
        Session s(definition);
        s.w().optionsPanel().mnuoptions_Click();
        if (!option.isEmpty())
            s.find<QRadioButton>(option)->click();
        ::property(s, property, before);
        s.ctl<QPushButton>("TamCmd1")->click();
        QCOMPARE(::property(s, property), after);
        QVERIFY(s.ctl<QTabWidget>("SSTab1")->isHidden());
    }

    // Percentages then numbers: the second ShowValues call decides.
    void pieShowValuesLastCallWins()
    {
        for (const auto& [percentages, numbers] : {std::pair(true, true), {true, false}, {false, true}}) {
            Session s(kPie);
            s.ctl<QCheckBox>("Check5")->setChecked(percentages);
            s.ctl<QCheckBox>("Check2")->setChecked(numbers);
            s.pie().ShowValues(!numbers);
            s.ctl<QPushButton>("Command19")->click();
            QCOMPARE(s.pie().valuesShown(), numbers);
        }
    }

    void explodedSlicesFollowOutsideList()
    {
        Session s(kPie);
        auto state = [&] {
            QString pulled;
            for (int i = 1; i <= s.pie().Items().Count(); ++i)
                pulled += s.pie().Items().Item(i).Exploded() ? '1' : '0';
            for (int j = 0; j < s.ctl<QListWidget>("List2")->count(); ++j)
                pulled += ' ' + s.ctl<QListWidget>("List2")->item(j)->text();
            return pulled;
        };
        s.ctl<QListWidget>("List1")->clearSelection();
        s.ctl<QListWidget>("List1")->item(1)->setSelected(true);
        s.ctl<QListWidget>("List1")->item(3)->setSelected(true);
        s.ctl<QPushButton>("Command3")->click();
        QCOMPARE(state(), QString("0000 B D")); // collected only
        s.ctl<QPushButton>("Command19")->click();
        QCOMPARE(state(), QString("0101 B D"));
        // Removing B returns slice 2 at the next Ok; nothing current removes nothing.
        s.ctl<QListWidget>("List2")->setCurrentRow(0);
        s.ctl<QPushButton>("Command4")->click();
        s.ctl<QListWidget>("List2")->setCurrentRow(-1);
        s.ctl<QPushButton>("Command4")->click();
        s.w().optionsPanel().mnuoptions_Click();
        s.ctl<QPushButton>("TamCmd1")->click();
        QCOMPARE(state(), QString("0001 D"));
        // Labels already present are not added twice; the rest follow in order.
        s.ctl<QListWidget>("List1")->selectAll();
        s.ctl<QListWidget>("List1")->item(1)->setSelected(false);
        s.ctl<QPushButton>("Command3")->click();
        s.ctl<QPushButton>("Command3")->click();
        QCOMPARE(state(), QString("0001 D A C"));
    }

    // The texts of the Labels tab, the appended blank, the graduated colours.
    void labelsTab()
    {
        Session s(kBar);
        for (int cycle = 0; cycle < 3; ++cycle) {
            s.w().optionsPanel().mnuoptions_Click();
            s.ctl<QPushButton>("TamCmd1")->click();
        }
        QCOMPARE(s.bar().UnitAxisLabel(), QString("Count   "));
        QCOMPARE(s.bar().ItemAxisLabel(), QString("Sales   "));
        const QString legendTitle = s.bar().LegendTitle();
        s.w().optionsPanel().mnuoptions_Click();
        s.ctl<QLineEdit>("Text1")->clear();
        s.ctl<QLineEdit>("txtCaption")->setText(" ");
        s.ctl<QLineEdit>("Text2")->clear();
        s.ctl<QPushButton>("TamCmd1")->click();
        QVERIFY(!legendTitle.isEmpty());
        QCOMPARE(s.bar().LegendTitle(), legendTitle); // empty box skipped
        QCOMPARE(s.bar().Caption(), QString(" "));     // one blank applied as typed
        QCOMPARE(s.bar().UnitAxisLabel(), QString(" "));

        Session pie(kPie);
        pie.ctl<QCheckBox>("Check3")->setChecked(true);
        pie.ctl<QPushButton>("Command20")->click();
        pie.ctl<QCheckBox>("Check3")->setChecked(false);
        pie.ctl<QPushButton>("Command20")->click();
        for (int i = 1; i <= pie.pie().Items().Count(); ++i)
            QCOMPARE(pie.pie().Items().Item(i).FillMode(), 2);
    }

    void okAndCancelButtons_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("kind"); // empty: the kind the file gave
        QTest::addColumn<bool>("applies");
        for (const char* tab : {"Labels:TamCmd1:Command1", "Pie:Command19:Command27", "Color:Command20:Command26",
                                "Bar:Command18:Command25", "Image:Command21:Command24", "Fonts:Command22:Command23"}) {
            const QStringList t = QString(tab).split(':');
            QTest::addRow("%s Ok", qPrintable(t[0])) << t[1] << "" << true;
            QTest::addRow("%s Cancel", qPrintable(t[0])) << t[2] << "" << false;
        }
        QTest::newRow("Ok with kind BARCHART only hides") << "TamCmd1" << "BARCHART" << false;
        QTest::newRow("Ok with kind PIECHART only hides") << "Command18" << "PIECHART" << false;
    }
    void okAndCancelButtons()
    {
        QFETCH(QString, button); QFETCH(QString, kind); QFETCH(bool, applies);
        Session s(kBar);
        if (!kind.isEmpty())
            s.st().chartKind = vp::parseChartKind(kind.toStdString());
        s.ctl<QAction>("mnuoptions")->trigger();
        QVERIFY(!s.ctl<QTabWidget>("SSTab1")->isHidden());
        s.ctl<QLineEdit>("txtCaption")->setText("New caption");
        s.ctl<QRadioButton>("Opthoriz")->click();
        s.find(button)->click();
        QVERIFY(s.ctl<QTabWidget>("SSTab1")->isHidden());
        QCOMPARE(s.bar().Caption(), applies ? QString("New caption") : QString("Sales"));
        QCOMPARE(s.bar().Orientation(), applies ? 1 : 0);
        QCOMPARE(s.bar().UnitAxisLabel(), applies ? QString("Count ") : QString("Count"));
        QCOMPARE(s.ctl<QLineEdit>("txtCaption")->text(), QString("New caption")); // kept for the next Ok
    }

    void openingRefillsPanel()
    {
        Session s(kBar);
        QCOMPARE(s.ctl<QTabWidget>("SSTab1")->currentIndex(), 4); // first show: the Image tab
        s.pie().setLegendPos(2), s.bar().setLegendPos(3); // the option comes from the pie, even for bars
        s.w().optionsPanel().mnuoptions_Click();
        QVERIFY(s.ctl<QRadioButton>("OptLegTop")->isChecked());
        QCOMPARE(s.ctl<QLineEdit>("Text3")->text(), QString("Sales"));
        // Unapplied choices are overwritten by the next opening; the tab stays.
        s.ctl<QLineEdit>("Text2")->setText("Typed");
        s.ctl<QRadioButton>("OptLegBottom")->click();
        s.ctl<QTabWidget>("SSTab1")->setCurrentIndex(2);
        s.ctl<QPushButton>("Command26")->click();
        s.pie().setLegendPos(9); // unknown: the option group stays
        s.w().optionsPanel().mnuoptions_Click();
        QCOMPARE(s.ctl<QLineEdit>("Text2")->text(), QString("Count"));
        QVERIFY(s.ctl<QRadioButton>("OptLegBottom")->isChecked());
        QCOMPARE(s.ctl<QTabWidget>("SSTab1")->currentIndex(), 2);

        // "BARCHART": Combo1 is rebuilt with one entry per series, numbers in full.
        s.st().chartKind = vp::ChartKind::Bar;
        s.st().seriesCount = 12;
        for (int i = 1; i <= 12; ++i)
            s.st().seriesNames[i] = "S" + std::to_string(i);
        s.st().itemColors[1] = vp::rgb(7, 8, 9);
        s.w().optionsPanel().mnuoptions_Click();
        QCOMPARE(s.ctl<QComboBox>("Combo1")->count(), 12);
        QCOMPARE(s.ctl<QComboBox>("Combo1")->itemText(11) + '|' + s.ctl<QComboBox>("Combo1")->currentText(), QString("12 - S12|1 - S1"));
        QCOMPARE(swatchColour(s.ctl<QFrame>("Picture1")), vp::rgb(7, 8, 9));
    }

    void palettes_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("rows"); // 0: the file's own four rows
        QTest::addColumn<int>("lastCopied");
        QTest::newRow("grays over four rows") << "Command7" << 0 << 4;
        QTest::newRow("pastel over four rows") << "Command8" << 0 << 4;
        QTest::newRow("bright over four rows") << "Command9" << 0 << 4;
        QTest::newRow("grays reach row 256") << "Command7" << 256 << 256;
        QTest::newRow("pastel has no row 256") << "Command8" << 256 << 255;
    }
    void palettes()
    {
        QFETCH(QString, button); QFETCH(int, rows); QFETCH(int, lastCopied);
        Session s(kPie);
        vp::ChartState& st = s.st();
        if (rows > 0)
            st.rowCount = static_cast<std::int16_t>(rows);
        st.itemColors.fill(kSentinel);
        const auto palette = [&](int i) {
            return button == "Command7" ? st.grayColors[i] : button == "Command8" ? st.pastelColors[i] : st.brightColors[i];
        };
        s.find(button)->click();
        for (int i = 0; i <= 256; ++i)
            QCOMPARE(st.itemColors[i], i >= 1 && i <= lastCopied ? palette(i) : kSentinel);
        QCOMPARE(swatchColour(s.ctl<QFrame>("Picture1")), palette(1));
    }

    // A palette reaches the picture at Ok, not at Cancel; the Background
    // colour reaches a pie at once and the bar chart only at Ok.
    void colourReachesChart()
    {
        Session s(kPie);
        const vp::Colour pastel = s.st().pastelColors[1];
        s.w().optionsPanel().mnuoptions_Click();
        s.ctl<QPushButton>("Command8")->click();
        s.ctl<QPushButton>("Command26")->click();
        QCOMPARE(drawn(s.pie(), pastel).count, 0);
        s.w().optionsPanel().mnuoptions_Click();
        s.ctl<QPushButton>("Command20")->click();
        QVERIFY(drawn(s.pie(), pastel).count > 500);

        Session b(kBar);
        const vp::Colour green = vp::rgb(0, 200, 0), barBack = b.bar().BackColor();
        QVERIFY(barBack != green);
        b.p.chooseColor(qc(green));
        b.ctl<QPushButton>("Command2")->click();
        QCOMPARE(b.pie().BackColor(), green);
        QCOMPARE(b.bar().BackColor(), barBack);
        b.ctl<QPushButton>("Command20")->click();
        QCOMPARE(b.bar().BackColor(), green);
    }

    void categoryColourFromCombo_data()
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
    void categoryColourFromCombo()
    {
        QFETCH(QString, comboText); QFETCH(QString, textDuringDialog); QFETCH(int, entry);
        Session s(kPie);
        s.st().itemColors.fill(kSentinel);
        setSwatch(s.ctl<QFrame>("Picture1"), kSentinel);
        s.ctl<QComboBox>("Combo1")->setEditText(comboText);
        if (!textDuringDialog.isEmpty())
            s.p.whileColourShown = [&] { s.ctl<QComboBox>("Combo1")->setEditText(textDuringDialog); };
        const vp::Colour before3 = s.pie().Items().Item(3).Color();
        s.p.chooseColor(Qt::red);
        s.ctl<QPushButton>("CmdColor")->click();
        for (int i = 0; i <= 256; ++i)
            QCOMPARE(s.st().itemColors[i], i == entry ? vp::rgb(255, 0, 0) : kSentinel);
        QCOMPARE(swatchColour(s.ctl<QFrame>("Picture1")), entry >= 0 ? vp::rgb(255, 0, 0) : kSentinel);
        QCOMPARE(s.pie().Items().Item(3).Color(), before3); // only at Ok
        // Picking an entry shows its colour; a number outside the table leaves the swatch.
        s.st().itemColors[2] = vp::rgb(9, 99, 199);
        s.ctl<QComboBox>("Combo1")->setCurrentIndex(1);
        emit s.ctl<QComboBox>("Combo1")->activated(1);
        s.ctl<QComboBox>("Combo1")->setEditText("999 - Z");
        emit s.ctl<QComboBox>("Combo1")->activated(1);
        QCOMPARE(swatchColour(s.ctl<QFrame>("Picture1")), vp::rgb(9, 99, 199));
    }

    void colourButtons_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("swatch");
        QTest::addColumn<int>("field"); // index into the fields below
        QTest::newRow("Bar Color stores itemColors(2)") << "CmdColor" << "Picture1" << 0;
        QTest::newRow("Background") << "Command2" << "Picture2" << 1;
        QTest::newRow("Bar Outline") << "Command5" << "Picture3" << 2;
        QTest::newRow("Border Color") << "Command6" << "Picture4" << 3;
        QTest::newRow("Fore Color") << "Command11" << "Picture5" << 4;
        QTest::newRow("values text Color") << "Command37" << "Picture11" << 5;
        QTest::newRow("reference line Color stores refLineColors(4)") << "Command39" << "Picture12" << 6;
    }
    // Cancel is silent, a failing dialog reports its error, a choice is
    // stored and shown in the button's swatch.
    void colourButtons()
    {
        QFETCH(QString, button); QFETCH(QString, swatch); QFETCH(int, field);
        Session s(kBar);
        vp::ChartState& st = s.st();
        s.ctl<QComboBox>("Combo1")->setEditText("2 - South");
        s.ctl<QComboBox>("Combo3")->setEditText("4");
        vp::Colour* fields[] = {&st.itemColors[2],   &st.chartBackColor,  &st.barOutlineColor, &st.chartBorderColor,
                                &st.chartForeColor,  &st.valuesTextColor, &st.refLineColors[4]};
        vp::Colour& stored = *fields[field];
        auto* box = s.find<QWidget>(swatch);
        stored = kSentinel;
        setSwatch(box, kSentinel);
        s.p.cancelColor();
        s.find(button)->click();
        QVERIFY(s.p.messages.isEmpty());
        s.p.failColor(7, "Out of memory");
        s.find(button)->click();
        QCOMPARE(s.p.messages, QStringList("Error 7 selecting color.\r\nOut of memory"));
        QVERIFY(stored == kSentinel && swatchColour(box) == kSentinel);
        s.p.chooseColor(QColor(12, 34, 56));
        s.find(button)->click();
        QCOMPARE(stored, vp::rgb(12, 34, 56));
        QCOMPARE(swatchColour(box), vp::rgb(12, 34, 56));
    }

    void fontButtons_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("faceName");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("shown"); // "<previous>": the box keeps its text
        // clang-format off
        QTest::newRow("title font chosen")              << "Command12" << "Text5"  << "Serif" << 0 << "Serif";
        QTest::newRow("blank title name keeps the box") << "Command12" << "Text5"  << "  "    << 0 << "<previous>";
        QTest::newRow("blank item axis name is shown")  << "Command13" << "Text6"  << "  "    << 0 << "  ";
        QTest::newRow("unit axis font")                 << "Command14" << "Text7"  << "Mono"  << 0 << "Mono";
        QTest::newRow("values font")                    << "Command15" << "Text8"  << "Mono"  << 0 << "Mono";
        QTest::newRow("legend font")                    << "Command16" << "Text9"  << "Mono"  << 0 << "Mono";
        QTest::newRow("item font")                      << "Command38" << "Text20" << "Mono"  << 0 << "Mono";
        QTest::newRow("dialog failure still copies")    << "Command16" << "Text9"  << "Mono"  << 28663 << "Mono";
        QTest::newRow("cancel changes nothing")         << "Command12" << "Text5"  << "Mono"  << int(kDialogCancelled) << "<previous>";
        // clang-format on
    }
    void fontButtons()
    {
        QFETCH(QString, button); QFETCH(QString, box); QFETCH(QString, faceName); QFETCH(int, error);
        QFETCH(QString, shown);
        Session s(kBar);
        vp::ChartState& st = s.st();
        const std::map<QString, vp::FontChoice*> choices = {
            {"Command12", &st.titleFont},  {"Command13", &st.itemAxisFont}, {"Command14", &st.unitAxisFont},
            {"Command15", &st.valuesFont}, {"Command16", &st.legendFont},   {"Command38", &st.itemFont}};
        vp::FontChoice& choice = *choices.at(button);
        const vp::FontChoice before = choice;
        const QString previous = s.find<QLineEdit>(box)->text();
        s.p.fontAnswers.push_back({{error, "failed"}, font(faceName, 13.5, "BS")});
        s.find(button)->click();
        QCOMPARE(s.p.lastFontFlags, 1);
        QCOMPARE(s.find<QLineEdit>(box)->text(), shown == "<previous>" ? previous : shown);
        const bool copied = error != kDialogCancelled;
        QCOMPARE(QString::fromStdString(choice.name), copied ? faceName : QString::fromStdString(before.name));
        QCOMPARE(choice.size, copied ? 13.5 : before.size);
        QVERIFY(!copied || (choice.bold && !choice.italic && !choice.underline && choice.strikethrough));
        QVERIFY(s.p.messages.isEmpty());
    }

    void makeFontsSameAsTitle()
    {
        Session s(kBar);
        s.p.fontAnswers = {{{}, font("DejaVu Serif", 15.5, "BIUS")}, {{}, font("DejaVu Sans Mono", 9, "")}};
        s.ctl<QPushButton>("Command12")->click();
        s.ctl<QPushButton>("Command38")->click();
        s.ctl<QPushButton>("Command17")->click();
        const vp::ChartState& st = s.st();
        for (const vp::FontChoice* f : {&st.itemAxisFont, &st.unitAxisFont, &st.valuesFont, &st.legendFont})
            QVERIFY(f->name == "DejaVu Serif" && f->size == 15.5 && f->bold && f->italic && f->underline
                    && f->strikethrough);
        for (QLineEdit* box : {s.ctl<QLineEdit>("Text6"), s.ctl<QLineEdit>("Text7"), s.ctl<QLineEdit>("Text8"), s.ctl<QLineEdit>("Text9")})
            QCOMPARE(box->text(), QString("DejaVu Serif"));
        QCOMPARE(s.ctl<QLineEdit>("Text20")->text(), QString("DejaVu Sans Mono"));
        QCOMPARE(st.itemFont.name, std::string("DejaVu Sans Mono"));

        // At Ok only name and size reach the chart; its styles stay its own.
        const QFont captionBefore = s.bar().CaptionFont().font(), legendBefore = s.bar().LegendFont().font();
        s.ctl<QPushButton>("Command22")->click();
        QCOMPARE(s.bar().ValuesFont().Size(), 15.5);
        QCOMPARE(s.bar().ItemFont().Size(), 9.0);
        QCOMPARE(s.bar().CaptionFont().Name(), QString("DejaVu Serif"));
        for (const auto& [after, before] : {std::pair(s.bar().CaptionFont().font(), captionBefore),
                                            std::pair(s.bar().LegendFont().font(), legendBefore)})
            QVERIFY(after.bold() == before.bold() && after.italic() == before.italic()
                    && after.underline() == before.underline() && after.strikeOut() == before.strikeOut());
    }

    void backgroundImageOnOffOn()
    {
        for (const QByteArray& definition : {kPie, kBar}) {
            Session s(definition);
            const vp::Colour magenta = vp::rgb(255, 0, 255);
            QImage picture(40, 30, QImage::Format_RGB32);
            picture.fill(qc(magenta));
            QVERIFY(picture.save(s.dir.filePath("back.bmp"), "BMP"));
            s.p.answerOpen(s.dir.filePath("back.bmp"));
            s.ctl<QPushButton>("Command10")->click();
            s.ctl<QPushButton>("TamCmd1")->click();
            QCOMPARE(drawn(s.shown(), magenta).count, 0); // chosen, not yet switched on
            for (bool on : {true, false, true}) {          // on again without browsing: the kept path
                s.ctl<QCheckBox>("Check1")->setChecked(on);
                s.ctl<QPushButton>("Command21")->click();
                QCOMPARE(s.shown().ShowBackImage(), on);
                QCOMPARE(drawn(s.shown(), magenta).count > 1000, on);
            }
            QCOMPARE(s.shown().BackImageDrawMode(), 1);
            QCOMPARE(s.shown().BackImage().size(), QSize(40, 30));
            QVERIFY(s.p.openShown == 1 && s.p.messages.isEmpty());
        }
    }

    void browseAndUnloadableImage()
    {
        Session s(kBar);
        s.p.openAnswers = {{{kDialogCancelled, {}}, {}}, {{20477, "File name is invalid"}, {}}};
        s.ctl<QPushButton>("Command10")->click();
        QVERIFY(s.p.messages.isEmpty());
        s.ctl<QPushButton>("Command10")->click();
        QCOMPARE(s.p.messages, QStringList("Error 20477 selecting file.\r\nFile name is invalid"));
        QVERIFY(s.ctl<QLineEdit>("Text4")->text().isEmpty() && s.st().backImagePath.empty());
        s.ctl<QCheckBox>("Check1")->setChecked(true);
        s.ctl<QPushButton>("TamCmd1")->click(); // no file chosen yet
        QCOMPARE(s.p.messages.size(), 2);
        QVERIFY(!s.bar().ShowBackImage());

        s.ctl<QCheckBox>("Check1")->setChecked(false);
        const QString broken = s.write("broken.bmp", "this is not a picture");
        s.p.answerOpen(broken);
        s.ctl<QPushButton>("Command10")->click();
        const FileDialogState& shown = s.p.lastOpen;
        QCOMPARE(shown.DialogTitle, QString("Open File"));
        QCOMPARE(shown.InitDir, QString::fromStdString(s.st().appFolder));
        QCOMPARE(shown.Filter, QString("Image Files(*.BMP;*.JPG;*.GIF)|*.BMP;*.JPG;*.GIF|All files (*.*)|*.*"));
        QCOMPARE(shown.FilterIndex, 1);
        QCOMPARE(shown.Flags, cdlOFNHideReadOnly | cdlOFNFileMustExist | cdlOFNExplorer | cdlOFNLongNames);
        QCOMPARE(s.ctl<QLineEdit>("Text4")->text(), broken);
        QVERIFY(!s.ctl<QCheckBox>("Check1")->isChecked()); // Browse does not switch the image on
        s.ctl<QCheckBox>("Check1")->setChecked(true);
        s.ctl<QPushButton>("TamCmd1")->click();
        QCOMPARE(s.p.messages.size(), 3);
        QVERIFY(s.p.messages.last().contains(broken));
        QVERIFY(!s.bar().ShowBackImage() && s.bar().BackImage().isNull());
        QCOMPARE(s.bar().BackImageDrawMode(), 0);
        QVERIFY(s.ctl<QTabWidget>("SSTab1")->isHidden());
    }

    void orientationChangesBarShape()
    {
        Session s(kOneBar);
        const vp::Colour fill = vp::rgb(20, 120, 220);
        s.st().itemColors[1] = fill;
        s.ctl<QPushButton>("TamCmd1")->click();
        const QRect upright = drawn(s.bar(), fill, QSize(400, 400)).box;
        QVERIFY(upright.height() > upright.width());
        s.ctl<QRadioButton>("Opthoriz")->click();
        s.ctl<QPushButton>("Command18")->click();
        const QRect lying = drawn(s.bar(), fill, QSize(400, 400)).box;
        QVERIFY(lying.width() > lying.height());
    }
};

QTEST_MAIN(TestOptions)
#include "tst_options.moc"
