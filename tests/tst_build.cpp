// The chart builds: palettes, the pie and the two bar kinds after start-up,
// checked on the components, the options panel and the batch renderer.
#include "axischart.h"
#include "optionshelpers.h"
#include "palette.h"
#include "piechart.h"
#include "testfiles.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

using vp::rgb;

class TestBuild : public QObject {
    Q_OBJECT
private slots:
    void palettes_data();
    void palettes();
    void pieBuild();
    void piePlacement();
    void simpleBar_data();
    void simpleBar();
    void stackedBar();
    void stackingModeFromDesignedButtons();
    void renderDescribeMatchesViewer_data();
    void renderDescribeMatchesViewer();
    void renderRefusesBadInput();
    void renderCommandLine_data();
    void renderCommandLine();
};

void TestBuild::palettes_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<int>("entry");
    QTest::addColumn<int>("colour");
    QTest::newRow("bright 1 red") << "bright" << 1 << rgb(255, 0, 0);
    QTest::newRow("bright 10 silver") << "bright" << 10 << rgb(192, 192, 192);
    QTest::newRow("bright 11 repeats yellow") << "bright" << 11 << rgb(255, 255, 0);
    QTest::newRow("bright 17 pink") << "bright" << 17 << rgb(255, 128, 128);
    QTest::newRow("bright 18 black") << "bright" << 18 << 0;
    QTest::newRow("bright 19 red again") << "bright" << 19 << rgb(255, 0, 0);
    QTest::newRow("bright 256 is entry 4, cyan") << "bright" << 256 << rgb(0, 255, 255);
    QTest::newRow("pastel 1") << "pastel" << 1 << rgb(245, 221, 183);
    QTest::newRow("pastel 56 last") << "pastel" << 56 << rgb(211, 215, 207);
    QTest::newRow("pastel 57 black") << "pastel" << 57 << 0;
    QTest::newRow("gray 1") << "gray" << 1 << rgb(32, 32, 32);
    QTest::newRow("gray 8 white") << "gray" << 8 << rgb(255, 255, 255);
    QTest::newRow("gray 16 white") << "gray" << 16 << rgb(255, 255, 255);
    QTest::newRow("gray 104 white") << "gray" << 104 << rgb(255, 255, 255);
    QTest::newRow("gray 105 black") << "gray" << 105 << 0;
}

void TestBuild::palettes()
{
    QFETCH(QString, table);
    QFETCH(int, entry);
    QFETCH(int, colour);
    vp::ChartState state;
    vp::fillPalettes(state);
    const int actual = table == "bright"   ? state.brightColors[entry]
                       : table == "pastel" ? state.pastelColors[entry]
                                           : state.grayColors[entry];
    QCOMPARE(actual, colour);
}

void TestBuild::pieBuild()
{
    StartedWindow s;
    frmsimplechart& w = s.start(kPieDefinition);
    QVERIFY2(s.platform.messages.isEmpty(), qPrintable(s.platform.messages.join('|')));
    PieChart& pie = w.context().pie;
    QVERIFY(pie.Visible());
    QVERIFY(!w.context().bar.Visible());
    QCOMPARE(pie.Items().Count(), 3);
    const QStringList labels{"Red", "Blue", "Green"};
    const double values[] = {12, 30, 8};
    const vp::Colour colours[] = {rgb(255, 0, 0), rgb(255, 255, 0), rgb(0, 0, 255)};
    for (int i = 1; i <= 3; ++i) {
        QCOMPARE(pie.Items().Item(i).Label(), labels[i - 1]);
        QCOMPARE(pie.Items().Item(i).Value(), values[i - 1]);
        QCOMPARE(pie.Items().Item(i).Color(), colours[i - 1]);
        QCOMPARE(w.context().state.itemColors[i], colours[i - 1]);
    }
    QCOMPARE(pie.Caption(), QStringLiteral("Favourite colour"));
    QCOMPARE(pie.LegendTitle(), QStringLiteral("Categories"));
    QCOMPARE(pie.LegendPos(), 0);
    QCOMPARE(ctl<QComboBox>(w, "Combo1")->count(), 3);
    QCOMPARE(ctl<QComboBox>(w, "Combo1")->itemText(1), QStringLiteral("2 - Blue"));
    QCOMPARE(ctl<QComboBox>(w, "Combo1")->currentText(), QStringLiteral("1 - Red"));
    QCOMPARE(ctl<QListWidget>(w, "List1")->count(), 3);
    QCOMPARE(ctl<QListWidget>(w, "List1")->item(2)->text(), QStringLiteral("Green"));
    QCOMPARE(swatchColour(ctl<QFrame>(w, "Picture1")), rgb(255, 0, 0));
    // The panel is adapted to a pie.
    QCOMPARE(ctl<QPushButton>(w, "CmdColor")->text(), QStringLiteral("Slice Clr"));
    QVERIFY(!ctl<QTabWidget>(w, "SSTab1")->isTabEnabled(3));
    QVERIFY(!ctl<QLabel>(w, "Label3")->isEnabled());
    QVERIFY(!ctl<QPushButton>(w, "Command13")->isEnabled());
    QVERIFY(!ctl<QPushButton>(w, "Command14")->isEnabled());
    QVERIFY(!ctl<QPushButton>(w, "Command38")->isEnabled());
    QVERIFY(ctl<QPushButton>(w, "Command12")->isEnabled());
    QVERIFY(ctl<QRadioButton>(w, "optLabelsInside")->isChecked());
    QVERIFY(ctl<QPushButton>(w, "Command3")->isEnabled());
    // The slice colours are in the picture.
    const QImage picture = pie.renderImage();
    QVERIFY(!picture.isNull());
    int seen = 0;
    for (vp::Colour c : colours) {
        const QRgb want = qRgb(vp::redOf(c), vp::greenOf(c), vp::blueOf(c));
        bool found = false;
        for (int y = 0; y < picture.height() && !found; y += 2)
            for (int x = 0; x < picture.width() && !found; x += 2)
                found = (picture.pixel(x, y) & 0xffffff) == (want & 0xffffff);
        seen += found;
    }
    QCOMPARE(seen, 3);
}

