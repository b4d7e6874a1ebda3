// Hostile chart files: empty, cut short, absurd counts, endless lines, NUL
// bytes, foreign encodings, odd line ends, files that are not files. Each
// ends in one of two ways: a message that names the file and a non-zero exit
// status, or a drawn chart whose contents are checked. A few cases run
// through the batch renderer as a real process, to see the exit code, the
// message on standard error, no crash and a bounded run time.
#include "testfiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kDefinition = QStringLiteral("~VGRAPH.TMP");
const QByteArray kSettings = "\"C:\\VELDRA\\\",analysis,10\r\n";
const QString kContinuous = QStringLiteral(
    "One variable appears to be continuous rather than categorical. Perhaps you meant to "
    "display a histogram (See Graph menu).");

constexpr int kBadInput = 2;
constexpr int kCategoryLimit = 3;
constexpr qsizetype kFiftyMegabytes = 50 * 1024 * 1024;
constexpr qsizetype kMiB = 1024 * 1024;

// A pie definition with n data lines "i, Li".
QByteArray pieWithLines(int n)
{
    QByteArray def = "VGRAPH,SIMPLEPIECHART,x,\"Many\",1,\"Count\"\n";
    def.reserve(def.size() + n * 12);
    for (int i = 1; i <= n; ++i)
        def += QByteArray::number(i) + ", L" + QByteArray::number(i) + "\n";
    return def;
}

// A two-way table with two series, m item categories and n data lines.
QByteArray stackedWithLines(int m, int n)
{
    QByteArray def = "VGRAPH,WSTACKEDBAR\nA,B,n\n\"T\",2,\"x\",\"y\"," + QByteArray::number(m);
    for (int i = 1; i <= m; ++i)
        def += ",\"b" + QByteArray::number(i) + "\"";
    def += "\n";
    for (int i = 1; i <= n; ++i)
        def += QByteArray::number(i) + ", " + QByteArray::number(i + 1) + "\n";
    return def;
}

// A simple bar definition with n series and one data line.
QByteArray barWithSeries(int n)
{
    QByteArray def = "VGRAPH,SIMPLEBARCHART,x,\"Wide\"," + QByteArray::number(n);
    for (int i = 1; i <= n; ++i)
        def += ",\"s" + QByteArray::number(i) + "\"";
    def += "\n";
    for (int i = 1; i <= n; ++i)
        def += (i > 1 ? ", " : "") + QByteArray::number(i);
    def += "\n";
    return def;
}

QStringList numberedLabels(int n)
{
    QStringList labels;
    for (int i = 1; i <= n; ++i)
        labels << QStringLiteral("L%1").arg(i);
    return labels;
}

QList<double> oneToN(int n)
{
    QList<double> values;
    for (int i = 1; i <= n; ++i)
        values << i;
    return values;
}

// Bytes of a literal that may hold NUL bytes.
template <std::size_t N>
QByteArray raw(const char (&text)[N])
{
    return QByteArray(text, static_cast<qsizetype>(N - 1));
}

const QByteArray kPieLf = "VGRAPH,SIMPLEPIECHART,x,Colours,1\nCount\n12, Red\n30, Blue\n8, Green\n";

QByteArray withLineEnds(QByteArray lf, const QByteArray& end)
{
    return lf.replace("\n", end);
}

const QStringList kColours{"Red", "Blue", "Green"};
const QList<double> kColourValues{12, 30, 8};

struct Started {
    StartedWindow s;
    qint64 elapsedMs = 0;
};

// Runs the start-up on the definition (and settings) and times it.
void startOn(Started& run, const QByteArray& definition, const QByteArray& settings = kSettings)
{
    run.s.write(kDefinition, definition);
    run.s.write(QStringLiteral("settings.ini"), settings);
    run.s.platform.programFolder = run.s.dir.path();
    run.s.platform.commandLine = run.s.path(QStringLiteral("settings.ini"));
    run.s.window = std::make_unique<frmsimplechart>(run.s.platform);
    QElapsedTimer timer;
    timer.start();
    run.s.window->Form_Load();
    run.elapsedMs = timer.elapsed();
}

// The refusal every unusable file gets: one message naming the file, the
// program ended with the status given, nothing drawn.
void checkRefused(StartedWindow& s, const QString& file, const QString& problem, int status)
{
    QCOMPARE(s.platform.messages.size(), 1);
    const QString message = s.platform.messages.first();
    if (status == kCategoryLimit) {
        QCOMPARE(message, kContinuous);
    } else {
        QVERIFY2(message.contains(QLatin1Char('"') + file + QLatin1Char('"')), qPrintable(message));
        QVERIFY2(message.contains(problem, Qt::CaseInsensitive), qPrintable(message));
    }
    // The message is for people: short, whatever the size of the file.
    QVERIFY2(message.size() < 600, qPrintable(QString::number(message.size())));
    QVERIFY(s.platform.ended);
    QCOMPARE(s.platform.exitStatus, status);
    QCOMPARE(s.window->PieChart1().Items().Count(), 0);
    QCOMPARE(s.window->barchart1().Series().Count(), 0);
    QCOMPARE(s.window->ui.List1->count(), 0);
    QVERIFY(!s.platform.pointerReset);
}

