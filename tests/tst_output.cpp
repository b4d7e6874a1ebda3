// Saving the chart image, copying it, switching the chart kind, the ending
// commands, the right mouse button, the menu shortcuts and the folder routine.
#include "changetofolder.h"
#include "testfiles.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QtTest>

#include <unistd.h>

namespace {

const QByteArray kBarDefinition =
    "VGRAPH,SIMPLEBARCHART,x,\"Sales\",2\nNorth,South\n10, 4, Apples\n3, 5, Pears\n6, 9, Plums\n";
const QByteArray kStackedDefinition =
    "VGRAPH,WSTACKEDBAR,Sex,Group,N=40\nTable,2\nMale,Female\n3\nA,B,C\n4, 5\n6, 7\n8, 9\n";

QByteArray definitionFor(const QString& kind)
{
    if (kind == "bar")
        return kBarDefinition;
    if (kind == "stacked")
        return kStackedDefinition;
    return kPieDefinition;
}

// The encoding named by the file's first bytes, whatever its name says.
QByteArray formatByMagic(const QByteArray& head)
{
    if (head.startsWith("\xFF\xD8\xFF"))
        return "jpeg";
    if (head.startsWith("BM"))
        return "bmp";
    if (head.startsWith(QByteArray("II*\0", 4)) || head.startsWith(QByteArray("MM\0*", 4)))
        return "tiff";
    if (head.startsWith("GIF87a") || head.startsWith("GIF89a"))
        return "gif";
    if (head.startsWith("\x89PNG\r\n\x1a\n"))
        return "png";
    return "unknown";
}

struct Decoded {
    QByteArray magic;  // format from the leading bytes
    QByteArray reader; // format QImageReader finds in the content
    QImage image;
};

// Reads the file through a device, so that the name's suffix plays no part.
Decoded decode(const QString& path)
{
    Decoded d;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return d;
    d.magic = formatByMagic(file.peek(8));
    QImageReader reader(&file);
    reader.setDecideFormatFromContent(true);
    d.reader = reader.format();
    d.image = reader.read().convertToFormat(QImage::Format_RGB32);
    return d;
}

QColor toQColor(vp::Colour c)
{
    return QColor(vp::redOf(c), vp::greenOf(c), vp::blueOf(c));
}

// Pixels within tolerance of the colour in every channel.
int pixelsNear(const QImage& image, const QColor& colour, int tolerance)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    int count = 0;
    for (int y = 0; y < rgb.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            if (qAbs(qRed(line[x]) - colour.red()) <= tolerance
                && qAbs(qGreen(line[x]) - colour.green()) <= tolerance
                && qAbs(qBlue(line[x]) - colour.blue()) <= tolerance)
                ++count;
        }
    }
    return count;
}

QList<QColor> sliceColours(frmsimplechart& w)
{
    QList<QColor> colours;
    for (int i = 1; i <= w.PieChart1().Items().Count(); ++i)
        colours << toQColor(w.PieChart1().Items().Item(i).Color());
    return colours;
}

QList<QColor> seriesColours(frmsimplechart& w)
{
    QList<QColor> colours;
    for (int i = 1; i <= w.barchart1().Series().Count(); ++i)
        colours << toQColor(w.barchart1().Series().Item(i).Color());
    return colours;
}

// A chart colour counts as drawn when a solid patch of it shows.
constexpr int kShown = 200;

bool showsAll(const QImage& image, const QList<QColor>& colours, int tolerance = 2)
{
    for (const QColor& c : colours)
        if (pixelsNear(image, c, tolerance) < kShown)
            return false;
    return !colours.isEmpty();
}

bool showsNone(const QImage& image, const QList<QColor>& colours, int tolerance = 2)
{
    for (const QColor& c : colours)
        if (pixelsNear(image, c, tolerance) >= kShown)
            return false;
    return true;
}

const std::string& keptName(const vp::ChartState& state, const QString& format)
{
    if (format == "jpg")
        return state.jpgFileName;
    if (format == "bmp")
        return state.bmpFileName;
    if (format == "tif")
        return state.tifFileName;
    if (format == "gif")
        return state.gifFileName;
    return state.pngFileName;
}


QStringList entries(const QString& dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

} // namespace

