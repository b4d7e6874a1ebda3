// Hostile chart files: empty, cut short, absurd counts, endless lines, NUL bytes,
// foreign encodings, odd line ends, files that are not files. Each ends in a message
// naming the file and a non-zero exit status, or in a drawn chart whose contents are
// checked; a few also run through the batch renderer as a real process.
#include "testfiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

#include <filesystem>
#include <fstream>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kDefinition = QStringLiteral("~VGRAPH.TMP");
const QString kIni = QStringLiteral("settings.ini");
const QByteArray kSettings = "\"C:\\VELDRA\\\",analysis,10\r\n";
const QString kContinuous = QStringLiteral("continuous rather than categorical");
constexpr int kBadInput = 2, kCategoryLimit = 3;
constexpr qsizetype kMiB = 1024 * 1024, kFiftyMegabytes = 50 * kMiB;

const QByteArray kPieHeader = "VGRAPH,SIMPLEPIECHART,x,T,1\nS\n";

// A simple bar with n series "s1".."sn" and one data line "1, 2, ..., n".
QByteArray barWithSeries(int n)
{
    QByteArray names, values;
    for (int i = 1; i <= n; ++i) {
        names += ",\"s" + QByteArray::number(i) + "\"";
        values += (i > 1 ? ", " : "") + QByteArray::number(i);
    }
    return "VGRAPH,SIMPLEBARCHART,x,Wide," + QByteArray::number(n) + names + "\n" + values + "\n";
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// Makes `path` a folder, FIFO, link to itself, dangling link or file without
// read permission, as `kind` says; other kinds leave it alone.
bool makeNotAFile(const QString& path, const QString& kind)
{
    const QByteArray name = QFile::encodeName(path);
    if (kind == "folder")
        return QDir().mkdir(path);
    if (kind == "fifo")
        return mkfifo(name.constData(), 0600) == 0;
    if (kind == "loop" || kind == "dangling")
        return symlink(kind == "loop" ? name.constData() : "gone", name.constData()) == 0;
    if (kind == "unreadable")
        return writeFile(path, kPieDefinition) && QFile::setPermissions(path, QFile::WriteOwner);
    return true;
}

// Runs the start-up on the definition (unless a test made that path
// something else already) and the settings; returns its time in ms.
qint64 startOn(StartedWindow& s, const QByteArray& definition, const QByteArray& settings)
{
    const QFileInfo def(s.path(kDefinition));
    if (!def.exists() && !def.isSymLink())
        s.write(kDefinition, definition);
    s.write(kIni, settings);
    s.platform.programFolder = s.dir.path();
    s.platform.commandLine = s.path(kIni);
    s.window = std::make_unique<frmsimplechart>(s.platform);
    QElapsedTimer timer;
    timer.start();
    s.window->Form_Load();
    return timer.elapsed();
}

// What a drawn chart shows: "title (series names): label=value|...", the
// values being those of the pie or of the first bar series.
QString shown(frmsimplechart& w, QStringList* labels)
{
    QStringList names, items;
    auto add = [&](const QString& label, double value) {
        *labels << label;
        items << label + "=" + QString::number(value);
    };
    if (w.context().pie.Visible()) {
        names << QString::fromStdString(w.context().state.seriesNames[1]);
        for (int i = 1; i <= w.context().pie.Items().Count(); ++i)
            add(w.context().pie.Items().Item(i).Label(), w.context().pie.Items().Item(i).Value());
    } else if (w.context().bar.Series().Count() > 0) {
        for (int k = 1; k <= w.context().bar.Series().Count(); ++k)
            names << w.context().bar.Series().Item(k).Name();
        const BarValues& first = w.context().bar.Series().Item(1).Values();
        for (int i = 1; i <= first.Count(); ++i)
            add(first.Item(i).label, first.Item(i).value);
    }
    return ctl<QLineEdit>(w, "txtCaption")->text() + " (" + names.join('|') + "): " + items.join('|');
}

} // namespace

class TestHostile : public QObject {
    Q_OBJECT
private slots:
    void startUp_data();
    void startUp();
    void rendererProcess_data();
    void rendererProcess();
};