QStringList listTexts(const QListWidget* list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

QString renderPath()
{
    return QStringLiteral(VELDRA_RENDER_PATH);
}

struct RenderRun {
    bool finished = false;
    QProcess::ExitStatus exitStatus = QProcess::CrashExit;
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
    qint64 elapsedMs = 0;
};

// memoryLimit > 0 caps the renderer's address space, so that a run that
// would eat the machine's memory fails fast instead.
RenderRun runRenderer(const QStringList& arguments, int timeoutMs, qint64 memoryLimit = 0)
{
    RenderRun run;
    QProcess p;
    if (memoryLimit > 0)
        p.setChildProcessModifier([memoryLimit] {
            const rlimit limit{static_cast<rlim_t>(memoryLimit), static_cast<rlim_t>(memoryLimit)};
            setrlimit(RLIMIT_AS, &limit);
        });
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    QElapsedTimer timer;
    timer.start();
    p.start(renderPath(), arguments);
    if (!p.waitForStarted(timeoutMs))
        return run;
    run.finished = p.waitForFinished(timeoutMs);
    run.elapsedMs = timer.elapsed();
    if (!run.finished) {
        p.kill();
        p.waitForFinished(5000);
    }
    run.exitStatus = p.exitStatus();
    run.exitCode = p.exitCode();
    run.out = p.readAllStandardOutput();
    run.err = p.readAllStandardError();
    return run;
}

} // namespace

class TestHostile : public QObject {
    Q_OBJECT
private slots:
    void refusedDefinition_data();
    void refusedDefinition();
    void refusedSettings_data();
    void refusedSettings();
    void definitionNotAPlainFile_data();
    void definitionNotAPlainFile();
    void drawnDefinition_data();
    void drawnDefinition();
    void sameChartWhateverLineEnds();
    void foreignPaths_data();
    void foreignPaths();
    void corpusSeeds_data();
    void corpusSeeds();
    void rendererProcess_data();
    void rendererProcess();
    void longTextsDrawnInBoundedMemory_data();
    void longTextsDrawnInBoundedMemory();
};

