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

namespace
{

const QByteArray kPie = "VGRAPH,SIMPLEPIECHART,x,\"Fruit\",1,\"Count\"\n12, A\n30, B\n8, C\n5, D\n";
const QByteArray kBar =
    "VGRAPH,SIMPLEBARCHART,x,\"Sales\",2,\"North\",\"South\"\n3,4,Q1\n5,6,Q2\n7,8,Q3\n";
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
    ChartComponent& shown()
    {
        return pie().isHidden() ? static_cast<ChartComponent&>(bar()) : pie();
    }
    template <class T = QPushButton> T* find(const QString& name)
    {
        return window->findChild<T*>(name);
    }
};

// Reads the chart property an option maps to, after writing `set` if given.
int property(Session& s, const QString& name, std::optional<int> set = {})
{
    if (name == "LegendPos")
        return set ? (s.shown().setLegendPos(*set), *set) : s.shown().LegendPos();
    if (name == "PieLabelMode")
        return set ? (s.pie().setPieLabelMode(*set), *set) : s.pie().PieLabelMode();
    if (name == "BarStackingMode")
        return set ? (s.bar().setBarStackingMode(*set), *set) : s.bar().BarStackingMode();
    if (name == "SeriesBarSpacing")
        return set ? (s.bar().setSeriesBarSpacing(*set), *set) : s.bar().SeriesBarSpacing();
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

QColor qc(vp::Colour c)
{
    return QColor(vp::redOf(c), vp::greenOf(c), vp::blueOf(c));
}

px::Area drawn(ChartComponent& chart, vp::Colour c, QSize size = QSize(480, 360))
{
    return px::area(chart.renderImage(size), qc(c));
}

} // namespace

class TestOptions : public QObject
{
    Q_OBJECT
  private slots:
    void applyPass_data() { addRows("tst_options-apply"); }
    // A tab's Ok writes the panel's values to the chart and hides the panel;
    // Cancel, or an Ok for a kind other than the file's, only hides it.
    void applyPass()
    {
        Session s(cell("chart") == "pie" ? kPie : kBar);
        if (!cell("kind").isEmpty())
            s.st().chartKind = vp::parseChartKind(cell("kind").toStdString());
        s.ctl<QAction>("mnuoptions")->trigger();
        QVERIFY(!s.ctl<QTabWidget>("SSTab1")->isHidden());
        const QString caption = s.shown().Caption();
        s.ctl<QLineEdit>("txtCaption")->setText("New caption");
        if (!cell("option").isEmpty())
            s.find<QRadioButton>(cell("option"))->click();
        ::property(s, cell("property"), cell("before").toInt());
        s.find(cell("button"))->click();
        QVERIFY(s.ctl<QTabWidget>("SSTab1")->isHidden());
        QCOMPARE(::property(s, cell("property")), cell("after").toInt());
        QCOMPARE(s.shown().Caption(), cell("applies") == "1" ? QString("New caption") : caption);
        QCOMPARE(s.ctl<QLineEdit>("txtCaption")->text(),
                 QString("New caption")); // kept for the next Ok
    }