// Status 0: a drawn chart showing `expected`; otherwise the refusal with
// that status, whose message names the file and contains `expected`.
void TestHostile::startUp_data()
{
    QTest::addColumn<QString>("kind"); // what the definition path is, when not a file
    QTest::addColumn<QByteArray>("definition");
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("expected");
    auto row = [](const char* name, const QByteArray& def, int status, const QString& expected,
                  const QByteArray& settings = kSettings) {
        QTest::newRow(name) << QString() << def << settings << status << expected;
    };
    auto notAFile = [](const char* name, const char* kind, const char* problem) {
        QTest::newRow(name) << kind << QByteArray() << kSettings << kBadInput << QString(problem);
    };
    row("N 255, one past the series table", barWithSeries(255), kBadInput,
        "number of series is 255");
    row("N not a number", "VGRAPH,SIMPLEPIECHART,x,T,lots,S\n1, a\n", kBadInput,
        "\"lots\" is not a whole number");
    row("N 1.5", "VGRAPH,SIMPLEPIECHART,x,T,1.5,S\n1, a\n", kBadInput,
        "\"1.5\" is not a whole number");
    row("N 2abc", "VGRAPH,SIMPLEBARCHART,x,T,2abc,S,U\n1, 2, a\n", kBadInput,
        "\"2abc\" is not a whole number");
    row("N 0.5", "VGRAPH,SIMPLEPIECHART,x,T,0.5\n1, a\n", kBadInput,
        "\"0.5\" is not a whole number");
    row("settings third field 1.5", kPieDefinition, kBadInput, "\"1.5\" is not a whole number",
        "C:\\,x,1.5\n");
    row("settings third field 12abc", kPieDefinition, kBadInput, "\"12abc\" is not a whole number",
        "C:\\,x,12abc\n");
    // Not UTF-8: Windows-1252, where 0x81 is one of the five unassigned bytes.
    row("Windows-1252 labels",
        "VGRAPH,SIMPLEPIECHART,x,\x93T\x94,1\nS\n1, 5 \x80\n2, \x96\n3, \x81\n", 0,
        QStringLiteral("\u201cT\u201d (S): 5 \u20ac=1|\u2013=2|\u0081=3"));
    row("two-way header ends after its variable line", "VGRAPH,WSTACKEDBAR\nA,B,C", kBadInput,
        "ends inside its header, before the chart title");
    row("data line one byte past 1 MiB", kPieHeader + "1, " + QByteArray(kMiB - 2, 'x') + "\n",
        kBadInput, "longer than 1 MiB");
    row("50 MB of blanks", QByteArray(kFiftyMegabytes, ' '), kBadInput, "longer than 1 MiB");
    row("50 MB settings line", kPieDefinition, kBadInput, "longer than 1 MiB",
        QByteArray(kFiftyMegabytes, 'z'));
    notAFile("definition is a folder", "folder", "folder or device");
    notAFile("definition is a FIFO", "fifo", "folder or device"); // would block a reader
    notAFile("definition is a link to itself", "loop", "cannot be read");
    notAFile("definition is a dangling link", "dangling", "does not exist");
    notAFile("definition without read permission", "unreadable", "cannot be read");

    row("Latin-1 bar series names and labels",
        "VGRAPH,SIMPLEBARCHART,x,\"Ann\xE9\x65\",2\n\"Pr\xEAt\",\"R\xE9gl\xE9\"\n"
        "1, 2, Z\xFCrich\n3, 4, G\xE9n\xE8ve\n", 0,
        QStringLiteral("Ann\u00e9e (Pr\u00eat|R\u00e9gl\u00e9): Z\u00fcrich=1|G\u00e9n\u00e8ve=3"));
    row("200 data lines", kPieHeader + QByteArray("1, a\n").repeated(200), 0,
        "T (S): " + QStringList(200, "a=1").join('|'));
    QStringList wide;
    for (int i = 1; i <= 254; ++i)
        wide << QStringLiteral("s%1").arg(i);
    // 254 numbers on one line: only 20 fields are taken and no label is found.
    row("254 series", barWithSeries(254), 0, "Wide (" + wide.join('|') + "): =1");
    const QByteArray longLabel(kMiB - 3, 'y');
    row("data line of exactly 1 MiB", kPieHeader + "1, " + longLabel + "\n", 0,
        "T (S): " + QString::fromLatin1(longLabel) + "=1");

    // Every seed of the fuzz corpus is a case with a known outcome. Seeds
    // named settings-* are settings files and go with a good pie definition.
    const QString huge = QStringLiteral("\"99999999999\" is not a whole number");
    const QString colours = QStringLiteral("Colours (Count): Red=12|Blue=30|Green=8");
    const QString favourite = QStringLiteral("Favourite colour (Count): Red=12|Blue=30|Green=8");
    const int bad = kBadInput;
    const QHash<QString, QPair<int, QString>> expected{
        {"bar-three-series",
         {0, "Sales, 2023 (North|South|East, West): Loss=10|Quoted=1|=0|Hex=31|=12.5"}},
        {"binary-garbage", {bad, ""}}, {"nul-byte", {bad, "NUL"}}, {"nul-in-header", {bad, "NUL"}},
        {"empty", {bad, "ends before its header"}}, {"header-only", {bad, "ends inside its header"}},
        {"header-four-fields", {bad, "before the number of series"}},
        {"huge-n-30000", {bad, "number of series is 30000"}},
        {"simple-n-99999999999", {bad, huge}},
        {"n-out-of-range", {kCategoryLimit, kContinuous}}, // a two-way N past 16 bits
        {"negative-n", {bad, "number of series is negative: -5"}},
        {"m-negative", {bad, "number of item categories is negative: -5"}},
        {"m-too-big", {bad, "number of item categories is 101"}},
        {"names-cut-short", {bad, "inside the list of series names (after 2 of 4)"}},
        {"item-categories-cut-short", {bad, "inside the list of item categories (after 1 of 3)"}},
        {"pie-201-lines", {bad, "more than 200 data lines"}},
        {"stacked-101-lines", {bad, "more than 100 data lines"}},
        {"stacked-201-series", {kCategoryLimit, kContinuous}}, {"settings-empty", {bad, "ends"}},
        {"settings-third-field-huge", {bad, "from -32768 to 32767"}},
        {"latin1-labels",
         {0, QStringLiteral("Caf\u00e9 (S): Caf\u00e9=3|\u00fcber=4|\u00ff\u00fe=5")}},
        {"utf8-labels", {0, QStringLiteral("Caf\u00e9 (S): Caf\u00e9=3|\u65e5\u672c=4")}},
        // Broken UTF-8 is shown byte for byte as Windows-1252, never as nothing.
        {"invalid-utf8-labels",
         {0, QStringLiteral("T (S): \u00c3(=1|Gr\u00c3=2|\u00c0\u00af=3|\u00ed\u00a0\u20acx=4|"
                            "Caf\u00c3\u00a9 \u00e9=5")}},
        // Markup in a label is text, not formatting.
        {"markup-labels", {0, "<h1>T</h1> (S): <b>Bold</b> & co=1|<script>x</script>=2"}},
        {"pie-lf", {0, colours}}, {"pie-crlf", {0, colours}}, {"pie-mixed-line-ends", {0, colours}},
        {"pie-lf-no-final-line-end", {0, colours}}, {"pie-cr-no-final-line-end", {0, colours}},
        {"stacked-one-comma", {0, "Count by Sex &  () (Male|Female): A=1|B=3|=5"}},
        {"stacked-sex-group", {0, "Count by Sex & Group (N=40) (Male|Female): A=4|B=6|C=8"}},
        {"settings-ok", {0, favourite}}, {"settings-quoted", {0, favourite}},
    };
    const QDir corpus(QStringLiteral(VELDRA_CORPUS_DIR));
    const QStringList seeds = corpus.entryList(QDir::Files, QDir::Name);
    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
        QVERIFY2(seeds.contains(it.key()), qPrintable("missing seed " + it.key()));
    for (const QString& seed : seeds) {
        // A seed without an expected outcome is a test nobody wrote.
        QVERIFY2(expected.contains(seed), qPrintable("no expected outcome for seed " + seed));
        QFile file(corpus.filePath(seed));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const bool ini = seed.startsWith(QLatin1String("settings-"));
        const QByteArray bytes = file.readAll();
        QTest::newRow(qPrintable("seed " + seed))
            << QString() << (ini ? kPieDefinition : bytes) << (ini ? bytes : kSettings)
            << expected[seed].first << expected[seed].second;
    }
}