void TestHostile::refusedDefinition_data()
{
    QTest::addColumn<QByteArray>("definition");
    QTest::addColumn<QString>("problem");
    QTest::addColumn<int>("status");

    QTest::newRow("empty file") << QByteArray() << "ends before its header" << kBadInput;
    QTest::newRow("only a blank line") << QByteArray("\n") << "ends" << kBadInput;
    QTest::newRow("header cut before the title")
        << QByteArray("VGRAPH,SIMPLEPIECHART,x") << "ends inside its header" << kBadInput;
    QTest::newRow("only a header, no count")
        << QByteArray("VGRAPH,SIMPLEPIECHART,x,\"Title\"\n")
        << "before the number of series" << kBadInput;
    QTest::newRow("two-way header ends after its variable line")
        << QByteArray("VGRAPH,WSTACKEDBAR\nA,B,C") << "ends inside its header, before the chart title"
        << kBadInput;
    QTest::newRow("N 30000") << QByteArray("VGRAPH,SIMPLEBARCHART,x,T,30000\na,b\n1, 2, x\n")
                             << "number of series is 30000" << kBadInput;
    QTest::newRow("N 255, one past the series table")
        << barWithSeries(255) << "number of series is 255" << kBadInput;
    QTest::newRow("N -5") << QByteArray("VGRAPH,SIMPLEBARCHART,x,T,-5\n1, x\n")
                          << "number of series is negative: -5" << kBadInput;
    QTest::newRow("N 99999999999")
        << QByteArray("VGRAPH,SIMPLEPIECHART,x,T,99999999999\nS\n1, a\n")
        << "\"99999999999\" is not a whole number" << kBadInput;
    QTest::newRow("N not a number") << QByteArray("VGRAPH,SIMPLEPIECHART,x,T,lots,S\n1, a\n")
                                    << "\"lots\" is not a whole number" << kBadInput;
    QTest::newRow("two-way N 99999999999")
        << QByteArray("VGRAPH,WSTACKEDBAR,A,B,C\nT,99999999999\n")
        << "\"99999999999\" is not a whole number" << kBadInput;
    QTest::newRow("two-way M -5") << QByteArray("VGRAPH,WSTACKEDBAR\nA,B,C\nT,1,x,-5\n1\n")
                                  << "number of item categories is negative: -5" << kBadInput;
    QTest::newRow("two-way M 101") << stackedWithLines(101, 1)
                                   << "number of item categories is 101" << kBadInput;
    QTest::newRow("series names cut short")
        << QByteArray("VGRAPH,SIMPLEBARCHART,x,T,4\nOne,Two\n")
        << "inside the list of series names (after 2 of 4)" << kBadInput;
    QTest::newRow("item categories cut short")
        << QByteArray("VGRAPH,WSTACKEDBAR\nA,B,C\nT,2,x,y,3,\"b1\"")
        << "inside the list of item categories (after 1 of 3)" << kBadInput;
    QTest::newRow("NUL byte in a data line")
        << raw("VGRAPH,SIMPLEPIECHART,x,T,1\nS\n1\0002, Nul\n") << "NUL" << kBadInput;
    QTest::newRow("NUL byte in the header")
        << raw("VGRAPH,SIMPLE\0PIECHART,x,T,1\nS\n1, a\n") << "NUL" << kBadInput;
    QTest::newRow("NUL byte in a series name")
        << raw("VGRAPH,SIMPLEBARCHART,x,T,2\nS\0t,U\n1, 2, a\n") << "NUL"
        << kBadInput;
    QTest::newRow("201 data lines") << pieWithLines(201) << "more than 200 data lines"
                                    << kBadInput;
    QTest::newRow("10 000 data lines") << pieWithLines(10000) << "more than 200 data lines"
                                       << kBadInput;
    QTest::newRow("two-way 101 data lines") << stackedWithLines(100, 101)
                                            << "more than 100 data lines" << kBadInput;
    QTest::newRow("two-way 10 000 data lines")
        << stackedWithLines(3, 10000) << QString() << kCategoryLimit;

    const QByteArray pieHeader = "VGRAPH,SIMPLEPIECHART,x,T,1\nS\n";
    QTest::newRow("data line one byte past 1 MiB")
        << pieHeader + "1, " + QByteArray(kMiB - 2, 'x') + "\n" << "longer than 1 MiB"
        << kBadInput;
    QTest::newRow("50 MB data line")
        << pieHeader + "1, " + QByteArray(kFiftyMegabytes, 'x') + "\n" << "longer than 1 MiB"
        << kBadInput;
    QTest::newRow("50 MB header line without a line end")
        << "VGRAPH,SIMPLEBARCHART,x,T,1,S" + QByteArray(kFiftyMegabytes, ',') << "longer than 1 MiB"
        << kBadInput;
    QTest::newRow("50 MB of digits as the title")
        << "VGRAPH,SIMPLEPIECHART,x," + QByteArray(kFiftyMegabytes, '7') + ",1\nS\n1, a\n"
        << "longer than 1 MiB" << kBadInput;
    QTest::newRow("50 MB of blanks") << QByteArray(kFiftyMegabytes, ' ') << "longer than 1 MiB"
                                     << kBadInput;
    QTest::newRow("50 MB quoted name never closed")
        << "VGRAPH,SIMPLEBARCHART,x,T,1,\"" + QByteArray(kFiftyMegabytes, 'q')
        << "longer than 1 MiB" << kBadInput;
}

void TestHostile::refusedDefinition()
{
    QFETCH(QByteArray, definition);
    QFETCH(QString, problem);
    QFETCH(int, status);
    Started run;
    startOn(run, definition);
    checkRefused(run.s, run.s.path(kDefinition), problem, status);
    // Nothing is read beyond what the refusal needs, whatever the file's size.
    QVERIFY2(run.elapsedMs < 5000, qPrintable(QString::number(run.elapsedMs)));
}

void TestHostile::refusedSettings_data()
{
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<QString>("problem");

    QTest::newRow("empty settings file") << QByteArray() << "ends";
    QTest::newRow("NUL byte") << raw("a,b\0,1\n") << "NUL";
    QTest::newRow("third field 99999999999") << QByteArray("a,b,99999999999\n")
                                             << "from -32768 to 32767";
    QTest::newRow("50 MB single line") << QByteArray(kFiftyMegabytes, 'z') << "longer than 1 MiB";
}

void TestHostile::refusedSettings()
{
    QFETCH(QByteArray, settings);
    QFETCH(QString, problem);
    Started run;
    startOn(run, kPieDefinition, settings);
    checkRefused(run.s, run.s.path(QStringLiteral("settings.ini")), problem, kBadInput);
    QVERIFY2(run.elapsedMs < 5000, qPrintable(QString::number(run.elapsedMs)));
}

