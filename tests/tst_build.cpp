// SPDX-License-Identifier: GPL-3.0-or-later
// The batch renderer's command line: formats, sizes, pipelines and batches,
// checked on the files it writes; and the start-up shim for the style's icons.
#include "deferrediconstyle.h"
#include "testfiles.h"

#include <QBuffer>
#include <QImageReader>
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

// A picture's format as its content shows it.
static QByteArray formatOf(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return bytes.startsWith("%PDF-")          ? "pdf"
           : QImage::fromData(bytes).isNull() ? "none"
                                              : QImageReader::imageFormat(&buffer);
}

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
            .replace("{s}", EXAMPLES_DIR "/settings.ini")
            .replace("{app}", QFileInfo(VELDRA_RENDER_PATH).path());
    };
    QStringList args = expand(cell("args")).split(' ', Qt::SkipEmptyParts);
    args.replaceInStrings(QRegularExpression("^''$"), QString());
    QProcess render, producer;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    QString program = QStringLiteral(VELDRA_RENDER_PATH);
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
        else if (key == "argv0") // started under another name
            args = QStringList{"-c", "exec -a " + value + " \"$0\" \"$@\"", program} + args,
            program = "bash";
        else if (key == "pin") // one processor: one worker at a time
            args = QStringList{"-c", "0", program} + args, program = "taskset";
        else if (key == "trace") // the file system calls, process by process
            args = QStringList{"-f", "--output=" + t.path("trace"), "-e",
                               "trace=openat,fsync,rename", program} +
                   args,
            program = "strace";
        else
            t.write(key, value.toUtf8());
    }
    const QString out = t.path("out");
    render.setProcessEnvironment(env);
    render.setWorkingDirectory(t.dir.path());
    render.start(program, args);
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
    QVERIFY(signal || render.waitForFinished(120000));
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
        else if (key == "kept") { // the bytes of tests/cases/pictures/NAME
            const QString file = QStringLiteral(VELDRA_CASES_DIR "/pictures/") + value;
            if (qEnvironmentVariableIsSet("VELDRA_NEW_PICTURES")) // after a wanted change
                QFile(file).remove(), QFile::copy(out, file);
            QVERIFY2(readAll(file) == bytes, qPrintable(file));
        } else if (key == "text")
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
        else if (key == "format") // by content: NAME:FORMAT for a file in {t}
            for (const QString& one : value.split(','))
                QCOMPARE(
                    formatOf(one.contains(':') ? readAll(t.path(one.section(':', 0, 0))) : bytes),
                    one.section(':', -1).toUtf8());
        else if (const QString trace = QString::fromUtf8(readAll(t.path("trace")));
                 key == "synced") { // the written file is synced before it is renamed
            const auto open = QRegularExpression("O_(TMPFILE|EXCL).*= (\\d+)").match(trace);
            const qsizetype synced = trace.indexOf("fsync(" + open.captured(2) + ")");
            QVERIFY2(open.hasMatch() && synced > open.capturedEnd() &&
                         synced < trace.indexOf("rename("),
                     qPrintable(trace.right(2000)));
        } else if (key == "workers") { // the charts each worker process saved
            QMap<QString, int> saved;
            for (const QString& line : trace.split('\n'))
                if (line.contains(" rename("))
                    ++saved[line.section(' ', 0, 0)];
            QList<int> counts = saved.values();
            std::sort(counts.rbegin(), counts.rend());
            QStringList shown;
            for (const int n : counts)
                shown << QString::number(n);
            QCOMPARE(shown.join(','), value);
        } else if (key == "files" || key == "nofiles")
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