class TestOutput : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void saveWritesFormatByCommand_data();
    void saveWritesFormatByCommand();
    void saveLeavesOtherDialogSettings();
    void nothingSavedWithoutName_data();
    void nothingSavedWithoutName();
    void secondSaveOverwrites();
    void failedSaveReportsAndKeepsFile_data();
    void failedSaveReportsAndKeepsFile();
    void readOnlyFolderKeepsFile();

    void componentChosenByKind_data();
    void componentChosenByKind();
    void switchExchangesSimpleKinds_data();
    void switchExchangesSimpleKinds();
    void switchKeepsPictureButSavesBarChart();

    void endingCommands_data();
    void endingCommands();
    void rightPressOpensPanel_data();
    void rightPressOpensPanel();
    void shortcuts();

    void changeToFolder_data();
    void changeToFolder();

private:
    QString startDir_;
};

void TestOutput::init()
{
    startDir_ = QDir::currentPath();
    QGuiApplication::clipboard()->clear();
}

void TestOutput::cleanup()
{
    QDir::setCurrent(startDir_);
}

void TestOutput::saveWritesFormatByCommand_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("kept");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("encoding");

    // One row per command: its own filter, code and kept name.
    QTest::newRow("JPG command") << "mnusave" << "*.JPG (*.JPG)|*.JPG" << "jpg" << "chart.JPG"
                                 << QByteArray("jpeg");
    QTest::newRow("BMP command") << "mnusavebmp" << "*.BMP (*.BMP)|*.BMP" << "bmp" << "chart.BMP"
                                 << QByteArray("bmp");
    QTest::newRow("TIF command") << "mnusavetif" << "*.TIF (*.TIF)|*.TIF" << "tif" << "chart.TIF"
                                 << QByteArray("tiff");
    QTest::newRow("GIF command") << "mnusavegif" << "*.GIF (*.GIF)|*.GIF" << "gif" << "chart.GIF"
                                 << QByteArray("gif");
    QTest::newRow("PNG command") << "mnusavePNG" << "*.PNG (*.PNG)|*.PNG" << "png" << "chart.PNG"
                                 << QByteArray("png");

    // The name never decides the encoding, and nothing is added to it.
    QTest::newRow("PNG name under JPG command is JPEG")
        << "mnusave" << "*.JPG (*.JPG)|*.JPG" << "jpg" << "photo.PNG" << QByteArray("jpeg");
    QTest::newRow("bare name under BMP command is BMP")
        << "mnusavebmp" << "*.BMP (*.BMP)|*.BMP" << "bmp" << "picture" << QByteArray("bmp");
    QTest::newRow("lower-case jpg name under GIF command is GIF")
        << "mnusavegif" << "*.GIF (*.GIF)|*.GIF" << "gif" << "x.jpg" << QByteArray("gif");
    QTest::newRow("trailing blanks are handed on")
        << "mnusavePNG" << "*.PNG (*.PNG)|*.PNG" << "png" << "blanks.png   " << QByteArray("png");
    QTest::newRow("inner blanks kept") << "mnusavetif" << "*.TIF (*.TIF)|*.TIF" << "tif"
                                       << "my chart.tif" << QByteArray("tiff");
}

void TestOutput::saveWritesFormatByCommand()
{
    QFETCH(QString, command);
    QFETCH(QString, filter);
    QFETCH(QString, kept);
    QFETCH(QString, name);
    QFETCH(QByteArray, encoding);

    StartedWindow s;
    frmsimplechart& w = s.start(kPieDefinition);
    QVERIFY(QDir(s.dir.path()).mkdir("out"));
    const QString target = s.path("out/" + name);
    s.platform.answerSave(target);

    QAction* command_ = w.findChild<QAction*>(command);
    QVERIFY(command_);
    command_->trigger();

    QCOMPARE(s.platform.saveShown, 1);
    QCOMPARE(s.platform.lastSave.DialogTitle, QStringLiteral("Specify save file name"));
    QCOMPARE(s.platform.lastSave.Filter, filter);
    QVERIFY2(s.platform.messages.isEmpty(), qPrintable(s.platform.messages.join('|')));

    // Exactly the chosen name, nothing beside it.
    QCOMPARE(entries(s.path("out")), QStringList{name});
    const Decoded d = decode(target);
    QCOMPARE(d.magic, encoding);
    QCOMPARE(d.reader, encoding);
    QVERIFY(!d.image.isNull());
    QCOMPARE(d.image.size(), w.PieChart1().size());
    // The pie is in the picture (GIF and JPG only approximately).
    const int tolerance = encoding == "png" || encoding == "bmp" || encoding == "tiff" ? 2 : 24;
    QVERIFY(showsAll(d.image, sliceColours(w), tolerance));

    // The name goes into its own format's field only.
    for (const QString f : {"jpg", "bmp", "tif", "gif", "png"})
        QCOMPARE(QString::fromStdString(keptName(w.state, f)), f == kept ? target : QString());
}