void TestHostile::definitionNotAPlainFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("problem");
    QTest::newRow("a folder") << "folder" << "folder or device";
    // A pipe nobody writes to would block a reader for ever.
    QTest::newRow("a FIFO") << "fifo" << "folder or device";
    QTest::newRow("link to /dev/zero") << "devzero" << "folder or device";
    QTest::newRow("link pointing to itself") << "loop" << "cannot be read";
    QTest::newRow("dangling link") << "dangling" << "does not exist";
    QTest::newRow("no read permission") << "unreadable" << "cannot be read";
}

void TestHostile::definitionNotAPlainFile()
{
    QFETCH(QString, kind);
    QFETCH(QString, problem);
    if (kind == "unreadable" && geteuid() == 0)
        QSKIP("root reads files without read permission; the FIFO and link rows cover it");

    StartedWindow s;
    const QString def = s.path(kDefinition);
    const QByteArray defBytes = QFile::encodeName(def);
    if (kind == "folder") {
        QVERIFY(QDir(s.dir.path()).mkdir(kDefinition));
        // Even one holding a file of the same name.
        QFile inner(def + "/" + kDefinition);
        QVERIFY(inner.open(QIODevice::WriteOnly));
        inner.write(kPieDefinition);
    } else if (kind == "fifo") {
        QCOMPARE(mkfifo(defBytes.constData(), 0600), 0);
    } else if (kind == "devzero") {
        QCOMPARE(symlink("/dev/zero", defBytes.constData()), 0);
    } else if (kind == "loop") {
        QCOMPARE(symlink(defBytes.constData(), defBytes.constData()), 0);
    } else if (kind == "dangling") {
        QCOMPARE(symlink(QFile::encodeName(s.path("gone")).constData(), defBytes.constData()), 0);
    } else if (kind == "unreadable") {
        s.write(kDefinition, kPieDefinition);
        QVERIFY(QFile::setPermissions(def, QFileDevice::WriteOwner));
    }
    s.write(QStringLiteral("settings.ini"), kSettings);
    s.platform.programFolder = s.dir.path();
    s.platform.commandLine = s.path(QStringLiteral("settings.ini"));
    s.window = std::make_unique<frmsimplechart>(s.platform);
    QElapsedTimer timer;
    timer.start();
    s.window->Form_Load();
    QVERIFY(timer.elapsed() < 5000);
    checkRefused(s, def, problem, kBadInput);
}

void TestHostile::drawnDefinition_data()
{
    QTest::addColumn<QByteArray>("definition");
    QTest::addColumn<bool>("pie");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("labels");
    QTest::addColumn<QList<double>>("values"); // of the pie, or of the first series
    QTest::addColumn<QStringList>("seriesNames");

    QTest::newRow("Latin-1 labels and title")
        << QByteArray("VGRAPH,SIMPLEPIECHART,x,Caf\xE9,1\nS\n3, Caf\xE9\n4, \xFC"
                      "ber\n5, \xFF\xFE\n")
        << true << QStringLiteral("Caf\u00e9")
        << QStringList{QStringLiteral("Caf\u00e9"), QStringLiteral("\u00fcber"),
                       QStringLiteral("\u00ff\u00fe")}
        << QList<double>{3, 4, 5} << QStringList();
    QTest::newRow("UTF-8 labels")
        << QByteArray("VGRAPH,SIMPLEPIECHART,x,Caf\xC3\xA9,1\nS\n3, Caf\xC3\xA9\n"
                      "4, \xE6\x97\xA5\xE6\x9C\xAC\n")
        << true << QStringLiteral("Caf\u00e9")
        << QStringList{QStringLiteral("Caf\u00e9"), QStringLiteral("\u65e5\u672c")}
        << QList<double>{3, 4} << QStringList();
    // Broken UTF-8 is shown byte for byte as Latin-1, never as nothing.
    QTest::newRow("invalid UTF-8 labels")
        << QByteArray("VGRAPH,SIMPLEPIECHART,x,T,1\nS\n1, \xC3(\n2, Gr\xC3\n3, \xC0\xAF\n"
                      "4, \xED\xA0\x80x\n5, Caf\xC3\xA9 \xE9\n")
        << true << QStringLiteral("T")
        << QStringList{QStringLiteral("\u00c3("), QStringLiteral("Gr\u00c3"),
                       QStringLiteral("\u00c0\u00af"), QStringLiteral("\u00ed\u00a0\u0080x"),
                       QStringLiteral("Caf\u00c3\u00a9 \u00e9")}
        << QList<double>{1, 2, 3, 4, 5} << QStringList();
    QTest::newRow("Latin-1 bar series names and labels")
        << QByteArray("VGRAPH,SIMPLEBARCHART,x,\"Ann\xE9\x65\",2\n\"Pr\xEAt\",\"R\xE9gl\xE9\"\n"
                      "1, 2, Z\xFCrich\n3, 4, G\xE9n\xE8ve\n")
        << false << QStringLiteral("Ann\u00e9e")
        << QStringList{QStringLiteral("Z\u00fcrich"), QStringLiteral("G\u00e9n\u00e8ve")}
        << QList<double>{1, 3}
        << QStringList{QStringLiteral("Pr\u00eat"), QStringLiteral("R\u00e9gl\u00e9")};
    // Markup in a label is text, not formatting.
    QTest::newRow("markup in a label")
        << QByteArray("VGRAPH,SIMPLEPIECHART,x,\"<h1>T</h1>\",1\nS\n1, <b>Bold</b> & co\n")
        << true << QStringLiteral("<h1>T</h1>") << QStringList{QStringLiteral("<b>Bold</b> & co")}
        << QList<double>{1} << QStringList();
    QTest::newRow("200 data lines") << pieWithLines(200) << true << QStringLiteral("Many")
                                    << numberedLabels(200) << oneToN(200) << QStringList();
    {
        QStringList names;
        for (int i = 1; i <= 254; ++i)
            names << QStringLiteral("s%1").arg(i);
        // 254 numbers on one line: only 20 fields are taken and no label is found.
        QTest::newRow("254 series") << barWithSeries(254) << false << QStringLiteral("Wide")
                                    << QStringList{QString()} << QList<double>{1} << names;
    }
    {
        const QByteArray longLabel(kMiB - 3, 'y');
        QTest::newRow("data line of exactly 1 MiB")
            << QByteArray("VGRAPH,SIMPLEPIECHART,x,T,1\nS\n1, " + longLabel + "\n") << true
            << QStringLiteral("T") << QStringList{QString::fromLatin1(longLabel)}
            << QList<double>{1} << QStringList();
    }
}

