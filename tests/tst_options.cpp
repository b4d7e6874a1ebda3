// SPDX-License-Identifier: GPL-3.0-or-later
// The options panel and the menu commands as the user drives them: each case
// of tests/cases/options-script.tsv starts the program on a chart, runs a
// script of clicks, typing and dialog answers, and then reads what the
// controls, the two chart components and the program show. The colour tables
// are checked entry by entry against tests/cases/options-palettes.tsv.
#include "pixels.h"
#include "qtext.h"
#include "testfiles.h"

#include <QClipboard>
#include <QtTest>

#include <functional>
#include <map>

namespace
{

const QByteArray kPie = "VGRAPH,SIMPLEPIECHART,x,\"Fruit\",1,\"Count\"\n12, A\n30, B\n8, C\n5, D\n";
const QByteArray kBar =
    "VGRAPH,SIMPLEBARCHART,x,\"Sales\",2,\"North\",\"South\"\n3, 4, Q1\n5, 6, Q2\n7, 8, Q3\n";
// A pie of 200 slices; a bar chart of 254 series over three rows.
const QByteArray kManySlices =
    "VGRAPH,SIMPLEPIECHART,x,\"Many\",1,\"n\"\n" + unescape("\\*1-200(#, s#\\n)");
const QByteArray kManySeries =
    "VGRAPH,SIMPLEBARCHART,x,\"Many\",254" + unescape("\\*1-254(,s#)\\n\\*3(\\*254(1, )r\\n)");

// A dialog's answer: "cancel", "error N TEXT" (which also serves as the
// value), or the value itself.
DialogOutcome outcome(const QString& answer, QString* value)
{
    *value = answer.startsWith("error ") ? answer.section(' ', 2) : answer;
    return answer == "cancel"            ? DialogOutcome{kDialogCancelled, {}}
           : answer.startsWith("error ") ? DialogOutcome{answer.section(' ', 1, 1).toInt(), *value}
                                         : DialogOutcome{};
}

// One run of the program, driven step by step.
struct Session : StartedWindow {
    std::function<void()> restoreHome = [] {};
    ~Session() { restoreHome(); }
    QString at(QString text) const { return text.replace("{t}", dir.path()); }

    // open | menu ACTION | click BUTTON | set CONTROL VALUE | pick COMBO INDEX |
    // kind KIND | colour/font/file/save ANSWER | meanwhile STEP (while the colour
    // dialog is open) | picture NAME (a magenta BMP) | home [SUBFOLDER] | show |
    // switch | move WIDGET X,Y | press WIDGET BUTTON (near its top left corner)
    void step(const QString& text)
    {
        const QString verb = text.section(' ', 0, 0), name = text.section(' ', 1, 1),
                      rest = at(text.section(' ', 2)), arg = at(text.section(' ', 1));
        frmsimplechart& w = *window;
        QObject* control = w.findChild<QObject*>(name);
        QString value;
        const DialogOutcome answer = outcome(arg, &value);
        if (verb == "open" || verb == "menu")
            ctl<QAction>(w, verb == "open" ? "mnuoptions" : qPrintable(name))->trigger();
        else if (verb == "click")
            ctl<QAbstractButton>(w, qPrintable(name))->click();
        else if (auto* box = qobject_cast<QComboBox*>(control); verb == "pick")
            box->setCurrentIndex(rest.toInt()), emit box->activated(rest.toInt());
        else if (verb == "set" && qobject_cast<QAbstractButton*>(control))
            qobject_cast<QAbstractButton*>(control)->setChecked(rest == "1");
        else if (verb == "set" && qobject_cast<QLineEdit*>(control))
            qobject_cast<QLineEdit*>(control)->setText(rest);
        else if (verb == "set" && box)
            box->setEditText(rest);
        else if (verb == "set" && qobject_cast<QTabWidget*>(control))
            qobject_cast<QTabWidget*>(control)->setCurrentIndex(rest.toInt());
        else if (auto* list = qobject_cast<QListWidget*>(control); verb == "set") {
            list->setCurrentRow(-1, QItemSelectionModel::Clear);
            for (const QString& row : rest.split(',', Qt::SkipEmptyParts))
                list->setCurrentRow(row.toInt(), QItemSelectionModel::Select);
        } else if (verb == "kind")
            w.context().state.chartKind = vp::parseChartKind(name.toStdString());
        else if (verb == "colour")
            platform.colorAnswers.push_back({answer, QColor(value)});
        else if (const QStringList f = value.split('/'); verb == "font")
            platform.fontAnswers.push_back(
                {answer,
                 {0, f[0], f.value(1).toDouble(), f.value(2).contains('b'),
                  f.value(2).contains('i'), f.value(2).contains('u'), f.value(2).contains('s')}});
        else if (verb == "file" || verb == "save")
            (verb == "file" ? platform.openAnswers : platform.saveAnswers)
                .push_back({answer, value.isEmpty() ? value : path(value)});
        else if (verb == "meanwhile")
            platform.whileColorShown = [this, arg] { step(arg); };
        else if (QImage picture(40, 30, QImage::Format_RGB32); verb == "picture")
            picture.fill(Qt::magenta), picture.save(path(name), "BMP");
        else if (verb == "home") {
            QDir().mkpath(path("home/" + name));
            restoreHome = [home = qgetenv("HOME"), config = qgetenv("XDG_CONFIG_HOME")] {
                qputenv("HOME", home), qputenv("XDG_CONFIG_HOME", config);
            };
            qputenv("HOME", QFile::encodeName(path("home"))), qunsetenv("XDG_CONFIG_HOME");
        } else if (verb == "show") {
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
        } else if (auto* at = qobject_cast<QWidget*>(control); verb == "move")
            at->move(rest.section(',', 0, 0).toInt(), rest.section(',', 1).toInt());
        else if (QWidget* hit = at && at->childAt(2, 2) ? at->childAt(2, 2) : at; verb == "press")
            QTest::mousePress(hit, Qt::MouseButton(rest.toInt()), {},
                              hit->mapFrom(at, QPoint(2, 2)));
        else if (verb == "switch") // the command of the switched-off menu item
            w.menuCommands().mnuswitch_Click();
        else
            QFAIL(qPrintable("unknown step " + text));
    }