void TestOutput::saveLeavesOtherDialogSettings()
{
    StartedWindow s;
    frmsimplechart& w = s.start(kPieDefinition);

    // With no folder yet, the dialog is given an existing one to start in.
    s.platform.answerSave(QString());
    w.mnusavePNG_Click();
    QVERIFY(!s.platform.lastSave.InitDir.isEmpty());
    QVERIFY(QFileInfo(s.platform.lastSave.InitDir).isDir());

    // What the background-image browse set stays in force.
    w.CmDialog1.InitDir = s.dir.path();
    w.CmDialog1.Flags = cdlOFNFileMustExist | cdlOFNHideReadOnly;
    w.CmDialog1.FilterIndex = 2;
    w.CmDialog1.FileName = s.path("backdrop.bmp");
    s.platform.answerSave(s.path("kept.gif"));
    w.mnusavegif_Click();
    QCOMPARE(s.platform.lastSave.InitDir, s.dir.path());
    QCOMPARE(s.platform.lastSave.Flags, cdlOFNFileMustExist | cdlOFNHideReadOnly);
    QCOMPARE(s.platform.lastSave.FilterIndex, 2);
    QCOMPARE(s.platform.lastSave.Filter, QStringLiteral("*.GIF (*.GIF)|*.GIF"));
    QCOMPARE(decode(s.path("kept.gif")).magic, QByteArray("gif"));
}

void TestOutput::nothingSavedWithoutName_data()
{
    QTest::addColumn<bool>("answered");
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kept");
    QTest::addColumn<QString>("message");

    QTest::newRow("cancel empties the kept name") << false << 0 << QString() << QString() << QString();
    QTest::newRow("empty name") << true << 0 << QString() << QString() << QString();
    QTest::newRow("blanks only are kept but save nothing")
        << true << 0 << "    " << "    " << QString();
    QTest::newRow("failing dialog is reported")
        << true << 20476 << "ignored.png" << QString()
        << "Error 20476 selecting file.\nBuffer too small";
}

void TestOutput::nothingSavedWithoutName()
{
    QFETCH(bool, answered);
    QFETCH(int, error);
    QFETCH(QString, name);
    QFETCH(QString, kept);
    QFETCH(QString, message);

    StartedWindow s;
    frmsimplechart& w = s.start(kPieDefinition);
    QVERIFY(QDir(s.dir.path()).mkdir("cwd"));
    QVERIFY(QDir::setCurrent(s.path("cwd")));
    w.state.pngFileName = "earlier.png";
    if (answered)
        s.platform.saveAnswers.push_back(
            {{error, error ? QStringLiteral("Buffer too small") : QString()}, name});

    w.mnusavePNG_Click();

    QCOMPARE(s.platform.saveShown, 1);
    QCOMPARE(QString::fromStdString(w.state.pngFileName), kept);
    QCOMPARE(entries(s.path("cwd")), QStringList());
    QCOMPARE(s.platform.messages, message.isEmpty() ? QStringList() : QStringList{message});
    QVERIFY(!s.platform.ended);
}

void TestOutput::secondSaveOverwrites()
{
    StartedWindow s;
    frmsimplechart& w = s.start(kPieDefinition);
    const QString target = s.path("twice.png");
    const QColor teal(17, 201, 97);

    s.platform.answerSave(target);
    w.mnusavePNG_Click();
    QVERIFY(pixelsNear(decode(target).image, teal, 0) < kShown);

    // Repaint the largest slice; the second save must show the new colour.
    w.PieChart1().Items().Item(2).setColor(vp::rgb(17, 201, 97));
    s.platform.answerSave(target);
    w.mnusavePNG_Click();

    QCOMPARE(s.platform.saveShown, 2);
    QVERIFY(s.platform.messages.isEmpty());
    QVERIFY(pixelsNear(decode(target).image, teal, 0) >= kShown);
}