void TestBuild::piePlacement()
{
    StartedWindow s;
    s.platform.screenWidthTwips = 19200;
    s.platform.screenHeightTwips = 14400;
    frmsimplechart& w = s.start(kPieDefinition);
    PieChart& pie = w.context().pie;
    // Measures are held to whole pixels (15 twips).
    QVERIFY(qAbs(pie.Width() - 12800) < 15);
    QVERIFY(qAbs(pie.Height() - 11520) < 15);
    QVERIFY(qAbs(pie.Top() - 100) < 15);
    QVERIFY(qAbs(pie.Left() - 3200) < 15);
}

void TestBuild::simpleBar_data()
{
    QTest::addColumn<QByteArray>("definition");
    QTest::addColumn<int>("series");
    QTest::addColumn<bool>("frameShown");
    QTest::newRow("one series hides the stacking frame")
        << QByteArray("H,SIMPLEBARCHART,1,\"Ages\",1,\"n\"\n4, young\n6, old\n") << 1 << false;
    QTest::newRow("three series show it with Grouped")
        << QByteArray("H,SIMPLEBARCHART,1,\"Ages\",3,\"a\",\"b\",\"c\"\n1, 2, 3, young\n4, 5, 6, "
                      "old\n")
        << 3 << true;
}

void TestBuild::simpleBar()
{
    QFETCH(QByteArray, definition);
    QFETCH(int, series);
    QFETCH(bool, frameShown);
    StartedWindow s;
    s.window.reset();
    s.write("~VGRAPH.TMP", definition);
    s.write("settings.ini", "a,b,1\n");
    s.platform.programFolder = s.dir.path();
    s.platform.commandLine = s.path("settings.ini");
    frmsimplechart w(s.platform);
    ctl<QRadioButton>(w, "OPTSTACKED")->setChecked(true); // the designed state decides the mode
    w.Form_Load();
    QVERIFY2(s.platform.messages.isEmpty(), qPrintable(s.platform.messages.join('|')));
    AxisChart& bar = w.context().bar;
    QVERIFY(bar.Visible());
    QVERIFY(!w.context().pie.Visible());
    QCOMPARE(bar.Series().Count(), series);
    QCOMPARE(bar.Series().Item(1).Values().Count(), 2);
    QCOMPARE(bar.Series().Item(1).Values().Item(2).label, QStringLiteral("old"));
    QCOMPARE(bar.Series().Item(series).Values().Item(2).value, 6.0);
    QCOMPARE(bar.ItemAxisLabel(), QStringLiteral("Ages"));
    QCOMPARE(bar.UnitAxisLabel(), QStringLiteral("Count"));
    QCOMPARE(bar.LegendTitle(), QStringLiteral("Legend"));
    QVERIFY(!bar.ShowLegend());
    QVERIFY(!bar.ShowUnitAxisGridLines());
    QVERIFY(ctl<QCheckBox>(w, "chknolegend")->isChecked());
    QCOMPARE(ctl<QLineEdit>(w, "Text1")->text(), series == 1 ? QStringLiteral("n") : QStringLiteral("a"));
    QCOMPARE(!ctl<QGroupBox>(w, "Frame3")->isHidden(), frameShown);
    QCOMPARE(ctl<QRadioButton>(w, "OPTGROUPED")->isChecked(), frameShown);
    // Selecting Grouped does not change the component's stacking mode.
    QCOMPARE(bar.BarStackingMode(), 1);
    QVERIFY(ctl<QCheckBox>(w, "Check3")->isHidden());
    QVERIFY(!ctl<QRadioButton>(w, "optLabelsInside")->isEnabled());
    QVERIFY(!ctl<QPushButton>(w, "Command3")->isEnabled());
    QCOMPARE(ctl<QComboBox>(w, "Combo1")->count(), series);
    QCOMPARE(ctl<QComboBox>(w, "Combo1")->currentText(), series == 1 ? QStringLiteral("1 - n") : QStringLiteral("1 - a"));
}