void TestHostile::drawnDefinition()
{
    QFETCH(QByteArray, definition);
    QFETCH(bool, pie);
    QFETCH(QString, title);
    QFETCH(QStringList, labels);
    QFETCH(QList<double>, values);
    QFETCH(QStringList, seriesNames);

    Started run;
    startOn(run, definition);
    StartedWindow& s = run.s;
    frmsimplechart& w = *s.window;
    QVERIFY2(s.platform.messages.isEmpty(), qPrintable(s.platform.messages.join('|').left(300)));
    QVERIFY(!s.platform.ended);
    QVERIFY(s.platform.pointerReset);
    QCOMPARE(w.ui.txtCaption->text(), title);
    QCOMPARE(listTexts(w.ui.List1), labels);

    if (pie) {
        QVERIFY(w.PieChart1().Visible());
        QVERIFY(!w.barchart1().Visible());
        QCOMPARE(w.PieChart1().Caption(), title);
        QCOMPARE(w.PieChart1().Items().Count(), labels.size());
        for (int i = 1; i <= labels.size(); ++i) {
            QCOMPARE(w.PieChart1().Items().Item(i).Label(), labels[i - 1]);
            QCOMPARE(w.PieChart1().Items().Item(i).Value(), values[i - 1]);
        }
    } else {
        QVERIFY(w.barchart1().Visible());
        QVERIFY(!w.PieChart1().Visible());
        QCOMPARE(w.barchart1().Series().Count(), seriesNames.size());
        for (int k = 1; k <= seriesNames.size(); ++k)
            QCOMPARE(w.barchart1().Series().Item(k).Name(), seriesNames[k - 1]);
        const BarValues& first = w.barchart1().Series().Item(1).Values();
        QCOMPARE(first.Count(), labels.size());
        for (int i = 1; i <= labels.size(); ++i) {
            QCOMPARE(first.Item(i).label, labels[i - 1]);
            QCOMPARE(first.Item(i).value, values[i - 1]);
        }
        QCOMPARE(w.ui.Combo1->itemText(0), QStringLiteral("1 - ") + seriesNames.first());
    }
}