void TestOutput::failedSaveReportsAndKeepsFile_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("existing"); // what the target holds before

    QTest::newRow("missing folder") << "missing/chart.png" << QString();
    QTest::newRow("parent is a regular file") << "plain.txt/chart.png" << QString();
    QTest::newRow("target is a folder") << "folder" << "dir";
    // The temporary name beside it (name + 7 characters) is too long for
    // the file system, so the write fails before the file is touched; this
    // holds even for root.
    QTest::newRow("no temporary file beside an existing one") << QString(250, 'a') << "old";
}

void TestOutput::failedSaveReportsAndKeepsFile()
{
    QFETCH(QString, target);
    QFETCH(QString, existing);

    StartedWindow s;
    frmsimplechart& w = s.start(kPieDefinition);
    s.write("plain.txt", "just text");
    const QString path = s.path(target);
    if (existing == "dir") {
        QVERIFY(QDir(s.dir.path()).mkdir(target));
        s.write(target + "/inside.txt", "inside");
    } else if (!existing.isEmpty()) {
        s.write(target, existing.toLatin1());
        QVERIFY(QFileInfo(path).isFile());
    }

    s.platform.answerSave(path);
    w.mnusavePNG_Click();

    QCOMPARE(s.platform.messages.size(), 1);
    QVERIFY2(s.platform.messages[0].contains(path), qPrintable(s.platform.messages[0]));
    QVERIFY(!s.platform.ended);
    QCOMPARE(QFile(s.path("plain.txt")).size(), qint64(9));
    if (existing == "dir") {
        QVERIFY(QFileInfo(path).isDir());
        QCOMPARE(entries(path), QStringList{"inside.txt"});
    } else if (!existing.isEmpty()) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), existing.toLatin1());
    } else {
        QVERIFY(!QFileInfo::exists(path));
    }

    // The program goes on: the next save works.
    s.platform.answerSave(s.path("after.png"));
    w.mnusavePNG_Click();
    QCOMPARE(s.platform.messages.size(), 1);
    QCOMPARE(decode(s.path("after.png")).magic, QByteArray("png"));
}