void TestBuild::stackedBar()
{
    StartedWindow s;
    frmsimplechart& w = s.start("H,WSTACKEDBAR,Sex,Group,N=40 \n\"t\",2,\"Male\",\"Female\",3,"
                                "\"A\",\"B\",\"C\"\n5, 7\n8, 6\n9, 5\n");
    QVERIFY2(s.platform.messages.isEmpty(), qPrintable(s.platform.messages.join('|')));
    AxisChart& bar = w.context().bar;
    QCOMPARE(bar.Caption(), QStringLiteral("Count by Sex & Group (N=40)"));
    QCOMPARE(ctl<QLineEdit>(w, "txtCaption")->text(), QStringLiteral("Count by Sex & Group (N=40)"));
    QCOMPARE(bar.LegendTitle(), QStringLiteral("Sex"));
    QCOMPARE(bar.ItemAxisLabel(), QStringLiteral("Group"));
    QCOMPARE(bar.UnitAxisLabel(), QStringLiteral("Count"));
    QCOMPARE(bar.BarStackingMode(), 0);
    QCOMPARE(bar.Series().Count(), 2);
    QCOMPARE(bar.Series().Item(2).Name(), QStringLiteral("Female"));
    QCOMPARE(bar.Series().Item(2).Values().Count(), 3);
    QCOMPARE(bar.Series().Item(2).Values().Item(3).label, QStringLiteral("C"));
    QCOMPARE(bar.Series().Item(2).Values().Item(3).value, 5.0);
    QCOMPARE(ctl<QComboBox>(w, "Combo1")->itemText(0), QStringLiteral("1 - Male"));
    QCOMPARE(ctl<QComboBox>(w, "Combo1")->itemText(1), QStringLiteral("2 - Female"));
    QVERIFY(!ctl<QCheckBox>(w, "chknolegend")->isChecked());
    QCOMPARE(ctl<QLineEdit>(w, "Text1")->text(), QStringLiteral("Sex"));
    QVERIFY(!ctl<QGroupBox>(w, "Frame3")->isHidden());
}

void TestBuild::stackingModeFromDesignedButtons()
{
    // Every kind sets the bar chart's stacking mode from the option buttons.
    StartedWindow s;
    s.write("~VGRAPH.TMP", kPieDefinition);
    s.write("settings.ini", "a,b,1\n");
    s.platform.programFolder = s.dir.path();
    s.platform.commandLine = s.path("settings.ini");
    frmsimplechart w(s.platform);
    ctl<QRadioButton>(w, "OPT100PCT")->setChecked(true);
    w.Form_Load();
    QCOMPARE(w.context().bar.BarStackingMode(), 2);
}

void TestBuild::renderDescribeMatchesViewer_data()
{
    QTest::addColumn<QString>("example");
    QTest::newRow("pie") << "pie";
    QTest::newRow("bar") << "bar";
    QTest::newRow("stacked") << "stacked";
}

