// The batch renderer's command line: formats, sizes, pipelines and batches,
// checked on the files it writes; and the start-up shim for the style's icons.
#include "deferrediconstyle.h"
#include "testfiles.h"

#include <QPainter>
#include <QProcess>
#include <QStyleFactory>
#include <QtTest>

class TestBuild : public QObject
{
    Q_OBJECT
  private slots:
    // Icons read on first use are the style's own: a handful of standard
    // icons at two sizes and pixel ratios, as pixmaps, sizes and painted.
    void deferredIconsAreTheStyles()
    {
        std::unique_ptr<QStyle> plain(QStyleFactory::create("Fusion"));
        DeferredIconStyle deferred(QStyleFactory::create("Fusion"));
        for (const auto which : {QStyle::SP_TitleBarCloseButton, QStyle::SP_MessageBoxWarning,
                                 QStyle::SP_DialogOkButton, QStyle::SP_ArrowBack})
            for (const int side : {16, 48})
                for (const qreal ratio : {1.0, 2.0}) {
                    const QIcon want = plain->standardIcon(which),
                                got = deferred.standardIcon(which);
                    QCOMPARE(got.availableSizes(), want.availableSizes());
                    QCOMPARE(got.actualSize(QSize(side, side)), want.actualSize(QSize(side, side)));
                    QCOMPARE(got.pixmap(QSize(side, side), ratio).toImage(),
                             want.pixmap(QSize(side, side), ratio).toImage());
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
    QProcess render;
    for (const QString& setup : cell("setup").split(" ; ", Qt::SkipEmptyParts))
        if (setup.startsWith("stdin="))
            render.setStandardInputFile(expand(setup.mid(6)));
        else
            t.write("list", expand(setup.mid(5)).toUtf8());
    const QString out = t.path("out");
    render.start(QStringLiteral(VELDRA_RENDER_PATH), args);
    QVERIFY(render.waitForFinished(60000));
    const QString err = QString::fromLocal8Bit(render.readAllStandardError());
    QVERIFY2(render.exitCode() == cell("exit").toInt(), qPrintable(err));
    for (const QString& text : expand(cell("stderr")).split(',', Qt::SkipEmptyParts))
        QVERIFY2(err.contains(text), qPrintable(err));
    const QStringList checks = cell("checks").split(" ; ", Qt::SkipEmptyParts);
    const QByteArray bytes =
        checks.contains("stdout")
            ? render.readAllStandardOutput()
            : readAll(args.contains("-o") ? args[args.indexOf("-o") + 1] : out);
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