    // pie.P / bar.P: a property of that chart component (Description: what
    // screen readers are told; Colors, Exploded and
    // FillMode for every slice or series, Color.i for one, drawn.#rrggbb:
    // whether the picture shows that colour, picture.NAME: whether it is the
    // picture kept as NAME); ended, status and messages of
    // the program; savefolder: where the save dialog opens; files: those in
    // the program folder; kind: the chart kind; clipboard, picture.NAME:
    // whose picture ("pie", "bar") the clipboard or a saved file holds;
    // copied: the clipboard's text; offered: its formats in order; else
    // seenAs().
    QString seen(const QString& target)
    {
        const ChartContext& parts = window->context();
        AxisChart& bar = parts.bar;
        const auto whose = [&](const QImage& picture) { // which component drew it
            const QImage image = picture.convertToFormat(QImage::Format_RGB32);
            return image.isNull()                                                           ? "none"
                   : image == parts.pie.renderImage().convertToFormat(QImage::Format_RGB32) ? "pie"
                   : image == bar.renderImage().convertToFormat(QImage::Format_RGB32)       ? "bar"
                                                                                      : "other";
        };
        const bool isPie = target.startsWith("pie.");
        if (!isPie && !target.startsWith("bar."))
            return target == "ended"        ? QString::number(platform.ended)
                   : target == "status"     ? QString::number(platform.exitStatus)
                   : target == "messages"   ? platform.messages.join('|')
                   : target == "savefolder" ? platform.lastSave.InitDir
                   : target == "files"      ? entries(dir.path()).join('|')
                   : target == "kind"       ? toQ(vp::chartKindName(parts.state.chartKind))
                   : target == "clipboard"  ? whose(QGuiApplication::clipboard()->image())
                   : target == "copied"     ? QGuiApplication::clipboard()->text()
                   : target == "offered" && QGuiApplication::clipboard()->mimeData()
                       ? QGuiApplication::clipboard()->mimeData()->formats().join('|')
                   : target.startsWith("picture.") ? whose(QImage(path(target.mid(8))))
                                                   : seenAs(*window, target);
        ChartComponent& c = isPie ? static_cast<ChartComponent&>(parts.pie) : parts.bar;
        const QString p = target.section('.', 1, 1), arg = target.section('.', 2);
        const auto colour = [&](int i) {
            return qc(isPie ? parts.pie.Items().Item(i).Color() : bar.Series().Item(i).Color())
                .name();
        };
        const auto font = [](ChartFont& f) {
            return f.Name() + ' ' + QString::number(f.Size()) + (f.font().bold() ? " b" : "") +
                   (f.font().italic() ? " i" : "") + (f.font().underline() ? " u" : "") +
                   (f.font().strikeOut() ? " s" : "");
        };
        QStringList each;
        const int count = isPie ? parts.pie.Items().Count() : bar.Series().Count();
        for (int i = 1; i <= count && (p == "Colors" || p == "Exploded" || p == "FillMode"); ++i)
            each << (p == "Colors"     ? colour(i)
                     : p == "Exploded" ? QString::number(parts.pie.Items().Item(i).Exploded())
                                       : QString::number(parts.pie.Items().Item(i).FillMode()));
        const std::map<QString, std::function<QVariant()>> read{
            {"Caption", [&] { return c.Caption(); }},
            {"Description",
             [&] {
                 return QAccessible::queryAccessibleInterface(&c)->text(QAccessible::Description);
             }},
            {"LegendTitle", [&] { return c.LegendTitle(); }},
            {"LegendPos", [&] { return c.LegendPos(); }},
            {"ShowLegend", [&] { return int(c.ShowLegend()); }},
            {"ShowValues", [&] { return int(c.valuesShown()); }},
            {"BackColor", [&] { return qc(c.BackColor()).name(); }},
            {"ShowBackImage", [&] { return int(c.ShowBackImage()); }},
            {"BackImageDrawMode", [&] { return c.BackImageDrawMode(); }},
            {"Visible", [&] { return int(c.Visible()); }},
            {"CaptionFont", [&] { return font(c.CaptionFont()); }},
            {"LegendFont", [&] { return font(c.LegendFont()); }},
            {"PieLabelMode", [&] { return parts.pie.PieLabelMode(); }},
            {"BarStackingMode", [&] { return bar.BarStackingMode(); }},
            {"SeriesBarSpacing", [&] { return bar.SeriesBarSpacing(); }},
            {"Orientation", [&] { return bar.Orientation(); }},
            {"ShowUnitAxisGridLines", [&] { return int(bar.ShowUnitAxisGridLines()); }},
            {"UnitAxisLabel", [&] { return bar.UnitAxisLabel(); }},
            {"ItemAxisLabel", [&] { return bar.ItemAxisLabel(); }},
            {"BorderColor", [&] { return qc(bar.BorderColor()).name(); }},
            {"ForeColor", [&] { return qc(bar.ForeColor()).name(); }},
            {"BarOutlineColor", [&] { return qc(bar.BarOutlineColor()).name(); }},
            {"ValuesTextColor", [&] { return qc(bar.ValuesTextColor()).name(); }},
            {"ItemAxisLabelFont", [&] { return font(bar.ItemAxisLabelFont()); }},
            {"UnitAxisLabelFont", [&] { return font(bar.UnitAxisLabelFont()); }},
            {"ValuesFont", [&] { return font(bar.ValuesFont()); }},
            {"ItemFont", [&] { return font(bar.ItemFont()); }},
            {"Color", [&] { return colour(arg.toInt()); }},
            {"picture",
             [&] { // against tests/cases/pictures/ARG.png
                 const QImage image = c.renderImage(QSize(400, 300));
                 const QString file = QStringLiteral(VELDRA_CASES_DIR "/pictures/") + arg + ".png";
                 if (qEnvironmentVariableIsSet("VELDRA_NEW_PICTURES")) // after a wanted change
                     image.save(file);
                 return QImage(file).convertToFormat(image.format()) == image ? "same" : "changed";
             }},
            {"drawn", [&] {
                 return int(px::area(c.renderImage(QSize(480, 360)), QColor(arg)).count > 1000);
             }}};
        return read.count(p) ? read.at(p)().toString() : each.join(p == "Exploded" ? "" : "|");
    }
};

} // namespace

