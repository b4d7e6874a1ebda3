// Saving the chart image, copying it, switching the chart kind, the ending
// commands, the right mouse button, the menu shortcuts and the folder routine.
#include "changetofolder.h"
#include "pixels.h"
#include "qtplatform.h"
#include "testfiles.h"

#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QImageReader>
#include <QtTest>

namespace {

const QByteArray kBar =
    "VGRAPH,SIMPLEBARCHART,x,\"Sales\",2\nNorth,South\n10, 4, Apples\n3, 5, Pears\n6, 9, Plums\n";
const QByteArray kStacked =
    "VGRAPH,WSTACKEDBAR,Sex,Group,N=40\nTable,2\nMale,Female\n3\nA,B,C\n4, 5\n6, 7\n8, 9\n";

QByteArray definitionFor(const QString& kind)
{
    return kind == "bar" ? kBar : kind == "stacked" ? kStacked : kPieDefinition;
}

// The file's format as found in its content, whatever its name says, and its picture.
std::pair<QByteArray, QImage> decode(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    if (file.peek(5) == "%PDF-") // no picture reader for PDF: its pages are checked elsewhere
        return {"pdf", QImage()};
    QImageReader reader(&file);
    reader.setDecideFormatFromContent(true);
    const QByteArray format = reader.format();
    return {format, reader.read().convertToFormat(QImage::Format_RGB32)};
}

// Whether each colour covers (or, for shown false, none covers) a solid
// patch: 200 pixels within tolerance.
bool shows(const QImage& image, const QList<QColor>& colours, bool shown = true, int tolerance = 2)
{
    for (const QColor& c : colours) {
        const int n = px::area(image, [&](QRgb p) { return px::distance(QColor(p), c) <= tolerance; }).count;
        if ((n >= 200) != shown)
            return false;
    }
    return !shown || !colours.isEmpty();
}

// The colours of the pie's slices or of the bar chart's series.
QList<QColor> colours(frmsimplechart& w, bool pie = true)
{
    QList<QColor> colours;
    const int n = pie ? w.context().pie.Items().Count() : w.context().bar.Series().Count();
    for (int i = 1; i <= n; ++i) {
        const vp::Colour c = pie ? w.context().pie.Items().Item(i).Color() : w.context().bar.Series().Item(i).Color();
        colours << QColor(vp::redOf(c), vp::greenOf(c), vp::blueOf(c));
    }
    return colours;
}

QStringList entries(const QString& dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

} // namespace

class TestOutput : public QObject {
    Q_OBJECT
    QString startDir_;

private slots:
    void init()
    {
        startDir_ = QDir::currentPath();
        QGuiApplication::clipboard()->clear();
    }
    void cleanup() { QDir::setCurrent(startDir_); }