void TestBuild::renderDescribeMatchesViewer()
{
    QFETCH(QString, example);
    const QString folder = QStringLiteral(EXAMPLES_DIR "/") + example;
    QProcess render;
    render.start(QStringLiteral(RENDER_EXE),
                 {"--folder", folder, "--describe", QStringLiteral(EXAMPLES_DIR "/settings.ini")});
    QVERIFY(render.waitForFinished(30000));
    QCOMPARE(render.exitCode(), 0);
    const QJsonObject json = QJsonDocument::fromJson(render.readAllStandardOutput()).object();

    ScriptedPlatform p;
    p.programFolder = folder;
    p.commandLine = QStringLiteral(EXAMPLES_DIR "/settings.ini");
    frmsimplechart w(p);
    w.Form_Load();
    QCOMPARE(json["chartKind"].toString(), QString::fromStdString(w.context().state.chartKindText));
    QCOMPARE(json["chartCaption"].toString(), QString::fromStdString(w.context().state.chartCaption));
    const QJsonObject panel = json["panel"].toObject();
    QCOMPARE(panel["txtCaption"].toString(), ctl<QLineEdit>(w, "txtCaption")->text());
    QCOMPARE(panel["Combo1Text"].toString(), ctl<QComboBox>(w, "Combo1")->currentText());
    QCOMPARE(panel["List1"].toArray().size(), ctl<QListWidget>(w, "List1")->count());
    if (example == "pie") {
        const QJsonArray items = json["pie"].toObject()["Items"].toArray();
        QCOMPARE(items.size(), w.context().pie.Items().Count());
        QCOMPARE(items[1].toObject()["label"].toString(), QStringLiteral("Blue"));
        QCOMPARE(items[1].toObject()["Color"].toString(), QStringLiteral("#ffff00"));
        QVERIFY(json["pie"].toObject()["Visible"].toBool());
    } else {
        const QJsonArray series = json["bar"].toObject()["Series"].toArray();
        QCOMPARE(series.size(), w.context().bar.Series().Count());
        QCOMPARE(series[0].toObject()["Values"].toArray().size(),
                 w.context().bar.Series().Item(1).Values().Count());
        QCOMPARE(json["bar"].toObject()["ItemAxisLabel"].toString(), w.context().bar.ItemAxisLabel());
    }
}

void TestBuild::renderRefusesBadInput()
{
    QTemporaryDir dir;
    QFile settings(dir.filePath("s.ini"));
    QVERIFY(settings.open(QIODevice::WriteOnly));
    settings.write("a,b,1\n");
    settings.close();
    QProcess render;
    // No ~VGRAPH.TMP in the folder.
    render.start(QStringLiteral(RENDER_EXE), {"--folder", dir.path(), dir.filePath("s.ini")});
    QVERIFY(render.waitForFinished(30000));
    QVERIFY(render.exitCode() != 0);
    const QString err = QString::fromLocal8Bit(render.readAllStandardError());
    QVERIFY2(err.contains("VELDRAPLOT: ") && err.contains("~VGRAPH.TMP"), qPrintable(err));
}

void TestBuild::renderCommandLine_data()
{
    QTest::addColumn<QStringList>("row");
    QFile cases(QStringLiteral(RENDER_CASES));
    QVERIFY(cases.open(QIODevice::ReadOnly | QIODevice::Text));
    while (!cases.atEnd()) {
        const QString line = QString::fromUtf8(cases.readLine()).chopped(1);
        QStringList row = line.split('|');
        for (QString& field : row)
            field = field.trimmed();
        if (!line.isEmpty() && !line.startsWith('#'))
            QTest::newRow(qPrintable(row[0])) << row;
    }
}

// Runs a tool on a file and returns its standard output (empty on failure).
static QByteArray tool(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    return p.waitForFinished(30000) && p.exitCode() == 0 ? p.readAllStandardOutput() : QByteArray();
}