void TestHostile::sameChartWhateverLineEnds()
{
    const QList<QPair<const char*, QByteArray>> files{
        {"LF", kPieLf},
        {"CRLF", withLineEnds(kPieLf, "\r\n")},
        {"CR", withLineEnds(kPieLf, "\r")},
        {"LF, no final line end", kPieLf.chopped(1)},
        {"CRLF, no final line end", withLineEnds(kPieLf, "\r\n").chopped(2)},
        {"CR, no final line end", withLineEnds(kPieLf, "\r").chopped(1)},
        {"mixed", QByteArray("VGRAPH,SIMPLEPIECHART,x,Colours,1\r\nCount\r12, Red\n30, "
                             "Blue\r\n8, Green")},
    };
    // The reference: what the plain LF file draws, rendered.
    QImage reference;
    for (const auto& [name, bytes] : files) {
        Started run;
        startOn(run, bytes);
        StartedWindow& s = run.s;
        frmsimplechart& w = *s.window;
        QVERIFY2(s.platform.messages.isEmpty(), name);
        QCOMPARE(w.ui.txtCaption->text(), QStringLiteral("Colours"));
        QCOMPARE(w.state.seriesNames[1], std::string("Count"));
        QCOMPARE(listTexts(w.ui.List1), kColours);
        QCOMPARE(w.PieChart1().Items().Count(), 3);
        for (int i = 1; i <= 3; ++i) {
            QCOMPARE(w.PieChart1().Items().Item(i).Label(), kColours[i - 1]);
            QCOMPARE(w.PieChart1().Items().Item(i).Value(), kColourValues[i - 1]);
        }
        const QImage picture = w.PieChart1().renderImage(QSize(320, 240));
        if (reference.isNull())
            reference = picture;
        else
            QVERIFY2(picture == reference, name);
    }
}

void TestHostile::foreignPaths_data()
{
    QTest::addColumn<QString>("programFolder");
    QTest::addColumn<QString>("settingsName");
    QTest::addColumn<QString>("blanksAround");
    QTest::newRow("blanks in the settings name")
        << QString() << QStringLiteral("my settings  file.ini") << QString();
    QTest::newRow("non-ASCII settings folder and name")
        << QString() << QStringLiteral("R\u00e9glages d\u2019\u00e9t\u00e9/\u8a2d\u5b9a \u00fc.ini")
        << QStringLiteral("   ");
    QTest::newRow("non-ASCII program folder with blanks")
        << QStringLiteral("Programme \u00c9l\u00e8ve \u041f\u0440\u0438")
        << QStringLiteral("r\u00e9glages.ini") << QStringLiteral(" ");
}

void TestHostile::foreignPaths()
{
    QFETCH(QString, programFolder);
    QFETCH(QString, settingsName);
    QFETCH(QString, blanksAround);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = programFolder.isEmpty() ? dir.path() : dir.filePath(programFolder);
    const QString settings = dir.filePath(settingsName);
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(QDir().mkpath(QFileInfo(settings).path()));
    QFile def(folder + "/" + kDefinition);
    QVERIFY(def.open(QIODevice::WriteOnly));
    def.write(kPieDefinition);
    def.close();
    QFile ini(settings);
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write(kSettings);
    ini.close();

    ScriptedPlatform platform;
    platform.programFolder = folder;
    platform.commandLine = blanksAround + settings + blanksAround;
    frmsimplechart w(platform);
    w.Form_Load();
    QVERIFY2(platform.messages.isEmpty(), qPrintable(platform.messages.join('|')));
    QVERIFY(!platform.ended);
    QCOMPARE(QString::fromStdString(w.state.settingsPath), settings);
    QCOMPARE(w.PieChart1().Items().Count(), 3);
    QCOMPARE(w.PieChart1().Items().Item(2).Label(), QStringLiteral("Blue"));
}

// Every seed of the fuzz corpus is a hostile case with a known outcome: the
// exit status start-up ends with, 0 for a drawn chart. Seeds named
// settings-* are settings files and go with a good pie definition.
void TestHostile::corpusSeeds_data()
{
    const QHash<QString, int> expected{
        {"bar-three-series", 0},
        {"binary-garbage", kBadInput},
        {"empty", kBadInput},
        {"header-only", kBadInput},
        {"header-four-fields", kBadInput},
        {"huge-n-30000", kBadInput},
        {"simple-n-99999999999", kBadInput},
        {"latin1-labels", 0},
        {"invalid-utf8-labels", 0},
        {"utf8-labels", 0},
        {"markup-labels", 0},
        {"m-too-big", kBadInput},
        {"m-negative", kBadInput},
        {"n-out-of-range", kBadInput},
        {"names-cut-short", kBadInput},
        {"item-categories-cut-short", kBadInput},
        {"negative-n", kBadInput},
        {"nul-byte", kBadInput},
        {"nul-in-header", kBadInput},
        {"pie-201-lines", kBadInput},
        {"pie-cr-no-final-line-end", 0},
        {"pie-crlf", 0},
        {"pie-lf", 0},
        {"pie-lf-no-final-line-end", 0},
        {"pie-mixed-line-ends", 0},
        {"settings-ok", 0},
        {"settings-quoted", 0},
        {"settings-empty", kBadInput},
        {"settings-third-field-huge", kBadInput},
        {"stacked-101-lines", kBadInput},
        {"stacked-201-series", kCategoryLimit},
        {"stacked-one-comma", 0},
        {"stacked-sex-group", 0},
    };
    QTest::addColumn<QString>("seed");
    QTest::addColumn<int>("status");
    const QDir corpus(QStringLiteral(VELDRA_CORPUS_DIR));
    const QStringList seeds = corpus.entryList(QDir::Files, QDir::Name);
    QVERIFY(!seeds.isEmpty());
    for (const QString& seed : seeds) {
        // A seed without an expected outcome is a test nobody wrote.
        QVERIFY2(expected.contains(seed), qPrintable("no expected outcome for seed " + seed));
        QTest::newRow(qPrintable(seed)) << corpus.filePath(seed) << expected.value(seed);
    }
    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
        QVERIFY2(seeds.contains(it.key()), qPrintable("missing seed " + it.key()));
}