void TestOutput::readOnlyFolderKeepsFile()
{
    if (::geteuid() == 0)
        QSKIP("root writes into read-only folders");
    StartedWindow s;
    frmsimplechart& w = s.start(kPieDefinition);
    QVERIFY(QDir(s.dir.path()).mkdir("locked"));
    const QString path = s.path("locked/keep.bmp");
    s.write("locked/keep.bmp", "old picture");
    QFile::setPermissions(s.path("locked"), QFile::ReadOwner | QFile::ExeOwner);

    s.platform.answerSave(path);
    w.mnusavebmp_Click();

    QFile::setPermissions(s.path("locked"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(s.platform.messages.size(), 1);
    QVERIFY(s.platform.messages[0].contains(path));
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("old picture"));
    QCOMPARE(entries(s.path("locked")), QStringList{"keep.bmp"});
}

void TestOutput::componentChosenByKind_data()
{
    QTest::addColumn<QString>("definition");
    QTest::addColumn<QString>("kind"); // set after start-up; "-" keeps the one read
    QTest::addColumn<bool>("pie");     // PieChart1 gives the picture

    QTest::newRow("pie kind takes the pie") << "pie" << "-" << true;
    QTest::newRow("simple bar kind takes the bars") << "bar" << "-" << false;
    QTest::newRow("two-way table takes the bars") << "stacked" << "-" << false;
    // Everything but the exact pie kind takes barchart1, even with a pie shown.
    QTest::newRow("PIECHART takes the bars") << "pie" << "PIECHART" << false;
    QTest::newRow("BARCHART takes the bars") << "pie" << "BARCHART" << false;
    QTest::newRow("lower-case pie kind takes the bars") << "pie" << "simplepiechart" << false;
    QTest::newRow("empty kind takes the bars") << "pie" << "" << false;
}

void TestOutput::componentChosenByKind()
{
    QFETCH(QString, definition);
    QFETCH(QString, kind);
    QFETCH(bool, pie);

    StartedWindow s;
    frmsimplechart& w = s.start(definitionFor(definition));
    QVERIFY(s.platform.messages.isEmpty());
    if (kind != "-")
        w.state.chartKind = kind.toStdString();

    ChartComponent& expected = pie ? static_cast<ChartComponent&>(w.PieChart1())
                                   : static_cast<ChartComponent&>(w.barchart1());
    const QImage picture = expected.renderImage().convertToFormat(QImage::Format_RGB32);
    const QList<QColor> slices = sliceColours(w);
    const QList<QColor> series = seriesColours(w);

    // Copy: the clipboard holds exactly the chosen component's picture.
    QClipboard* clipboard = QGuiApplication::clipboard();
    w.ui.mnucopy->trigger();
    QVERIFY(s.platform.messages.isEmpty());
    const QImage copied = clipboard->image().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(copied, picture);

    // Save: the file holds the same picture.
    s.platform.answerSave(s.path("bykind.png"));
    w.ui.mnusavePNG->trigger();
    const QImage saved = decode(s.path("bykind.png")).image;
    QCOMPARE(saved, picture);

    if (pie) {
        QVERIFY(showsAll(copied, slices));
    } else {
        QVERIFY(showsNone(copied, slices));
        if (definition != "pie")
            QVERIFY(showsAll(copied, series));
    }
}

void TestOutput::switchExchangesSimpleKinds_data()
{
    QTest::addColumn<QString>("definition");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("afterOne");

    QTest::newRow("pie becomes bar") << "pie" << "SIMPLEPIECHART" << "SIMPLEBARCHART";
    QTest::newRow("bar becomes pie") << "bar" << "SIMPLEBARCHART" << "SIMPLEPIECHART";
    QTest::newRow("two-way table stays") << "stacked" << "WSTACKEDBAR" << "WSTACKEDBAR";
    QTest::newRow("PIECHART stays") << "pie" << "PIECHART" << "PIECHART";
    QTest::newRow("BARCHART stays") << "pie" << "BARCHART" << "BARCHART";
    QTest::newRow("case matters") << "pie" << "SimpleBarChart" << "SimpleBarChart";
}

void TestOutput::switchExchangesSimpleKinds()
{
    QFETCH(QString, definition);
    QFETCH(QString, kind);
    QFETCH(QString, afterOne);

    StartedWindow s;
    frmsimplechart& w = s.start(definitionFor(definition));
    w.state.chartKind = kind.toStdString();

    w.mnuswitch_Click();
    QCOMPARE(QString::fromStdString(w.state.chartKind), afterOne);
    w.mnuswitch_Click();
    QCOMPARE(QString::fromStdString(w.state.chartKind), kind);
    QVERIFY(s.platform.messages.isEmpty());
}

void TestOutput::switchKeepsPictureButSavesBarChart()
{
    StartedWindow s;
    frmsimplechart& w = s.start(kPieDefinition);
    const QImage pieBefore = w.PieChart1().renderImage();

    w.mnuswitch_Click();

    // The window still shows the pie; nothing was built for the bars.
    QVERIFY(w.PieChart1().Visible());
    QVERIFY(!w.barchart1().Visible());
    QCOMPARE(w.PieChart1().Items().Count(), 3);
    QCOMPARE(w.barchart1().Series().Count(), 0);
    QCOMPARE(w.PieChart1().renderImage(), pieBefore);

    s.platform.answerSave(s.path("switched.png"));
    w.mnusavePNG_Click();
    const Decoded d = decode(s.path("switched.png"));
    QCOMPARE(d.magic, QByteArray("png"));
    QVERIFY(showsNone(d.image, sliceColours(w)));
    QCOMPARE(d.image.size(), w.barchart1().size());

    w.mnucopy_Click();
    QVERIFY(showsNone(QGuiApplication::clipboard()->image(), sliceColours(w)));
}

void TestOutput::endingCommands_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("closesWindow");

    QTest::newRow("Data View closes the window") << "mnudataview" << true;
    QTest::newRow("Return") << "mnureturn" << false;
    QTest::newRow("Exit") << "mnuexit" << false;
}