void TestHostile::startUp()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, definition);
    QFETCH(QByteArray, settings);
    QFETCH(int, status);
    QFETCH(QString, expected);
    if (kind == "unreadable" && geteuid() == 0)
        QSKIP("root reads files without read permission");

    StartedWindow s;
    const QString def = s.path(kDefinition);
    QVERIFY(makeNotAFile(def, kind));
    // Nothing is read beyond what the outcome needs, whatever the file's size.
    const qint64 elapsedMs = startOn(s, definition, settings);
    QVERIFY2(elapsedMs < 5000, qPrintable(QString::number(elapsedMs)));
    frmsimplechart& w = *s.window;
    const QStringList& messages = s.platform.messages;

    if (status == 0) {
        QVERIFY2(messages.isEmpty(), qPrintable(messages.join('|').left(300)));
        QVERIFY(!s.platform.ended && s.platform.pointerReset);
        QCOMPARE(w.context().pie.Visible(), !w.context().bar.Visible());
        const ChartComponent& chart = w.context().pie.Visible()
                                          ? static_cast<ChartComponent&>(w.context().pie)
                                          : static_cast<ChartComponent&>(w.context().bar);
        QCOMPARE(chart.Caption(), ctl<QLineEdit>(w, "txtCaption")->text());
        QStringList labels, list;
        QCOMPARE(shown(w, &labels), expected);
        for (int i = 0; i < ctl<QListWidget>(w, "List1")->count(); ++i)
            list << ctl<QListWidget>(w, "List1")->item(i)->text();
        QCOMPARE(list, labels); // the options panel shows the chart's labels
        const QString entry = ctl<QComboBox>(w, "Combo1")->itemText(0);
        QCOMPARE(entry.mid(entry.indexOf(" - ") + 3),
                 w.context().pie.Visible() ? labels.value(0) : w.context().bar.Series().Item(1).Name());
        // The line ends of a file change nothing in the picture.
        if (expected.startsWith("Colours")) {
            StartedWindow lf;
            lf.start("VGRAPH,SIMPLEPIECHART,x,Colours,1\nCount\n12, Red\n30, Blue\n8, Green\n");
            QVERIFY(w.context().pie.renderImage({320, 240})
                    == lf.window->context().pie.renderImage({320, 240}));
        }
        return;
    }
    QCOMPARE(messages.size(), 1);
    const QString message = messages.first();
    const QString file = settings == kSettings ? def : s.path(kIni);
    QVERIFY2(status == kCategoryLimit || message.contains('"' + file + '"'), qPrintable(message));
    QVERIFY2(message.contains(expected, Qt::CaseInsensitive), qPrintable(message));
    // The message is for people: short, whatever the size of the file.
    QVERIFY2(message.size() < 600, qPrintable(QString::number(message.size())));
    QVERIFY(s.platform.ended && !s.platform.pointerReset);
    QCOMPARE(s.platform.exitStatus, status);
    QCOMPARE(w.context().pie.Items().Count() + w.context().bar.Series().Count() + ctl<QListWidget>(w, "List1")->count(),
             0);
}