    // Percentages then numbers: the second ShowValues call decides.
    void pieShowValuesLastCallWins()
    {
        for (const auto& [percentages, numbers] :
             {std::pair(true, true), {true, false}, {false, true}}) {
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
        auto* all = s.ctl<QListWidget>("List1");
        auto* outside = s.ctl<QListWidget>("List2");
        auto state = [&] {
            QString pulled;
            for (int i = 1; i <= s.pie().Items().Count(); ++i)
                pulled += s.pie().Items().Item(i).Exploded() ? '1' : '0';
            for (int j = 0; j < outside->count(); ++j)
                pulled += ' ' + outside->item(j)->text();
            return pulled;
        };
        all->clearSelection();
        all->item(1)->setSelected(true);
        all->item(3)->setSelected(true);
        s.ctl<QPushButton>("Command3")->click();
        QCOMPARE(state(), QString("0000 B D")); // collected only
        s.ctl<QPushButton>("Command19")->click();
        QCOMPARE(state(), QString("0101 B D"));
        // Removing B returns slice 2 at the next Ok; nothing current removes nothing.
        outside->setCurrentRow(0);
        s.ctl<QPushButton>("Command4")->click();
        outside->setCurrentRow(-1);
        s.ctl<QPushButton>("Command4")->click();
        s.w().optionsPanel().mnuoptions_Click();
        s.ctl<QPushButton>("TamCmd1")->click();
        QCOMPARE(state(), QString("0001 D"));
        // Labels already present are not added twice; the rest follow in order.
        all->selectAll();
        all->item(1)->setSelected(false);
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
        QCOMPARE(s.bar().UnitAxisLabel() + '|' + s.bar().ItemAxisLabel(),
                 QString("Count   |Sales   "));
        const QString legendTitle = s.bar().LegendTitle();
        s.w().optionsPanel().mnuoptions_Click();
        s.ctl<QLineEdit>("Text1")->clear();
        s.ctl<QLineEdit>("txtCaption")->setText(" ");
        s.ctl<QLineEdit>("Text2")->clear();
        s.ctl<QPushButton>("TamCmd1")->click();
        QVERIFY(!legendTitle.isEmpty());
        QCOMPARE(s.bar().LegendTitle(), legendTitle); // empty box skipped
        QCOMPARE(s.bar().Caption() + '|' + s.bar().UnitAxisLabel(),
                 QString(" | ")); // one blank applied as typed

        Session pie(kPie);
        for (bool graduated : {true, false}) {
            pie.ctl<QCheckBox>("Check3")->setChecked(graduated);
            pie.ctl<QPushButton>("Command20")->click();
        }
        for (int i = 1; i <= pie.pie().Items().Count(); ++i)
            QCOMPARE(pie.pie().Items().Item(i).FillMode(), 2);
    }

    void openingRefillsPanel()
    {
        Session s(kBar);
        QCOMPARE(s.ctl<QTabWidget>("SSTab1")->currentIndex(), 4); // first show: the Image tab
        s.pie().setLegendPos(2),
            s.bar().setLegendPos(3); // the option comes from the pie, even for bars
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
        auto* combo = s.ctl<QComboBox>("Combo1");
        QCOMPARE(combo->count(), 12);
        QCOMPARE(combo->itemText(11) + '|' + combo->currentText(), QString("12 - S12|1 - S1"));
        QCOMPARE(swatchColour(s.ctl<QFrame>("Picture1")), vp::rgb(7, 8, 9));
    }

    void palettes_data() { addRows("tst_options-palettes"); }
    void palettes()
    {
        const QString button = cell("button"), rows = cell("rows"), lastCopied = cell("lastCopied");
        Session s(kPie);
        vp::ChartState& st = s.st();
        if (rows.toInt() > 0)
            st.rowCount = static_cast<std::int16_t>(rows.toInt());
        st.itemColors.fill(kSentinel);
        const auto palette = [&](int i) {
            return button == "Command7"   ? st.grayColors[i]
                   : button == "Command8" ? st.pastelColors[i]
                                          : st.brightColors[i];
        };
        s.find(button)->click();
        for (int i = 0; i <= 256; ++i)
            QCOMPARE(st.itemColors[i], i >= 1 && i <= lastCopied.toInt() ? palette(i) : kSentinel);
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

    void categoryColourFromCombo_data() { addRows("tst_options-category"); }
    void categoryColourFromCombo()
    {
        const QString comboText = cell("comboText"), textDuringDialog = cell("textDuringDialog"),
                      entry = cell("entry");
        Session s(kPie);
        auto* combo = s.ctl<QComboBox>("Combo1");
        auto* swatch = s.ctl<QFrame>("Picture1");
        s.st().itemColors.fill(kSentinel);
        setSwatch(swatch, kSentinel);
        combo->setEditText(comboText);
        if (!textDuringDialog.isEmpty())
            s.p.whileColourShown = [&] { combo->setEditText(textDuringDialog); };
        const vp::Colour before3 = s.pie().Items().Item(3).Color();
        s.p.chooseColor(Qt::red);
        s.ctl<QPushButton>("CmdColor")->click();
        for (int i = 0; i <= 256; ++i)
            QCOMPARE(s.st().itemColors[i], i == entry.toInt() ? vp::rgb(255, 0, 0) : kSentinel);
        QCOMPARE(swatchColour(swatch), entry.toInt() >= 0 ? vp::rgb(255, 0, 0) : kSentinel);
        QCOMPARE(s.pie().Items().Item(3).Color(), before3); // only at Ok
        // Picking an entry shows its colour; a number outside the table leaves the swatch.
        s.st().itemColors[2] = vp::rgb(9, 99, 199);
        combo->setCurrentIndex(1);
        emit combo->activated(1);
        combo->setEditText("999 - Z");
        emit combo->activated(1);
        QCOMPARE(swatchColour(swatch), vp::rgb(9, 99, 199));
    }

    void colourButtons_data() { addRows("tst_options-colours"); }
    // Cancel is silent, a failing dialog reports its error, a choice is
    // stored and shown in the button's swatch.
    void colourButtons()
    {
        const QString button = cell("button"), swatch = cell("swatch"), field = cell("field");
        Session s(kBar);
        vp::ChartState& st = s.st();
        s.ctl<QComboBox>("Combo1")->setEditText("2 - South");
        s.ctl<QComboBox>("Combo3")->setEditText("4");
        const std::map<QString, vp::Colour*> fields{
            {"itemColors2", &st.itemColors[2]},       {"chartBackColor", &st.chartBackColor},
            {"barOutlineColor", &st.barOutlineColor}, {"chartBorderColor", &st.chartBorderColor},
            {"chartForeColor", &st.chartForeColor},   {"valuesTextColor", &st.valuesTextColor},
            {"refLineColors4", &st.refLineColors[4]}};
        vp::Colour& stored = *fields.at(field);
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

    void fontButtons_data() { addRows("tst_options-fonts"); }
    void fontButtons()
    {
        const QString button = cell("button"), box = cell("box"), faceName = cell("faceName"),
                      error = cell("error"), shown = cell("shown");
        Session s(kBar);
        vp::ChartState& st = s.st();
        const std::map<QString, vp::FontChoice*> choices = {
            {"Command12", &st.titleFont},    {"Command13", &st.itemAxisFont},
            {"Command14", &st.unitAxisFont}, {"Command15", &st.valuesFont},
            {"Command16", &st.legendFont},   {"Command38", &st.itemFont}};
        vp::FontChoice& choice = *choices.at(button);
        const vp::FontChoice before = choice;
        const QString previous = s.find<QLineEdit>(box)->text();
        s.p.fontAnswers.push_back({{error.toInt(), "failed"}, font(faceName, 13.5, "BS")});
        s.find(button)->click();
        QCOMPARE(s.p.lastFontFlags, 1);
        QCOMPARE(s.find<QLineEdit>(box)->text(), shown == "<previous>" ? previous : shown);
        const bool copied = error.toInt() != kDialogCancelled;
        QCOMPARE(QString::fromStdString(choice.name),
                 copied ? faceName : QString::fromStdString(before.name));
        QCOMPARE(choice.size, copied ? 13.5 : before.size);
        QVERIFY(!copied ||
                (choice.bold && !choice.italic && !choice.underline && choice.strikethrough));
        QVERIFY(s.p.messages.isEmpty());
    }

    void makeFontsSameAsTitle()
    {
        Session s(kBar);
        s.p.fontAnswers = {{{}, font("DejaVu Serif", 15.5, "BIUS")},
                           {{}, font("DejaVu Sans Mono", 9, "")}};
        s.ctl<QPushButton>("Command12")->click();
        s.ctl<QPushButton>("Command38")->click();
        s.ctl<QPushButton>("Command17")->click();
        const vp::ChartState& st = s.st();
        for (const vp::FontChoice* f :
             {&st.itemAxisFont, &st.unitAxisFont, &st.valuesFont, &st.legendFont})
            QVERIFY(f->name == "DejaVu Serif" && f->size == 15.5 && f->bold && f->italic &&
                    f->underline && f->strikethrough);
        for (QLineEdit* box : {s.ctl<QLineEdit>("Text6"), s.ctl<QLineEdit>("Text7"),
                               s.ctl<QLineEdit>("Text8"), s.ctl<QLineEdit>("Text9")})
            QCOMPARE(box->text(), QString("DejaVu Serif"));
        QCOMPARE(s.ctl<QLineEdit>("Text20")->text(), QString("DejaVu Sans Mono"));
        QCOMPARE(st.itemFont.name, std::string("DejaVu Sans Mono"));

        // At Ok only name and size reach the chart; its styles stay its own.
        const QFont captionBefore = s.bar().CaptionFont().font(),
                    legendBefore = s.bar().LegendFont().font();
        s.ctl<QPushButton>("Command22")->click();
        QCOMPARE(s.bar().ValuesFont().Size(), 15.5);
        QCOMPARE(s.bar().ItemFont().Size(), 9.0);
        QCOMPARE(s.bar().CaptionFont().Name(), QString("DejaVu Serif"));
        for (const auto& [after, before] : {std::pair(s.bar().CaptionFont().font(), captionBefore),
                                            std::pair(s.bar().LegendFont().font(), legendBefore)})
            QVERIFY(after.bold() == before.bold() && after.italic() == before.italic() &&
                    after.underline() == before.underline() &&
                    after.strikeOut() == before.strikeOut());
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
            for (bool on : {true, false, true}) { // on again without browsing: the kept path
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
};

QTEST_MAIN(TestOptions)
#include "tst_options.moc"
