// The chart builds after start-up, checked on the components and the options
// panel, and the batch renderer's description of the same charts.
#include "axischart.h"
#include "deferrediconstyle.h"
#include "optionshelpers.h"
#include "piechart.h"
#include "pixels.h"
#include "testfiles.h"

#include <QPainter>
#include <QProcess>
#include <QStyleFactory>
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

class TestBuild : public QObject
{
    Q_OBJECT
  private slots:
    // Icons read on first use are the style's own: every standard icon, at
    // several sizes and pixel ratios, as pixmaps, sizes and painted.
    void deferredIconsAreTheStyles()
    {
        std::unique_ptr<QStyle> plain(QStyleFactory::create("Fusion"));
        DeferredIconStyle deferred(QStyleFactory::create("Fusion"));
        for (int i = 0; i <= int(QStyle::SP_LineEditClearButton); ++i) {
            const auto which = QStyle::StandardPixmap(i);
            const QIcon want = plain->standardIcon(which), got = deferred.standardIcon(which);
            QCOMPARE(got.availableSizes(), want.availableSizes());
            for (const int side : {8, 16, 22, 48})
                for (const qreal ratio : {1.0, 2.0}) {
                    const QSize size(side, side);
                    QCOMPARE(got.pixmap(size, ratio).toImage(), want.pixmap(size, ratio).toImage());
                    QCOMPARE(got.actualSize(size), want.actualSize(size));
                    QImage painted[2];
                    for (int k = 0; k < 2; ++k) {
                        painted[k] = QImage(64, 64, QImage::Format_ARGB32_Premultiplied);
                        painted[k].setDevicePixelRatio(ratio);
                        painted[k].fill(0);
                        QPainter p(&painted[k]);
                        (k ? got : want).paint(&p, QRect(3, 3, side / 2 + 7, side / 2 + 3));
                    }
                    QCOMPARE(painted[1], painted[0]);
                }
        }
    }
    void builds_data() { caseRows("tst_build-kinds"); }
    // Each kind fills its component and adapts the panel; series or slices
    // get the first N bright colours, also kept as their category colours.
    void builds()
    {
        const QString designed = cell("designed"), frame = cell("frame"),
                      noLegend = cell("noLegend");
        const bool isPie = cell("colourButton") == "Slice Clr";
        StartedWindow s;
        frmsimplechart& w = s.start(cell("definition").toUtf8(), "a,b,1\n", [&](frmsimplechart& w) {
            if (!designed.isEmpty()) // the designed state decides the mode
                ctl<QRadioButton>(w, qPrintable(designed))->setChecked(true);
        });
        QVERIFY2(s.platform.messages.isEmpty(), qPrintable(s.platform.messages.join('|')));
        PieChart& pie = w.context().pie;
        AxisChart& bar = w.context().bar;
        ChartComponent& shown = isPie ? static_cast<ChartComponent&>(pie) : bar;
        QVERIFY(shown.Visible() && !(isPie ? static_cast<ChartComponent&>(bar) : pie).Visible());
        QCOMPARE(bar.BarStackingMode(), cell("mode").toInt());
        QCOMPARE(shown.Caption(), cell("caption"));
        QCOMPARE(shown.LegendTitle(), cell("legend"));
        auto* box = ctl<QComboBox>(w, "Combo1");
        QStringList entries;
        for (int i = 0; i < box->count(); ++i)
            entries << box->itemText(i);
        QCOMPARE(entries.join('|'), cell("combo"));
        QCOMPARE(box->currentText(), entries.value(0));
        const int n = int(entries.size());
        QCOMPARE(isPie ? pie.Items().Count() : bar.Series().Count(), n);
        QStringList shownColours;
        for (int k = 1; k <= n; ++k) {
            const vp::Colour c = isPie ? pie.Items().Item(k).Color() : bar.Series().Item(k).Color();
            shownColours << qc(c).name();
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

    void renderCommandLine_data() { caseRows("tst_build-render"); }
    void renderCommandLine();
};

// Runs a tool; its output, or nothing when it fails (status 1 is compare's "different").
static QByteArray tool(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    return p.waitForFinished(30000) && p.exitCode() < 2
               ? p.readAllStandardOutput() + p.readAllStandardError()
               : QByteArray();
}

void TestBuild::renderCommandLine()
{
    StartedWindow t; // only its folder
    auto expand = [&](QString text) {
        return text.replace("{ex}", EXAMPLES_DIR)
            .replace("{t}", t.dir.path())
            .replace("{s}", EXAMPLES_DIR "/settings.ini");
    };
    QStringList args = expand(cell("args")).split(' ', Qt::SkipEmptyParts);
    args.replaceInStrings(QRegularExpression("^''$"), QString());
    QProcess render, producer;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    int signal = 0;
    for (const QString& setup : cell("setup").split(" ; ", Qt::SkipEmptyParts)) {
        const QString key = setup.section('=', 0, 0), value = expand(setup.section('=', 1, -1));
        if (key == "stdin" && value.startsWith('|')) // an endless producer, say
            producer.setStandardOutputProcess(&render), producer.start("sh", {"-c", value.mid(1)});
        else if (key == "stdin")
            render.setStandardInputFile(value);
        else if (key == "signal")
            signal = value.toInt();
        else if (key == "fifo")
            QCOMPARE(QProcess::execute("mkfifo", {t.path(value)}), 0);
        else if (key.startsWith("env:"))
            env.insert(key.mid(4), value);
        else if (key == "tty") // standard output is a terminal
            render.setChildProcessModifier([] {
                const int pty = ::posix_openpt(O_RDWR | O_NOCTTY);
                ::grantpt(pty), ::unlockpt(pty);
                ::dup2(::open(::ptsname(pty), O_RDWR | O_NOCTTY), STDOUT_FILENO);
            });
        else
            t.write(key, value.toUtf8());
    }
    const QString out = t.path("out");
    render.setProcessEnvironment(env);
    render.setWorkingDirectory(t.dir.path());
    render.start(QStringLiteral(VELDRA_RENDER_PATH), args);
    if (signal) {
        // Once a picture is there, the renderer alone is ended: its workers
        // end with it, and nothing is written, nor left half-written, after.
        QTRY_VERIFY_WITH_TIMEOUT(!QDir(t.dir.path()).entryList({"b*"}).isEmpty(), 30000);
        const QByteArrayList workers =
            readAll(QString("/proc/%1/task/%1/children").arg(render.processId())).split(' ');
        ::kill(pid_t(render.processId()), signal);
        QVERIFY(render.waitForFinished(10000));
        const QStringList drawn = entries(t.dir.path());
        QTest::qWait(1500);
        QCOMPARE(entries(t.dir.path()), drawn);
        for (const QString& name : drawn)
            QVERIFY2(name == "list" || QImage(t.path(name)).size() == QSize(400, 300),
                     qPrintable(name));
        for (const QByteArray& worker : workers) {
            const QByteArray stat = readAll("/proc/" + QString(worker.trimmed()) + "/stat");
            QVERIFY2(worker.trimmed().isEmpty() || stat.isEmpty() || stat.contains(") Z "), stat);
        }
    }
    QVERIFY(signal || render.waitForFinished(60000));
    producer.close();
    const QString err = QString::fromLocal8Bit(render.readAllStandardError());
    // Control characters from names and files are shown escaped.
    QVERIFY2(std::none_of(err.begin(), err.end(), [](QChar c) { return c < ' ' && c != '\n'; }),
             qPrintable(err));
    QVERIFY2(render.exitCode() == cell("exit").toInt(), qPrintable(err));
    for (const QString& text : expand(cell("stderr")).split(',', Qt::SkipEmptyParts))
        QVERIFY2(err.contains(text), qPrintable(err));
    const QStringList checks = cell("checks").split(" ; ", Qt::SkipEmptyParts);
    const QByteArray bytes =
        checks.contains("stdout")
            ? render.readAllStandardOutput()
            : readAll(args.contains("-o") ? args.value(args.indexOf("-o") + 1, out) : out);
    const bool pdf = bytes.startsWith("%PDF");
    const QString vector = pdf ? "copy.pdf" : "copy.svg", copy = t.path(vector); // on a copy
    t.write(vector, bytes);
    for (const QString& check : checks) {
        const QString key = check.section('=', 0, 0), value = expand(check.section('=', 1));
        if (key == "size")
            QCOMPARE(QImage::fromData(bytes).size(),
                     QSize(value.section('x', 0, 0).toInt(), value.section('x', 1).toInt()));
        else if (key == "text")
            for (const QString& part : value.split(','))
                QVERIFY2((pdf ? tool("pdftotext", {copy, "-"}) : bytes).contains(part.toUtf8()),
                         qPrintable(part));
        else if (key == "page")
            QVERIFY(tool("pdfinfo", {copy}).contains("Page size:       " + value.toUtf8()));
        else if (key == "info")
            QVERIFY(tool("pdfinfo", {"-isodates", copy}).contains(value.toUtf8()));
        else if (key == "xml")
            QCOMPARE(QProcess::execute("xmllint", {"--noout", copy}), 0);
        else if (key == "repeat") {
            // As many runs again, all at once, half with Qt's fixed hash
            // seed and half with a random one each: the same bytes.
            std::vector<std::unique_ptr<QProcess>> runs;
            QProcessEnvironment seeded = env, random = env;
            seeded.insert("QT_HASH_SEED", "0");
            random.remove("QT_HASH_SEED");
            for (int i = 0; i < value.toInt(); ++i) {
                QStringList again = args;
                again[again.indexOf("-o") + 1] = out + QString::number(i);
                runs.push_back(std::make_unique<QProcess>());
                runs.back()->setProcessEnvironment(i % 2 ? seeded : random);
                runs.back()->start(QStringLiteral(VELDRA_RENDER_PATH), again);
            }
            for (int i = 0; i < value.toInt(); ++i) {
                QVERIFY(runs[i]->waitForFinished(60000) && runs[i]->exitCode() == 0);
                QVERIFY2(readAll(out + QString::number(i)) == bytes,
                         qPrintable(QString::number(i)));
            }
        } else if (key == "entries")
            QCOMPARE(entries(t.dir.path()).join(','), value);
        else if (key == "files" || key == "nofiles")
            for (const QString& name : value.split(','))
                QVERIFY2(QFile::exists(t.path(name)) == (key == "files"), qPrintable(name));
        else if (key == "like-png") {
            // The same chart as a PNG against the vector picture rasterised.
            QStringList png = args;
            png[png.indexOf("-o") + 1] = out + ".png";
            png.replaceInStrings(QRegularExpression("^(svg|pdf)$"), "png");
            QCOMPARE(QProcess::execute(QStringLiteral(VELDRA_RENDER_PATH), png), 0);
            tool(pdf ? "pdftoppm" : "rsvg-convert",
                 pdf ? QStringList{"-r", "96", "-png", "-singlefile", copy, out + ".drawn"}
                     : QStringList{"-o", out + ".drawn.png", copy});
            const QSize size = QImage(out + ".png").size();
            QCOMPARE(QImage(out + ".drawn.png").size(), size);
            // Edges and text are smoothed differently: compared at half size
            // (neighbours blended), a pixel is off when its colour is more
            // than half the range away. At most 0.05 % may be.
            bool ok = false;
            const double off = tool("compare", {"-metric", "AE", "-fuzz", "50%", out + ".png[50%]",
                                                out + ".drawn.png[50%]", "null:"})
                                   .toDouble(&ok);
            QVERIFY2(ok && off * 2000 * 4 <= size.width() * size.height(),
                     qPrintable(QString::number(off)));
        } else
            QVERIFY2(check == "stdout", qPrintable(check));
    }
}

QTEST_MAIN(TestBuild)
#include "tst_build.moc"
