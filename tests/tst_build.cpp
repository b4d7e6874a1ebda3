// The chart builds after start-up, checked on the components and the options
// panel, and the batch renderer's description of the same charts.
#include "axischart.h"
#include "optionshelpers.h"
#include "piechart.h"
#include "pixels.h"
#include "testfiles.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

class TestBuild : public QObject
{
    Q_OBJECT
  private slots:
    void builds_data() { addRows("tst_build-kinds"); }
    // Each kind fills its component and adapts the panel; series or slices
    // get the first N bright colours, also kept as their category colours.
    void builds()
    {
        QString definition = cell("definition");
        const QString designed = cell("designed"), mode = cell("mode"), frame = cell("frame"),
                      caption = cell("caption"), combo = cell("combo"), noLegend = cell("noLegend");
        const bool isPie = cell("colourButton") == "Slice Clr";
        StartedWindow s;
        s.write("~VGRAPH.TMP", definition.replace("\\n", "\n").toUtf8());
        s.write("settings.ini", "a,b,1\n");
        s.platform.programFolder = s.dir.path();
        s.platform.commandLine = s.path("settings.ini");
        frmsimplechart w(s.platform);
        if (!designed.isEmpty()) // the designed state decides the mode
            ctl<QRadioButton>(w, qPrintable(designed))->setChecked(true);
        w.Form_Load();
        QVERIFY2(s.platform.messages.isEmpty(), qPrintable(s.platform.messages.join('|')));
        PieChart& pie = w.context().pie;
        AxisChart& bar = w.context().bar;
        ChartComponent& shown = isPie ? static_cast<ChartComponent&>(pie) : bar;
        QVERIFY(shown.Visible() && !(isPie ? static_cast<ChartComponent&>(bar) : pie).Visible());
        QCOMPARE(bar.BarStackingMode(), mode.toInt());
        QCOMPARE(shown.Caption(), caption);
        QCOMPARE(shown.LegendTitle(), cell("legend"));
        auto* box = ctl<QComboBox>(w, "Combo1");
        QStringList entries;
        for (int i = 0; i < box->count(); ++i)
            entries << box->itemText(i);
        QCOMPARE(entries.join('|'), combo);
        QCOMPARE(box->currentText(), entries.value(0));
        const int n = int(entries.size());
        QCOMPARE(isPie ? pie.Items().Count() : bar.Series().Count(), n);
        QCOMPARE(
            isPie ? pie.Items().Item(n).Value()
                  : bar.Series().Item(n).Values().Item(bar.Series().Item(1).Values().Count()).value,
            cell("last").toDouble());
        QStringList shownColours;
        for (int k = 1; k <= n; ++k) {
            const vp::Colour c = isPie ? pie.Items().Item(k).Color() : bar.Series().Item(k).Color();
            shownColours << QColor(vp::redOf(c), vp::greenOf(c), vp::blueOf(c)).name();
            QCOMPARE(w.context().state.itemColors[k], c);
        }
        QCOMPARE(shownColours.join('|'), cell("colours"));
        QCOMPARE(swatchColour(ctl<QFrame>(w, "Picture1")), w.context().state.itemColors[1]);
        QCOMPARE(ctl<QPushButton>(w, "CmdColor")->text(), cell("colourButton"));
        QCOMPARE(ctl<QTabWidget>(w, "SSTab1")->isTabEnabled(3), !isPie);
        QCOMPARE(ctl<QRadioButton>(w, "optLabelsInside")->isEnabled(), isPie);
        QCOMPARE(ctl<QPushButton>(w, "Command3")->isEnabled(), isPie);
        QCOMPARE(ctl<QCheckBox>(w, "Check3")->isHidden(), !isPie); // graduated colours: pie only
        if (isPie)
            return;
        QCOMPARE(bar.ItemAxisLabel(), cell("itemAxis"));
        QCOMPARE(bar.ShowLegend(), noLegend == "0");
        QCOMPARE(ctl<QCheckBox>(w, "chknolegend")->isChecked(), noLegend == "1");
        QCOMPARE(!ctl<QGroupBox>(w, "Frame3")->isHidden(), frame == "1");
        // A simple bar chart with several series selects Grouped; the two-way table does not.
        QCOMPARE(ctl<QRadioButton>(w, "OPTGROUPED")->isChecked(), frame == "1" && noLegend == "1");
    }

    void renderDescribeMatchesViewer_data()
    {
        QTest::addColumn<QString>("example");
        for (const char* example : {"pie", "bar", "stacked"})
            QTest::newRow(example) << example;
    }
    void renderDescribeMatchesViewer()
    {
        QFETCH(QString, example);
        const QString folder = QStringLiteral(EXAMPLES_DIR "/") + example;
        QProcess render;
        render.start(QStringLiteral(RENDER_EXE), {"--folder", folder, "--describe",
                                                  QStringLiteral(EXAMPLES_DIR "/settings.ini")});
        QVERIFY(render.waitForFinished(30000));
        QCOMPARE(render.exitCode(), 0);
        const QJsonObject json = QJsonDocument::fromJson(render.readAllStandardOutput()).object();
        ScriptedPlatform p;
        p.programFolder = folder;
        p.commandLine = QStringLiteral(EXAMPLES_DIR "/settings.ini");
        frmsimplechart w(p);
        w.Form_Load();
        QCOMPARE(json["chartKind"].toString(),
                 QString::fromStdString(w.context().state.chartKindText));
        QCOMPARE(json["chartCaption"].toString(),
                 QString::fromStdString(w.context().state.chartCaption));
        const QJsonObject panel = json["panel"].toObject();
        QCOMPARE(panel["txtCaption"].toString(), ctl<QLineEdit>(w, "txtCaption")->text());
        QCOMPARE(panel["Combo1Text"].toString(), ctl<QComboBox>(w, "Combo1")->currentText());
        QCOMPARE(panel["List1"].toArray().size(), ctl<QListWidget>(w, "List1")->count());
        if (example == "pie") {
            const QJsonArray items = json["pie"].toObject()["Items"].toArray();
            QCOMPARE(items.size(), w.context().pie.Items().Count());
            const vp::Colour c = w.context().pie.Items().Item(2).Color();
            QCOMPARE(items[1].toObject()["Color"].toString(),
                     QColor(vp::redOf(c), vp::greenOf(c), vp::blueOf(c)).name());
        } else {
            const QJsonArray series = json["bar"].toObject()["Series"].toArray();
            QCOMPARE(series.size(), w.context().bar.Series().Count());
            QCOMPARE(series[0].toObject()["Values"].toArray().size(),
                     w.context().bar.Series().Item(1).Values().Count());
        }
    }
    void renderCommandLine_data();
    void renderCommandLine();
};

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