    void saveWritesFormatByCommand_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("name"); // as typed in the dialog
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<int>("kept"); // which kept name: jpg, bmp, tif, gif, png, svg, pdf
        // clang-format off
        QTest::newRow("JPG command")                 << "mnusave"    << "chart.JPG"     << QByteArray("jpeg") << 0;
        QTest::newRow("BMP command")                 << "mnusavebmp" << "chart.BMP"     << QByteArray("bmp")  << 1;
        QTest::newRow("TIF command")                 << "mnusavetif" << "chart.TIF"     << QByteArray("tiff") << 2;
        QTest::newRow("GIF command")                 << "mnusavegif" << "chart.GIF"     << QByteArray("gif")  << 3;
        QTest::newRow("PNG command")                 << "mnusavePNG" << "chart.PNG"     << QByteArray("png")  << 4;
        QTest::newRow("SVG command")                 << "mnusavesvg" << "chart.SVG"     << QByteArray("svg")  << 5;
        QTest::newRow("PDF command")                 << "mnusavepdf" << "chart.PDF"     << QByteArray("pdf")  << 6;
        QTest::newRow(".PNG name under JPG is JPEG") << "mnusave"    << "photo.PNG"     << QByteArray("jpeg") << 0;
        QTest::newRow("bare name under BMP is BMP")  << "mnusavebmp" << "picture"       << QByteArray("bmp")  << 1;
        QTest::newRow("trailing blanks handed on")   << "mnusavePNG" << "blanks.png   " << QByteArray("png")  << 4;
        // clang-format on
    }
    // The command alone decides the encoding; the name is used as given.
    void saveWritesFormatByCommand()
    {
        QFETCH(QString, command); QFETCH(QString, name); QFETCH(QByteArray, format); QFETCH(int, kept);
        StartedWindow s;
        frmsimplechart& w = s.start(kPieDefinition);
        QVERIFY(QDir(s.dir.path()).mkdir("out"));
        const QString target = s.path("out/" + name);
        s.platform.answerSave(target);
        w.findChild<QAction*>(command)->trigger();

        const QString ext = QStringList{"JPG", "BMP", "TIF", "GIF", "PNG", "SVG", "PDF"}[kept];
        QCOMPARE(s.platform.lastSave.DialogTitle, QStringLiteral("Specify save file name"));
        QCOMPARE(s.platform.lastSave.Filter, QString("*.%1 (*.%1)|*.%1").arg(ext));
        QVERIFY2(s.platform.messages.isEmpty(), qPrintable(s.platform.messages.join('|')));
        QCOMPARE(entries(s.path("out")), QStringList{name}); // that name, nothing beside it
        const auto [found, image] = decode(target);
        QCOMPARE(found, format);
        QCOMPARE(image.size(), format == "pdf" ? QSize(0, 0) : w.context().pie.size());
        QVERIFY(format == "pdf" ||
                shows(image, colours(w), true, format == "jpeg" || format == "gif" ? 24 : 2));
        const std::string* names[] = {
            &w.context().state.jpgFileName, &w.context().state.bmpFileName,
            &w.context().state.tifFileName, &w.context().state.gifFileName,
            &w.context().state.pngFileName, &w.context().state.svgFileName,
            &w.context().state.pdfFileName};
        for (int i = 0; i < 7; ++i)
            QCOMPARE(QString::fromStdString(*names[i]), i == kept ? target : QString());
    }

    void nothingSavedWithoutName_data()
    {
        QTest::addColumn<bool>("answered");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");
        QTest::newRow("cancel") << false << 0 << QString() << QString();
        QTest::newRow("empty name") << true << 0 << QString() << QString();
        QTest::newRow("blanks only are kept but save nothing") << true << 0 << "    " << QString();
        QTest::newRow("failing dialog is reported")
            << true << 20476 << "ignored.png" << "Error 20476 selecting file.\nBuffer too small";
    }
    void nothingSavedWithoutName()
    {
        QFETCH(bool, answered); QFETCH(int, error); QFETCH(QString, name); QFETCH(QString, message);
        StartedWindow s;
        frmsimplechart& w = s.start(kPieDefinition);
        QVERIFY(QDir(s.dir.path()).mkdir("cwd") && QDir::setCurrent(s.path("cwd")));
        w.context().state.pngFileName = "earlier.png";
        if (answered)
            s.platform.saveAnswers.push_back({{error, error ? QStringLiteral("Buffer too small") : QString()}, name});
        w.menuCommands().mnusavePNG_Click();
        QCOMPARE(QString::fromStdString(w.context().state.pngFileName), error ? QString() : name);
        QCOMPARE(entries(s.path("cwd")), QStringList());
        QCOMPARE(s.platform.messages, message.isEmpty() ? QStringList() : QStringList{message});
    }

