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

// One run of the program on a definition file, started up and ready.
struct Session : StartedWindow {
    ScriptedPlatform& p = platform;
    explicit Session(const QByteArray& definition) { start(definition); }
    vp::ChartState& st() { return window->context().state; }
    PieChart& pie() { return window->context().pie; }
    AxisChart& bar() { return window->context().bar; }
    ChartComponent& shown()
    {
        return pie().isHidden() ? static_cast<ChartComponent&>(bar()) : pie();
    }
    // Clicks the named buttons in turn; "open" opens the options panel.
    void press(const QString& names)
    {
        for (const QString& name : names.split(' '))
            name == "open" ? window->optionsPanel().mnuoptions_Click() : find(name)->click();
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

} // namespace

class TestOptions : public QObject
{
    Q_OBJECT
  private slots:
    void applyPass_data() { caseRows("tst_options-apply"); }
    // A tab's Ok writes the panel's values to the chart and hides the panel;
    // Cancel, or an Ok for a kind other than the file's, only hides it.
    void applyPass()
    {
        Session s(cell("chart") == "pie" ? kPie : kBar);
        if (!cell("kind").isEmpty())
            s.st().chartKind = vp::parseChartKind(cell("kind").toStdString());
        s.find<QAction>("mnuoptions")->trigger();
        QVERIFY(!s.find<QTabWidget>("SSTab1")->isHidden());
        const QString caption = s.shown().Caption();
        s.find<QLineEdit>("txtCaption")->setText("New caption");
        if (!cell("option").isEmpty())
            s.find<QRadioButton>(cell("option"))->click();
        ::property(s, cell("property"), cell("before").toInt());
        s.find(cell("button"))->click();
        QVERIFY(s.find<QTabWidget>("SSTab1")->isHidden());
        QCOMPARE(::property(s, cell("property")), cell("after").toInt());
        QCOMPARE(s.shown().Caption(), cell("applies") == "1" ? QString("New caption") : caption);
    }

    void explodedSlicesFollowOutsideList()
    {
        Session s(kPie);
        auto* all = s.find<QListWidget>("List1");
        auto* outside = s.find<QListWidget>("List2");
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
        s.press("Command3");
        QCOMPARE(state(), QString("0000 B D")); // collected only
        s.press("Command19");
        QCOMPARE(state(), QString("0101 B D"));
        // Removing B returns slice 2 at the next Ok; nothing current removes nothing.
        outside->setCurrentRow(0);
        s.find("Command4")->click();
        outside->setCurrentRow(-1);
        s.press("Command4 open TamCmd1");
        QCOMPARE(state(), QString("0001 D"));
        // Labels already present are not added twice; the rest follow in order.
        all->selectAll();
        all->item(1)->setSelected(false);
        s.press("Command3 Command3");
        QCOMPARE(state(), QString("0001 D A C"));
    }

    // The texts of the Labels tab, the appended blank, the graduated colours.
    void labelsTab()
    {
        Session s(kBar);
        s.press("open TamCmd1 open TamCmd1 open TamCmd1");
        QCOMPARE(s.bar().UnitAxisLabel() + '|' + s.bar().ItemAxisLabel(),
                 QString("Count   |Sales   "));
        const QString legendTitle = s.bar().LegendTitle();
        s.press("open");
        s.find<QLineEdit>("Text1")->clear();
        s.find<QLineEdit>("txtCaption")->setText(" ");
        s.find<QLineEdit>("Text2")->clear();
        s.find("TamCmd1")->click();
        QVERIFY(!legendTitle.isEmpty());
        QCOMPARE(s.bar().LegendTitle(), legendTitle); // empty box skipped
        QCOMPARE(s.bar().Caption() + '|' + s.bar().UnitAxisLabel(),
                 QString(" | ")); // one blank applied as typed

        Session pie(kPie);
        for (bool graduated : {true, false}) {
            pie.find<QCheckBox>("Check3")->setChecked(graduated);
            pie.find("Command20")->click();
        }
        for (int i = 1; i <= pie.pie().Items().Count(); ++i)
            QCOMPARE(pie.pie().Items().Item(i).FillMode(), 2);
    }