// Arguments of the renderer, {folder}, {settings} and {picture} standing for the paths.
const QStringList kRenderArgs{"--folder", "{folder}",  "--size",     "320x240",
                              "-o",       "{picture}", "--describe", "{settings}"};

void TestHostile::rendererProcess_data()
{
    QTest::addColumn<QByteArray>("definition");
    QTest::addColumn<QString>("special");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("problem");
    QTest::addColumn<QStringList>("labels"); // of a drawn pie, none for a bar
    QTest::addColumn<QStringList>("args");

    auto row = [](const char* name, const QByteArray& def, const char* special, int exitCode,
                  const QString& problem, const QStringList& labels = {},
                  const QStringList& args = kRenderArgs) {
        QTest::newRow(name) << def << QString(special) << exitCode << problem << labels << args;
    };
    row("empty file", "", "", kBadInput, "ends before its header");
    row("50 MB single line", kPieHeader + "1, " + QByteArray(kFiftyMegabytes, 'x'),
        "", kBadInput, "longer than 1 MiB");
    row("two-way 10 000 data lines",
        "VGRAPH,WSTACKEDBAR\nA,B,n\nT,2,x,y,3,b1,b2,b3\n" + QByteArray("1, 2\n").repeated(10000),
        "", kCategoryLimit, kContinuous);
    row("definition is a folder", "", "folder", kBadInput, "folder or device");
    row("definition is a FIFO", "", "fifo", kBadInput, "folder or device");
    row("Latin-1 labels, CRLF, no final line end",
        "VGRAPH,SIMPLEPIECHART,x,Ann\xE9" "e \x80,1\r\nS\r\n3, Caf\xE9\r\n4, \xFC" "ber", "", 0, "",
        {QStringLiteral("Caf\u00e9"), QStringLiteral("\u00fcber")});
    row("non-ASCII folder and settings path with blanks", kPieDefinition, "foreign", 0, "",
        {"Red", "Blue", "Green"});
    // A text far wider than any chart is drawn cut short; drawing it must
    // not cost memory or time that grows with the square of its length.
    const QByteArray text(100 * 1024, 'W');
    row("100 KiB title", "VGRAPH,SIMPLEPIECHART,x," + text + ",1\nS\n1, a\n", "long", 0, "", {"a"});
    row("100 KiB pie label", kPieHeader + "1, " + text + "\n2, b\n", "long", 0, "",
        {QString(text), "b"});
    const QByteArray bar = "VGRAPH,SIMPLEBARCHART,x,T,";
    row("100 KiB bar label", bar + "1\nS\n1, " + text + "\n2, b\n", "long", 0, "");
    row("100 KiB series name", bar + "2\n" + text + ",S\n1, 2, a\n", "long", 0, "");
    // Memory must not grow with labels times series: 200 series over ten
    // categories named with 1 MiB each (10 MB) would take 4 GB if every
    // series held its own copy of the labels (no --describe: it lists
    // every bar's label).
    QByteArray twoWay = "VGRAPH,WSTACKEDBAR\nA,B,n\nT,200";
    for (int i = 1; i <= 200; ++i)
        twoWay += ",s" + QByteArray::number(i);
    twoWay += "\n10\n";
    for (int i = 0; i < 10; ++i)
        twoWay += QByteArray(kMiB - 2, char('a' + i)) + "\n";
    row("two-way, 200 series over ten 1 MiB categories",
        twoWay + QByteArray("1, 2\n").repeated(10),
        "memory 1024", 0, "", {},
        {"--folder", "{folder}", "--size", "320x240", "-o", "{picture}", "{settings}"});

    // The command line: file names are bytes, sizes exact, Qt's options none of Qt's business.
    const QStringList pie{"Red", "Blue", "Green"};
    row("Latin-1 folder, settings path and picture name", kPieDefinition, "latin1", 0, "", pie);
    row("installed in a Latin-1 folder", kPieDefinition, "latin1 installed", 0, "", pie,
        {"--size", "320x240", "-o", "{picture}", "--describe", "{settings}"});
    QStringList args = kRenderArgs;
    for (const char* size : {"16x16", "100x100junk", "4294967312x16", "20001x300"})
        row(qPrintable(QStringLiteral("--size %1").arg(size)), kPieDefinition, "", 64, size, {},
            args.replaceInStrings(QRegularExpression("^\\d+x.*"), size));
    args = kRenderArgs;
    row("-o with an empty name", kPieDefinition, "", 64, "-o needs a file name", {},
        args.replaceInStrings("{picture}", ""));
    row("--describe into a full standard output", kPieDefinition, "full stdout", 1,
        "No space left on device");
    row("--describe into a closed standard output", kPieDefinition, "closed stdout", 1,
        "Bad file descriptor");
    // BMP and GIF run out while encoding, PNG (with 1 GiB) already while drawing.
    for (const char* format : {"bmp", "gif", "png"})
        row(qPrintable(QStringLiteral("20000x20000 %1 without the memory").arg(format)),
            kPieDefinition, format[0] == 'p' ? "memory 1024" : "memory 1900", 1,
            "not enough memory", {},
            {"--folder", "{folder}", "--size", "20000x20000", "--format", format, "-o", "{picture}",
             "{settings}"});
    row("no XDG_RUNTIME_DIR: no runtime folder", kPieDefinition, "no runtime dir", 0, "", pie);
    row("viewer with Qt's options as settings path", kPieDefinition, "viewer", 0, "", {},
        {"-platform", "nope", "f"});
    row("viewer with -reverse as settings path", kPieDefinition, "viewer", 0, "", {}, {"-reverse"});
}