void TestHostile::corpusSeeds()
{
    QFETCH(QString, seed);
    QFETCH(int, status);
    QFile file(seed);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const bool isSettings = QFileInfo(seed).fileName().startsWith(QLatin1String("settings-"));

    Started run;
    if (isSettings)
        startOn(run, kPieDefinition, bytes);
    else
        startOn(run, bytes);
    StartedWindow& s = run.s;
    if (status == 0) {
        QVERIFY2(s.platform.messages.isEmpty(), qPrintable(s.platform.messages.join('|')));
        QVERIFY(!s.platform.ended);
        const int drawn = s.window->PieChart1().Items().Count()
                          + s.window->barchart1().Series().Count();
        QVERIFY(drawn > 0);
        QVERIFY(s.window->ui.List1->count() > 0);
    } else {
        const QString named = s.path(isSettings ? QStringLiteral("settings.ini") : kDefinition);
        checkRefused(s, named, QString(), status);
    }
}

void TestHostile::rendererProcess_data()
{
    QTest::addColumn<QByteArray>("definition");
    QTest::addColumn<QString>("special"); // "folder": the definition is a folder
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("problem");
    QTest::addColumn<QStringList>("labels"); // of a drawn pie

    QTest::newRow("empty file") << QByteArray() << QString() << kBadInput
                                << "ends before its header" << QStringList();
    QTest::newRow("N 99999999999")
        << QByteArray("VGRAPH,SIMPLEBARCHART,x,T,99999999999\na\n1, x\n") << QString()
        << kBadInput << "99999999999" << QStringList();
    QTest::newRow("NUL bytes") << raw("VGRAPH,SIMPLEPIECHART,x,T,1\nS\n1\0002, Nul\n")
                               << QString() << kBadInput << "NUL" << QStringList();
    QTest::newRow("10 000 data lines") << pieWithLines(10000) << QString() << kBadInput
                                       << "more than 200 data lines" << QStringList();
    QTest::newRow("two-way 10 000 data lines")
        << stackedWithLines(3, 10000) << QString() << kCategoryLimit << kContinuous
        << QStringList();
    QTest::newRow("50 MB single line")
        << "VGRAPH,SIMPLEPIECHART,x,T,1\nS\n1, " + QByteArray(kFiftyMegabytes, 'x') << QString()
        << kBadInput << "longer than 1 MiB" << QStringList();
    QTest::newRow("definition is a folder") << QByteArray() << "folder" << kBadInput
                                            << "folder or device" << QStringList();
    QTest::newRow("definition is a FIFO") << QByteArray() << "fifo" << kBadInput
                                          << "folder or device" << QStringList();
    QTest::newRow("Latin-1 labels, CRLF, no final line end")
        << QByteArray("VGRAPH,SIMPLEPIECHART,x,T,1\r\nS\r\n3, Caf\xE9\r\n4, \xFC"
                      "ber")
        << QString() << 0 << QString()
        << QStringList{QStringLiteral("Caf\u00e9"), QStringLiteral("\u00fcber")};
    QTest::newRow("non-ASCII settings path with blanks")
        << kPieDefinition << "foreign-settings" << 0 << QString() << kColours;
}