    // Opening fills the panel from the chart, overwriting unapplied choices;
    // the tab stays. The legend option comes from the pie, even for bars.
    void openingRefillsPanel()
    {
        Session s(kBar);
        s.pie().setLegendPos(2);
        s.bar().setLegendPos(3);
        s.press("open");
        QVERIFY(s.find<QRadioButton>("OptLegTop")->isChecked());
        s.find<QLineEdit>("Text2")->setText("Typed");
        s.find<QTabWidget>("SSTab1")->setCurrentIndex(2);
        s.press("Command26 open");
        QCOMPARE(s.find<QLineEdit>("Text2")->text() + '|' + s.find<QLineEdit>("Text3")->text(),
                 QString("Count|Sales"));
        QCOMPARE(s.find<QTabWidget>("SSTab1")->currentIndex(), 2);
        // Picking a Combo1 entry shows the colour stored at opening time. (Its
        // entries, one per series numbered in full: TestBuild::builds.)
        s.st().itemColors[2] = vp::rgb(9, 99, 199);
        s.press("open");
        auto* combo = s.find<QComboBox>("Combo1");
        combo->setCurrentIndex(1);
        emit combo->activated(1);
        QCOMPARE(swatchColour(s.find<QFrame>("Picture1")), vp::rgb(9, 99, 199));
    }

    void palettes_data() { caseRows("tst_options-palettes"); }
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
        QCOMPARE(swatchColour(s.find<QFrame>("Picture1")), palette(1));
    }

    void colourButtons_data() { caseRows("tst_options-colours"); }
    // Cancel is silent, a failing dialog reports its error, a choice is
    // stored and shown in the button's swatch; a category colour is stored
    // under the number Combo1 shows once the dialog closes (none outside
    // 0..256).
    void colourButtons()
    {
        const QString button = cell("button"), field = cell("field"),
                      late = cell("textDuringDialog");
        Session s(kBar);
        vp::ChartState& st = s.st();
        auto* combo = s.find<QComboBox>("Combo1");
        combo->setEditText(cell("comboText"));
        s.find<QComboBox>("Combo3")->setEditText("4");
        if (!late.isEmpty())
            s.p.whileColorShown = [&] { combo->setEditText(late); };
        const std::map<QString, vp::Colour*> fields{
            {"chartBackColor", &st.chartBackColor},   {"barOutlineColor", &st.barOutlineColor},
            {"chartForeColor", &st.chartForeColor},   {"chartBorderColor", &st.chartBorderColor},
            {"valuesTextColor", &st.valuesTextColor}, {"refLineColors4", &st.refLineColors[4]}};
        vp::Colour* stored = field.startsWith("itemColors") ? &st.itemColors[field.mid(10).toInt()]
                             : field == "none"              ? nullptr
                                                            : fields.at(field);
        st.itemColors.fill(kSentinel);
        if (stored)
            *stored = kSentinel;
        auto* box = s.find<QWidget>(cell("swatch"));
        setSwatch(box, kSentinel);
        const vp::Colour series2 = s.bar().Series().Item(2).Color();
        s.p.cancelColor();
        s.find(button)->click();
        QVERIFY(s.p.messages.isEmpty());
        s.p.failColor(7, "Out of memory");
        s.find(button)->click();
        QCOMPARE(s.p.messages, QStringList("Error 7 selecting color.\r\nOut of memory"));
        QVERIFY((!stored || *stored == kSentinel) && swatchColour(box) == kSentinel);
        s.p.chooseColor(QColor(12, 34, 56));
        s.find(button)->click();
        QVERIFY(!stored || *stored == vp::rgb(12, 34, 56));
        QCOMPARE(swatchColour(box), stored ? vp::rgb(12, 34, 56) : kSentinel);
        for (int i = 0; i <= 256; ++i)
            QVERIFY(&st.itemColors[i] == stored || st.itemColors[i] == kSentinel);
        // A pie takes its background at once; the bar chart takes it, and
        // every other colour, only at Ok.
        const bool back = field == "chartBackColor";
        QCOMPARE(s.pie().BackColor() == vp::rgb(12, 34, 56), back);
        QVERIFY(s.bar().BackColor() != vp::rgb(12, 34, 56) &&
                s.bar().Series().Item(2).Color() == series2);
        s.press("Command20");
        QCOMPARE(s.bar().BackColor() == vp::rgb(12, 34, 56), back);
    }