void TestBuild::renderCommandLine()
{
    QFETCH(QStringList, row);
    QCOMPARE(row.size(), 6);
    QTemporaryDir dir;
    auto expand = [&](QString text) {
        return text.replace("{ex}", EXAMPLES_DIR)
            .replace("{t}", dir.path())
            .replace("{s}", EXAMPLES_DIR "/settings.ini");
    };
    QStringList args = expand(row[1]).split(' ', Qt::SkipEmptyParts);
    args.replaceInStrings(QRegularExpression("^''$"), QString());
    QProcess render;
    for (const QString& setup : row[2].split(" ; ", Qt::SkipEmptyParts)) {
        if (setup.startsWith("stdin=")) {
            render.setStandardInputFile(expand(setup.mid(6)));
            continue;
        }
        QFile file(dir.filePath("list"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(expand(setup.mid(5)).replace("\\n", "\n").toUtf8());
    }
    const QString out = dir.filePath("out");
    render.start(QStringLiteral(RENDER_EXE), args);
    QVERIFY(render.waitForFinished(60000));
    const QString err = QString::fromLocal8Bit(render.readAllStandardError());
    QVERIFY2(render.exitCode() == row[3].toInt(), qPrintable(err));
    for (const QString& text : expand(row[4]).split(',', Qt::SkipEmptyParts))
        QVERIFY2(err.contains(text), qPrintable(err));
    const QStringList checks = row[5].split(" ; ", Qt::SkipEmptyParts);
    QByteArray bytes = render.readAllStandardOutput();
    const QString file = args.contains("-o") ? args[args.indexOf("-o") + 1] : out;
    if (!checks.contains("stdout") && QFile::exists(file)) {
        QFile picture(file);
        QVERIFY(picture.open(QIODevice::ReadOnly));
        bytes = picture.readAll();
    }
    const bool pdf = bytes.startsWith("%PDF");
    if (pdf || bytes.contains("<svg")) { // vectors are checked on a copy
        QFile copy(out + (pdf ? ".copy.pdf" : ".copy.svg"));
        QVERIFY(copy.open(QIODevice::WriteOnly) && copy.write(bytes) == bytes.size());
    }
    for (const QString& check : checks) {
        const QString value = expand(check.section('=', 1));
        if (check.startsWith("size="))
            QCOMPARE(QImage::fromData(bytes).size(),
                     QSize(value.section('x', 0, 0).toInt(), value.section('x', 1).toInt()));
        else if (check.startsWith("text=")) {
            const QByteArray text = pdf ? tool("pdftotext", {out + ".copy.pdf", "-"}) : bytes;
            for (const QString& part : value.split(','))
                QVERIFY2(text.contains(part.toUtf8()), qPrintable(part));
        } else if (check.startsWith("page="))
            QVERIFY(tool("pdfinfo", {out + ".copy.pdf"})
                        .contains("Page size:       " + value.toUtf8()));
        else if (check.startsWith("files=") || check.startsWith("nofiles="))
            for (const QString& name : value.split(','))
                QVERIFY2(QFile::exists(dir.filePath(name)) == check.startsWith("files="),
                         qPrintable(name));
        else if (check == "like-png") {
            // The same chart as a PNG, and the vector picture rasterised.
            QStringList png = args;
            png[png.indexOf("-o") + 1] = out + ".png";
            png.replaceInStrings(QRegularExpression("^(svg|pdf)$"), "png");
            QCOMPARE(QProcess::execute(QStringLiteral(RENDER_EXE), png), 0);
            const QImage want(out + ".png");
            QCOMPARE(pdf ? QProcess::execute("pdftoppm", {"-r", "96", "-png", "-singlefile",
                                                          out + ".copy.pdf", out + ".drawn"})
                         : QProcess::execute("rsvg-convert",
                                             {"-o", out + ".drawn.png", out + ".copy.svg"}),
                     0);
            const QImage drawn = QImage(out + ".drawn.png").convertToFormat(QImage::Format_RGB32);
            QCOMPARE(drawn.size(), want.size());
            // Edges and text are smoothed differently: a pixel is off when
            // a channel lies more than half its range outside what
            // the other picture has within one pixel of the same place (a
            // blend of two neighbours is not off). At most 0.05 % may be.
            auto offIn = [](const QImage& a, const QImage& b) {
                qint64 off = 0;
                for (int y = 0; y < a.height(); ++y)
                    for (int x = 0; x < a.width(); ++x) {
                        int lo[3] = {255, 255, 255}, hi[3] = {0, 0, 0};
                        for (int d = 0; d < 9; ++d) {
                            const QPoint at(x + d % 3 - 1, y + d / 3 - 1);
                            const QRgb c = b.rect().contains(at) ? b.pixel(at) : b.pixel(x, y);
                            const int v[3] = {qRed(c), qGreen(c), qBlue(c)};
                            for (int k = 0; k < 3; ++k)
                                lo[k] = qMin(lo[k], v[k]), hi[k] = qMax(hi[k], v[k]);
                        }
                        const QRgb c = a.pixel(x, y);
                        const int v[3] = {qRed(c), qGreen(c), qBlue(c)};
                        bool out = false;
                        for (int k = 0; k < 3; ++k)
                            out = out || v[k] < lo[k] - 128 || v[k] > hi[k] + 128;
                        off += out;
                    }
                return off;
            };
            const qint64 off = offIn(want, drawn) + offIn(drawn, want);
            QVERIFY2(off * 2000 <= qint64(want.width()) * want.height(),
                     qPrintable(QString::number(off)));
        } else
            QVERIFY2(check == "stdout", qPrintable(check));
    }
}

QTEST_MAIN(TestBuild)
#include "tst_build.moc"