void TestHostile::rendererProcess()
{
    QFETCH(QByteArray, definition);
    QFETCH(QString, special);
    QFETCH(int, exitCode);
    QFETCH(QString, problem);
    QFETCH(QStringList, labels);
    QVERIFY2(QFileInfo(renderPath()).isExecutable(), qPrintable(renderPath()));

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString def = dir.filePath(kDefinition);
    if (special == "folder") {
        QVERIFY(QDir(dir.path()).mkdir(kDefinition));
    } else if (special == "fifo") {
        QCOMPARE(mkfifo(QFile::encodeName(def).constData(), 0600), 0);
    } else {
        QFile f(def);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QCOMPARE(f.write(definition), definition.size());
    }
    const QString settings = special == "foreign-settings"
                                 ? dir.filePath(QStringLiteral("Donn\u00e9es \u00e9t\u00e9/r\u00e9glages 1.ini"))
                                 : dir.filePath(QStringLiteral("settings.ini"));
    QVERIFY(QDir().mkpath(QFileInfo(settings).path()));
    QFile ini(settings);
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write(kSettings);
    ini.close();
    const QString picture = dir.filePath(QStringLiteral("out.png"));

    const RenderRun run = runRenderer({"--folder", dir.path(), "--size", "320x240", "-o", picture,
                                       "--describe", settings},
                                      30000);
    QVERIFY2(run.finished, "the renderer did not finish within 30 s");
    QCOMPARE(run.exitStatus, QProcess::NormalExit);
    QVERIFY2(!run.err.contains("runtime error") && !run.err.contains("AddressSanitizer"),
             run.err.left(2000).constData());
    QCOMPARE(run.exitCode, exitCode);
    // Start-up of the renderer included: a few seconds at most, also for 50 MB.
    QVERIFY2(run.elapsedMs < 8000, qPrintable(QString::number(run.elapsedMs)));

    const QString err = QString::fromLocal8Bit(run.err);
    if (exitCode != 0) {
        // Qt may warn on standard error too; the program's message is a line of its own.
        const qsizetype at = err.indexOf(QLatin1String("VELDRAPLOT: "));
        QVERIFY2(at == 0 || (at > 0 && err.at(at - 1) == QLatin1Char('\n')),
                 qPrintable(err.left(500)));
        QVERIFY2(err.contains(problem), qPrintable(err.left(500)));
        if (exitCode == kBadInput)
            QVERIFY2(err.contains(def), qPrintable(err.left(500)));
        QVERIFY(run.out.isEmpty());
        QVERIFY(!QFileInfo::exists(picture));
        QVERIFY(err.size() < 1000);
        return;
    }
    QVERIFY2(!err.contains(QLatin1String("VELDRAPLOT: ")), qPrintable(err));
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(run.out, &parseError);
    QVERIFY2(parseError.error == QJsonParseError::NoError, qPrintable(parseError.errorString()));
    const QJsonArray items = doc.object()["pie"].toObject()["Items"].toArray();
    QStringList drawn;
    for (const QJsonValue& item : items)
        drawn << item.toObject()["label"].toString();
    QCOMPARE(drawn, labels);
    const QImage saved(picture, "PNG");
    QCOMPARE(saved.size(), QSize(320, 240));
}

void TestHostile::longTextsDrawnInBoundedMemory_data()
{
    QTest::addColumn<QByteArray>("definition");
    const QByteArray text(100 * 1024, 'W');
    QTest::newRow("100 KiB pie label")
        << QByteArray("VGRAPH,SIMPLEPIECHART,x,T,1\nS\n1, " + text + "\n2, b\n");
    QTest::newRow("100 KiB title") << QByteArray("VGRAPH,SIMPLEPIECHART,x," + text + ",1\nS\n1, a\n");
    QTest::newRow("100 KiB bar title")
        << QByteArray("VGRAPH,SIMPLEBARCHART,x," + text + ",1\nS\n1, a\n");
    QTest::newRow("100 KiB bar label")
        << QByteArray("VGRAPH,SIMPLEBARCHART,x,T,1\nS\n1, " + text + "\n2, b\n");
    QTest::newRow("100 KiB series name")
        << QByteArray("VGRAPH,SIMPLEBARCHART,x,T,2\n" + text + ",S\n1, 2, a\n");
}

// A text far wider than any chart is drawn cut short; drawing it must not
// cost memory or time that grows with the square of its length.
void TestHostile::longTextsDrawnInBoundedMemory()
{
    QFETCH(QByteArray, definition);
#if defined(__SANITIZE_ADDRESS__)
    QSKIP("the address space cap that keeps this case safe does not work with AddressSanitizer");
#endif
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile def(dir.filePath(kDefinition));
    QVERIFY(def.open(QIODevice::WriteOnly));
    def.write(definition);
    def.close();
    QFile ini(dir.filePath(QStringLiteral("settings.ini")));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write(kSettings);
    ini.close();
    const QString picture = dir.filePath(QStringLiteral("out.png"));

    const RenderRun run = runRenderer({"--folder", dir.path(), "--size", "640x480", "-o", picture,
                                       ini.fileName()},
                                      30000, qint64(1) << 30);
    QVERIFY2(run.finished, "the renderer did not finish within 30 s");
    QVERIFY2(run.exitStatus == QProcess::NormalExit,
             qPrintable("the renderer crashed (out of memory?) after "
                        + QString::number(run.elapsedMs) + " ms"));
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.elapsedMs < 8000, qPrintable(QString::number(run.elapsedMs)));
    QCOMPARE(QImage(picture, "PNG").size(), QSize(640, 480));
}

QTEST_MAIN(TestHostile)
#include "tst_hostile.moc"