    void fontButtons_data() { caseRows("tst_options-fonts"); }
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
        s.p.fontAnswers.push_back({{error.toInt(), "failed"},
                                   FontDialogState{0, faceName, 13.5, true, false, false, true}});
        s.find(button)->click();
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
        s.p.fontAnswers = {{{}, {0, "DejaVu Serif", 15.5, true, true, true, true}},
                           {{}, {0, "DejaVu Sans Mono", 9}}};
        s.press("Command12 Command38 Command17");
        const vp::ChartState& st = s.st();
        for (const vp::FontChoice* f :
             {&st.itemAxisFont, &st.unitAxisFont, &st.valuesFont, &st.legendFont})
            QVERIFY(f->name == "DejaVu Serif" && f->size == 15.5 && f->bold && f->italic &&
                    f->underline && f->strikethrough);
        for (const char* box : {"Text6", "Text7", "Text8", "Text9"})
            QCOMPARE(s.find<QLineEdit>(box)->text(), QString("DejaVu Serif"));
        QCOMPARE(s.find<QLineEdit>("Text20")->text(), QString("DejaVu Sans Mono"));
        QCOMPARE(st.itemFont.name, std::string("DejaVu Sans Mono"));

        // At Ok only name and size reach the chart; its styles stay its own.
        auto styles = [&] {
            QList<bool> out;
            for (const QFont& f : {s.bar().CaptionFont().font(), s.bar().LegendFont().font()})
                out << f.bold() << f.italic() << f.underline() << f.strikeOut();
            return out;
        };
        const QList<bool> stylesBefore = styles();
        s.find("Command22")->click();
        QCOMPARE(styles(), stylesBefore);
        QCOMPARE(s.bar().ValuesFont().Size(), 15.5);
        QCOMPARE(s.bar().ItemFont().Size(), 9.0);
        QCOMPARE(s.bar().CaptionFont().Name(), QString("DejaVu Serif"));
    }

    // The chosen picture shows on either chart once switched on at Ok, and
    // again without browsing.
    void backgroundImageOnOffOn()
    {
        for (const QByteArray& definition : {kPie, kBar}) {
            Session s(definition);
            QImage picture(40, 30, QImage::Format_RGB32);
            picture.fill(Qt::magenta);
            QVERIFY(picture.save(s.dir.filePath("back.bmp"), "BMP"));
            s.p.answerOpen(s.dir.filePath("back.bmp"));
            s.press("Command10 TamCmd1"); // chosen, not yet switched on
            QCOMPARE(px::area(s.shown().renderImage(QSize(480, 360)), Qt::magenta).count, 0);
            for (bool on : {true, false, true}) {
                s.find<QCheckBox>("Check1")->setChecked(on);
                s.find("Command21")->click();
                QCOMPARE(px::area(s.shown().renderImage(QSize(480, 360)), Qt::magenta).count > 1000,
                         on);
            }
            QVERIFY(s.shown().BackImageDrawMode() == 1 && s.p.openShown == 1 &&
                    s.p.messages.isEmpty());
        }
    }

    // Browse: Cancel is silent, a failing dialog reports its error and leaves
    // no file; Ok with the image switched on but no file reports that. (An
    // unloadable file at Ok: TestFaults::backgroundImageGoneAfterBrowse.)
    void browseFailures()
    {
        Session s(kBar);
        s.p.openAnswers = {{{kDialogCancelled, {}}, {}}, {{20477, "File name is invalid"}, {}}};
        s.press("Command10 Command10"); // the cancel is silent: one message only
        QCOMPARE(s.p.messages, QStringList("Error 20477 selecting file.\r\nFile name is invalid"));
        QVERIFY(s.find<QLineEdit>("Text4")->text().isEmpty() && s.st().backImagePath.empty());
        s.find<QCheckBox>("Check1")->setChecked(true);
        s.press("TamCmd1"); // no file chosen yet
        QCOMPARE(s.p.messages.size(), 2);
        QVERIFY(!s.bar().ShowBackImage() && s.bar().BackImage().isNull());
    }
};

QTEST_MAIN(TestOptions)
#include "tst_options.moc"