void TestHostile::rendererProcess()
{
    QFETCH(QByteArray, definition);
    QFETCH(QString, special);
    QFETCH(int, exitCode);
    QFETCH(QString, problem);
    QFETCH(QStringList, labels);
    QFETCH(QStringList, args);
    const bool memory = special.startsWith("memory"); // with its cap in MiB
    qint64 memoryLimit = (memory ? special.mid(7).toLongLong() : 1024) << 20;
#if defined(__SANITIZE_ADDRESS__)
    if (special == "long" || memory)
        QSKIP("the address space cap that keeps this case safe does not work with ASan");
    memoryLimit = 0;
#endif
    QTemporaryDir dir;
    const bool foreign = special == "foreign", latin1 = special.startsWith("latin1");
    // Latin-1 names are built as bytes; the shell's printf hands them to the program.
    const QByteArray e = latin1 ? "\xe9" : "e", root = QFile::encodeName(dir.path());
    const QByteArray folder = foreign ? QFile::encodeName(dir.filePath("Programme Élève Прил"))
                              : latin1 ? root + "/Caf" + e
                                       : root;
    const QByteArray settings =
        foreign ? QFile::encodeName(dir.filePath("Données été/réglages 1.ini"))
                : root + "/" + (latin1 ? "r" + e + "glages.ini" : "settings.ini");
    const QByteArray picture = root + "/caf" + e + ".png", neighbour = root + "/caf\xe0.png";
    const QByteArray kOld = "the picture saved earlier";
    namespace fs = std::filesystem;
    // QDir cannot remove names that are not UTF-8.
    const auto cleanUp = qScopeGuard([&] { fs::remove_all(root.toStdString()); });
    auto text = [latin1](const QByteArray& b) {
        return latin1 ? QString::fromLatin1(b) : QFile::decodeName(b);
    };
    auto writeBytes = [](const QByteArray& path, const QByteArray& bytes) {
        std::ofstream(path.toStdString(), std::ios::binary) << bytes.toStdString();
    };
    auto readBytes = [](const QByteArray& path) {
        std::ifstream in(path.toStdString(), std::ios::binary);
        return QByteArray::fromStdString({std::istreambuf_iterator<char>(in), {}});
    };
    const QString def = QFile::decodeName(folder) + "/" + kDefinition;
    fs::create_directories(folder.toStdString());
    fs::create_directories(fs::path(settings.toStdString()).parent_path());
    QVERIFY(makeNotAFile(def, special));
    if (special != "fifo" && special != "folder")
        writeBytes(folder + "/" + kDefinition.toUtf8(), definition);
    writeBytes(settings, kSettings);
    writeBytes(picture, kOld);
    writeBytes(neighbour, kOld); // a name that differs from the picture's in one byte only
    QString program = QStringLiteral(VELDRA_RENDER_PATH);
    if (special.contains("installed") || special == "viewer") {
        program = special == "viewer" ? QStringLiteral(VELDRA_VIEWER_PATH) : program;
        const fs::path copy =
            fs::path(folder.toStdString()) / fs::path(program.toStdString()).filename();
        fs::copy_file(program.toStdString(), copy);
        program = text(QByteArray::fromStdString(copy.string()));
        if (special == "viewer") // its settings file is named like its arguments
            writeBytes(root + "/" + args.join(' ').toUtf8(), kSettings);
    }
    const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden);
    QStringList argv;
    for (QString arg : args) {
        arg.replace("{folder}", text(folder)).replace("{picture}", text(picture));
        argv << arg.replace("{settings}", text(settings));
    }
    if (latin1) { // program and arguments through printf %b, with \0351 for the byte 0xe9
        argv.prepend(program);
        for (QString& arg : argv)
            arg = QString::fromLatin1(arg.toLatin1().replace("\xe9", "\\0351"));
        argv = QStringList{"-c",
                           "for a; do set -- \"$@\" \"$(printf %b \"$a\")\"; shift; done; "
                           "exec \"$@\"",
                           "sh"} +
               argv;
        program = QStringLiteral("/bin/sh");
    }

    QProcess p;
    p.setWorkingDirectory(dir.path());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (special == "no runtime dir") {
        env.remove("XDG_RUNTIME_DIR");
        env.insert("TMPDIR", dir.path());
    }
    if (special == "viewer")
        env.insert("VELDRAPLOT_EXIT_AFTER_FIRST_PAINT", "1");
    p.setProcessEnvironment(env);
    if (special == "full stdout")
        p.setStandardOutputFile("/dev/full");
    const bool closeStdout = special == "closed stdout";
    p.setChildProcessModifier([memoryLimit, closeStdout] {
        const rlimit limit{rlim_t(memoryLimit), rlim_t(memoryLimit)};
        if (memoryLimit > 0) // a run that would eat the machine's memory fails fast instead
            setrlimit(RLIMIT_AS, &limit);
        if (closeStdout)
            close(STDOUT_FILENO);
    });
    QElapsedTimer timer;
    timer.start();
    p.start(program, argv);
    const bool finished = p.waitForFinished(30000);
    const qint64 elapsedMs = timer.elapsed();
    if (!finished)
        p.kill(), p.waitForFinished(5000);
    const QString err = QString::fromLocal8Bit(p.readAllStandardError());
    QVERIFY2(finished, "the renderer did not finish within 30 s");
    QVERIFY2(p.exitStatus() == QProcess::NormalExit && !err.contains("runtime error") &&
                 !err.contains("AddressSanitizer"),
             qPrintable("crashed (out of memory?) after " + QString::number(elapsedMs) +
                        " ms: " + err.left(2000)));
    QCOMPARE(p.exitCode(), exitCode);
    // Start-up of the renderer included: a few seconds at most, also for 50 MB.
    QVERIFY2(elapsedMs < 8000, qPrintable(QString::number(elapsedMs)));
    const QByteArray out = p.readAllStandardOutput();
    // No file but the picture is touched: no temporary or runtime folder is left.
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden), before);
    QCOMPARE(readBytes(neighbour), kOld);
    if (special == "viewer")
        return;

    if (exitCode != 0) {
        // Qt may warn on standard error too; the program's message is a line of its own.
        const qsizetype at =
            err.indexOf(QLatin1String(exitCode == 64 ? "veldraplot-render: " : "VELDRAPLOT: "));
        QVERIFY2(at == 0 || (at > 0 && err.at(at - 1) == '\n'), qPrintable(err.left(500)));
        QVERIFY2(err.contains(problem) && err.size() < 1000, qPrintable(err.left(500)));
        if (exitCode == kBadInput)
            QVERIFY2(err.contains(def), qPrintable(err.left(500)));
        QVERIFY(out.isEmpty());
        QCOMPARE(readBytes(picture), kOld);
        return;
    }
    QVERIFY2(!err.contains(QLatin1String("VELDRAPLOT: ")), qPrintable(err));
    QCOMPARE(QImage::fromData(readBytes(picture), "PNG").size(), QSize(320, 240));
    QStringList drawn; // of a pie
    const QJsonDocument doc = QJsonDocument::fromJson(out);
    for (const QJsonValue& item : doc.object()["pie"].toObject()["Items"].toArray())
        drawn << item.toObject()["label"].toString();
    QCOMPARE(drawn, labels);
    if (!labels.isEmpty()) // the description shows the title as the chart does
        QCOMPARE(doc.object()["chartTitle"].toString(),
                 doc.object()["pie"].toObject()["Caption"].toString());
}

QTEST_MAIN(TestHostile)
#include "tst_hostile.moc"