void TestOutput::endingCommands()
{
    QFETCH(QString, command);
    QFETCH(bool, closesWindow);

    StartedWindow s;
    frmsimplechart& w = s.start(kPieDefinition);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QStringList before = entries(s.dir.path());

    QAction* command_ = w.findChild<QAction*>(command);
    QVERIFY(command_);
    command_->trigger();

    QVERIFY(s.platform.ended);
    QCOMPARE(s.platform.exitStatus, 0);
    QCOMPARE(w.isVisible(), !closesWindow);
    // No question, no file written.
    QVERIFY(s.platform.messages.isEmpty());
    QCOMPARE(s.platform.saveShown + s.platform.modalShown, 0);
    QCOMPARE(entries(s.dir.path()), before);
}

void TestOutput::rightPressOpensPanel_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<bool>("opens");

    QTest::newRow("right opens the panel") << Qt::RightButton << true;
    QTest::newRow("left opens nothing") << Qt::LeftButton << false;
    QTest::newRow("middle opens nothing") << Qt::MiddleButton << false;
}

void TestOutput::rightPressOpensPanel()
{
    QFETCH(Qt::MouseButton, button);
    QFETCH(bool, opens);

    StartedWindow s;
    frmsimplechart& w = s.start(kPieDefinition);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(!w.ui.SSTab1->isVisible());

    QTest::mousePress(w.ui.centralSurface, button, Qt::NoModifier, QPoint(2, 2));

    QCOMPARE(w.ui.SSTab1->isVisible(), opens);
}

void TestOutput::shortcuts()
{
    StartedWindow s;
    frmsimplechart& w = s.start(kPieDefinition);
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));

    QSignalSpy printed(w.ui.mnuprint, &QAction::triggered);
    QTest::keyClick(&w, Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(printed.count(), 1);
    // Whatever printing showed is gone again; bring the window back.
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));

    QTest::keyClick(&w, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32),
             w.PieChart1().renderImage().convertToFormat(QImage::Format_RGB32));
    QVERIFY(!s.platform.ended);

    QTest::keyClick(&w, Qt::Key_Q, Qt::ControlModifier);
    QVERIFY(s.platform.ended);
    QCOMPARE(s.platform.exitStatus, 0);
}

void TestOutput::changeToFolder_data()
{
    // "%T" stands for a temporary folder holding the folder "sub".
    QTest::addColumn<QString>("path");
    QTest::addColumn<char>("separator");
    QTest::addColumn<QString>("drive");  // currentDrive after; starts as "Z:"
    QTest::addColumn<QString>("current"); // current folder after; empty: unchanged

    QTest::newRow("empty path changes nothing") << "" << '\\' << "Z:" << "";
    QTest::newRow("drive letter is kept") << "C:" << '\\' << "C:" << "";
    QTest::newRow("drive of a full folder is kept") << "D:\\data\\" << '\\' << "D:" << "";
    QTest::newRow("colon not second is no drive") << "ab:c\\" << '\\' << "Z:" << "";
    QTest::newRow("one character is no drive") << ":" << '\\' << "Z:" << "";
    QTest::newRow("folder ending in separator is entered")
        << "%T/sub\\" << '\\' << "Z:" << "%T/sub";
    QTest::newRow("folder without final separator is not entered")
        << "%T/sub" << '\\' << "Z:" << "";
    QTest::newRow("native separator") << "%T/sub/" << '/' << "Z:" << "%T/sub";
    QTest::newRow("other separator does not count") << "%T/sub/" << '\\' << "Z:" << "";
    QTest::newRow("missing folder leaves the current one")
        << "%T/missing\\" << '\\' << "Z:" << "";
}

void TestOutput::changeToFolder()
{
    QFETCH(QString, path);
    QFETCH(char, separator);
    QFETCH(QString, drive);
    QFETCH(QString, current);

    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("sub"));
    const QString root = QFileInfo(dir.path()).canonicalFilePath();
    path.replace("%T", root);
    current.replace("%T", root);
    const QString before = QDir::currentPath();

    vp::VplotGlobal global;
    global.currentDrive = "Z:";
    ChangeToFolder(global, path.toStdString(), separator);

    QCOMPARE(QString::fromStdString(global.currentDrive), drive);
    QCOMPARE(QDir::currentPath(), current.isEmpty() ? before : current);
}

QTEST_MAIN(TestOutput)
#include "tst_output.moc"