    void saveOverExistingOrFailing_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("existing"); // what the target holds before
        QTest::addColumn<bool>("saves");
        QTest::newRow("second save overwrites without asking") << "twice.png" << "old" << true;
        QTest::newRow("missing folder fails") << "missing/chart.png" << QString() << false;
        QTest::newRow("target is a folder fails") << "folder" << "dir" << false;
        // The temporary name beside it is too long for the file system, so
        // the write fails before the file is touched, even for root.
        QTest::newRow("existing file survives a failure") << QString(250, 'a') << "old" << false;
    }
    // A failed save shows one message naming the file and leaves what was there.
    void saveOverExistingOrFailing()
    {
        QFETCH(QString, target); QFETCH(QString, existing); QFETCH(bool, saves);
        StartedWindow s;
        frmsimplechart& w = s.start(kPieDefinition);
        const QString path = s.path(target);
        if (existing == "dir")
            QVERIFY(QDir(s.dir.path()).mkdir(target));
        else if (!existing.isEmpty())
            s.write(target, existing.toLatin1());
        s.platform.answerSave(path);
        w.menuCommands().mnusavePNG_Click();
        QVERIFY(!s.platform.ended && s.platform.modalShown == 0);
        QFile f(path);
        if (saves)
            QVERIFY(s.platform.messages.isEmpty() && shows(decode(path).second, colours(w)));
        else if (existing == "dir")
            QVERIFY(QFileInfo(path).isDir() && entries(path).isEmpty());
        else if (!existing.isEmpty())
            QVERIFY(f.open(QIODevice::ReadOnly) && f.readAll() == existing.toLatin1());
        else
            QVERIFY(!f.exists());
        if (saves)
            return;
        QCOMPARE(s.platform.messages.size(), 1);
        QVERIFY2(s.platform.messages[0].contains(path), qPrintable(s.platform.messages[0]));
        s.platform.answerSave(s.path("after.png")); // the program goes on
        w.menuCommands().mnusavePNG_Click();
        QCOMPARE(decode(s.path("after.png")).first, QByteArray("png"));
    }

    void componentChosenByKind_data()
    {
        QTest::addColumn<QString>("definition");
        QTest::addColumn<QString>("kind"); // set after start-up; "-" keeps the one read
        QTest::addColumn<bool>("pie");     // PieChart1 gives the picture
        QTest::newRow("pie kind takes the pie") << "pie" << "-" << true;
        QTest::newRow("simple bar kind takes the bars") << "bar" << "-" << false;
        QTest::newRow("two-way table takes the bars") << "stacked" << "-" << false;
        QTest::newRow("PIECHART takes the bars") << "pie" << "PIECHART" << false;
        QTest::newRow("lower-case pie kind takes the bars") << "pie" << "simplepiechart" << false;
    }
    // Copy and save take exactly the component the kind names.
    void componentChosenByKind()
    {
        QFETCH(QString, definition); QFETCH(QString, kind); QFETCH(bool, pie);
        StartedWindow s;
        frmsimplechart& w = s.start(definitionFor(definition));
        if (kind != "-")
            w.context().state.chartKind = vp::parseChartKind(kind.toStdString());
        ChartComponent& expected = pie ? static_cast<ChartComponent&>(w.context().pie) : w.context().bar;
        const QImage picture = expected.renderImage().convertToFormat(QImage::Format_RGB32);
        ctl<QAction>(w, "mnucopy")->trigger();
        const QImage copied = QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(copied, picture);
        s.platform.answerSave(s.path("bykind.png"));
        ctl<QAction>(w, "mnusavePNG")->trigger();
        QCOMPARE(decode(s.path("bykind.png")).second, picture);
        QVERIFY(shows(copied, colours(w), pie));
        if (definition != "pie")
            QVERIFY(shows(copied, colours(w, false)));
        QVERIFY(s.platform.messages.isEmpty());
    }

    void switchExchangesSimpleKinds_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("afterOne");
        QTest::newRow("pie becomes bar") << "SIMPLEPIECHART" << "SIMPLEBARCHART";
        QTest::newRow("bar becomes pie") << "SIMPLEBARCHART" << "SIMPLEPIECHART";
        QTest::newRow("two-way table stays") << "WSTACKEDBAR" << "WSTACKEDBAR";
        QTest::newRow("PIECHART stays") << "PIECHART" << "PIECHART";
        QTest::newRow("case matters") << "SimpleBarChart" << "SimpleBarChart";
    }
    void switchExchangesSimpleKinds()
    {
        QFETCH(QString, kind); QFETCH(QString, afterOne);
        StartedWindow s;
        frmsimplechart& w = s.start(kPieDefinition);
        w.context().state.chartKind = vp::parseChartKind(kind.toStdString());
        w.menuCommands().mnuswitch_Click();
        QCOMPARE(w.context().state.chartKind, vp::parseChartKind(afterOne.toStdString()));
        w.menuCommands().mnuswitch_Click();
        QCOMPARE(w.context().state.chartKind, vp::parseChartKind(kind.toStdString()));
    }

    // After a switch from a pie the window still shows the pie, but saving
    // and copying take the (empty) bar chart.
    void switchKeepsPictureButSavesBarChart()
    {
        StartedWindow s;
        frmsimplechart& w = s.start(kPieDefinition);
        const QImage pieBefore = w.context().pie.renderImage();
        w.menuCommands().mnuswitch_Click();
        QVERIFY(w.context().pie.Visible() && !w.context().bar.Visible());
        QCOMPARE(w.context().bar.Series().Count(), 0);
        QCOMPARE(w.context().pie.renderImage(), pieBefore);
        s.platform.answerSave(s.path("switched.png"));
        w.menuCommands().mnusavePNG_Click();
        const auto [format, image] = decode(s.path("switched.png"));
        QCOMPARE(format, QByteArray("png"));
        QCOMPARE(image.size(), w.context().bar.size());
        QVERIFY(shows(image, colours(w), false));
        w.menuCommands().mnucopy_Click();
        QVERIFY(shows(QGuiApplication::clipboard()->image(), colours(w), false));
    }

    void endingCommands_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("closesWindow");
        QTest::newRow("Data View closes the window") << "mnudataview" << true;
        QTest::newRow("Return") << "mnureturn" << false;
        QTest::newRow("Exit") << "mnuexit" << false;
    }
    // Each ends the program with status 0, asking nothing and writing nothing.
    void endingCommands()
    {
        QFETCH(QString, command); QFETCH(bool, closesWindow);
        StartedWindow s;
        frmsimplechart& w = s.start(kPieDefinition);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QStringList before = entries(s.dir.path());
        w.findChild<QAction*>(command)->trigger();
        QVERIFY(s.platform.ended);
        QCOMPARE(s.platform.exitStatus, 0);
        QCOMPARE(w.isVisible(), !closesWindow);
        QVERIFY(s.platform.messages.isEmpty() && s.platform.saveShown + s.platform.modalShown == 0);
        QCOMPARE(entries(s.dir.path()), before);
    }

    void rightPress_data()
    {
        QTest::addColumn<QString>("where"); // the control pressed; empty: the bare surface
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("opens");
        QTest::newRow("left on the surface") << "" << int(Qt::LeftButton) << false;
        QTest::newRow("middle on the surface") << "" << int(Qt::MiddleButton) << false;
        QTest::newRow("right on the surface") << "" << int(Qt::RightButton) << true;
        QTest::newRow("right on the pie chart") << "PieChart1" << int(Qt::RightButton) << false;
        QTest::newRow("right on an empty part of a tab")
            << "tabLabels" << int(Qt::RightButton) << false;
        QTest::newRow("right on a label of the panel") << "Label3" << int(Qt::RightButton) << false;
    }
    // Opening the panel refills it, so a press that opens nothing keeps an
    // unapplied axis label.
    void rightPress()
    {
        QFETCH(QString, where);
        QFETCH(int, button);
        QFETCH(bool, opens);
        StartedWindow s;
        frmsimplechart& w = s.start(kPieDefinition);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        if (where.startsWith("tab") || where.startsWith("Label"))
            w.optionsPanel().mnuoptions_Click(), ctl<QTabWidget>(w, "SSTab1")->move(0, 0);
        ctl<QLineEdit>(w, "Text2")->setText("typed");
        QWidget* target = where.isEmpty() ? ctl<QWidget>(w, "centralSurface") : w.findChild<QWidget*>(where);
        const QPoint at(2, 2);
        QWidget* hit =
            target->childAt(at) ? target->childAt(at) : target; // what the pointer is over
        QVERIFY(ctl<QWidget>(w, "centralSurface")->rect().contains(target->mapTo(ctl<QWidget>(w, "centralSurface"), at)));
        QTest::mousePress(hit, Qt::MouseButton(button), Qt::NoModifier, hit->mapFrom(target, at));
        QCOMPARE(ctl<QTabWidget>(w, "SSTab1")->isVisible() && ctl<QLineEdit>(w, "Text2")->text() != "typed", opens);
    }

    void saveThroughQtDialog_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::newRow("blanks only save nothing") << "   ";
        QTest::newRow("trailing blanks are kept") << "typed.png  ";
    }
    // The real dialog shows the filter's own text and returns the typed name
    // in its folder; the command stores that and saves under the name typed.
    void saveThroughQtDialog()
    {
        QFETCH(QString, typed);
        QTemporaryDir dir;
        QtPlatform qt({}, {});
        frmsimplechart w(qt);
        w.context().state.chartKind = vp::ChartKind::SimplePie;
        w.context().fileDialog.InitDir = dir.path();
        QString filter;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            filter = dialog->findChild<QComboBox*>("fileTypeCombo")->currentText();
            dialog->findChild<QLineEdit*>("fileNameEdit")->setText(typed);
            QMetaObject::invokeMethod(dialog, "accept"); // as the Save button does
        });
        w.menuCommands().mnusavePNG_Click();
        QCOMPARE(filter, QStringLiteral("*.PNG (*.PNG)"));
        QCOMPARE(QString::fromStdString(w.context().state.pngFileName), dir.filePath(typed));
        const bool blank = typed.trimmed().isEmpty();
        QCOMPARE(entries(dir.path()), blank ? QStringList() : QStringList{typed});
        QVERIFY(blank || decode(dir.filePath(typed)).first == "png");
    }

    // Ctrl+P prints, Ctrl+C copies, Ctrl+Q ends.
    void shortcuts()
    {
        StartedWindow s;
        frmsimplechart& w = s.start(kPieDefinition);
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QSignalSpy printed(ctl<QAction>(w, "mnuprint"), &QAction::triggered);
        QTest::keyClick(&w, Qt::Key_P, Qt::ControlModifier);
        QCOMPARE(printed.count(), 1);
        w.activateWindow(); // whatever printing showed is gone again
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTest::keyClick(&w, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32),
                 w.context().pie.renderImage().convertToFormat(QImage::Format_RGB32));
        QVERIFY(!s.platform.ended);
        QTest::keyClick(&w, Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(s.platform.ended);
        QCOMPARE(s.platform.exitStatus, 0);
    }

    void changeToFolder_data()
    {
        // "%T" stands for a temporary folder holding the folder "sub".
        QTest::addColumn<QString>("path");
        QTest::addColumn<char>("separator");
        QTest::addColumn<QString>("drive");   // currentDrive after; starts as "Z:"
        QTest::addColumn<QString>("current"); // current folder after; empty: unchanged
        QTest::newRow("empty path changes nothing") << "" << '\\' << "Z:" << "";
        QTest::newRow("drive of a full folder is kept") << "D:\\data\\" << '\\' << "D:" << "";
        QTest::newRow("colon not second is no drive") << "ab:c\\" << '\\' << "Z:" << "";
        QTest::newRow("folder ending in separator is entered") << "%T/sub\\" << '\\' << "Z:" << "%T/sub";
        QTest::newRow("no final separator: not entered") << "%T/sub" << '\\' << "Z:" << "";
        QTest::newRow("native separator") << "%T/sub/" << '/' << "Z:" << "%T/sub";
        QTest::newRow("missing folder leaves the current one") << "%T/missing\\" << '\\' << "Z:" << "";
    }
    void changeToFolder()
    {
        QFETCH(QString, path); QFETCH(char, separator); QFETCH(QString, drive); QFETCH(QString, current);
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
};

QTEST_MAIN(TestOutput)
#include "tst_output.moc"