class TestOptions : public QObject
{
    Q_OBJECT
  private slots:
    void script_data() { caseRows("options-script"); }
    // Steps before "load" run before start-up, on the designed controls. An
    // expected "~" is the value before the steps after "load".
    void script()
    {
        const QStringList steps = cell("steps").split(" ; ", Qt::SkipEmptyParts),
                          expect = cell("expect").split(" ; ");
        const qsizetype load = steps.indexOf("load");
        const QString chart = cell("chart");
        Session s;
        s.start(chart == "pie"   ? kPie
                : chart == "bar" ? kBar
                                 : chart.toUtf8(),
                "\"C:\\VELDRA\\\",analysis,10\r\n", [&](frmsimplechart&) {
                    for (qsizetype i = 0; i < load; ++i)
                        s.step(steps[i]);
                });
        QStringList before, seen, expected;
        for (const QString& e : expect)
            before << s.seen(e.section('=', 0, 0));
        for (qsizetype i = load + 1; i < steps.size(); ++i)
            s.step(steps[i]);
        for (qsizetype k = 0; k < expect.size(); ++k) {
            const QString target = expect[k].section('=', 0, 0), value = expect[k].section('=', 1);
            seen << target + '=' + s.seen(target);
            expected << target + '=' + (value == "~" ? before[k] : s.at(value));
        }
        QCOMPARE(seen.join(" ; "), expected.join(" ; "));
    }

    void palettes_data() { caseRows("options-palettes"); }
    // The colour of one entry as the chart shows it after the palette buttons
    // named were pressed and then Ok ("Picture1": the category swatch).
    void palettes()
    {
        const bool pie = cell("chart") == "pie";
        Session s;
        s.start(pie ? kManySlices : kManySeries);
        for (const QString& caption : cell("buttons").split(',', Qt::SkipEmptyParts))
            for (QPushButton* button : s.window->findChildren<QPushButton*>())
                if (button->text() == caption)
                    button->click();
        s.step("click TamCmd1");
        const QString entry = cell("entry");
        QCOMPARE(s.seen(entry == "Picture1" ? "Picture1.colour"
                                            : (pie ? "pie.Color." : "bar.Color.") + entry),
                 cell("rgb"));
    }
};

QTEST_MAIN(TestOptions)
#include "tst_options.moc"
