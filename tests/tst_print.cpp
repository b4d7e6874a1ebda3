// The printer dialog and printing. Cases that need the private print server
// (tests/cups/start-cups.sh: CUPS_SERVER and VELDRA_PRINT_SPOOL set) skip
// without it; the no-printer cases run when CUPS_SERVER names no server.
// The page geometry of the canvas printing is checked on PDF files, which
// need no server.
#include "frmselectprinter.h"
#include "printrichtext.h"
#include "testfiles.h"

#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPainter>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTextCursor>
#include <QTextEdit>
#include <QThread>
#include <QtTest>

#include <functional>

namespace {

// --- the private print server and its spool ---

QString spoolFolder()
{
    return qEnvironmentVariable("VELDRA_PRINT_SPOOL");
}

bool serverRunning()
{
    const QString server = qEnvironmentVariable("CUPS_SERVER");
    return !server.isEmpty() && QFileInfo(server).exists() && !spoolFolder().isEmpty()
        && QDir(spoolFolder()).exists();
}

bool serverMissing()
{
    const QString server = qEnvironmentVariable("CUPS_SERVER");
    return !server.isEmpty() && !QFileInfo::exists(server);
}

QStringList spooledJobs()
{
    return QDir(spoolFolder()).entryList({QStringLiteral("*.prn")}, QDir::Files, QDir::Name);
}

// Waits until `count` jobs beyond `before` have arrived, then a little
// longer so that extra jobs would show too. Returns the new jobs' paths.
QStringList newJobs(const QStringList& before, int count, int timeoutMs = 30000)
{
    QElapsedTimer timer;
    timer.start();
    auto fresh = [&] {
        QStringList paths;
        for (const QString& name : spooledJobs())
            if (!before.contains(name))
                paths << QDir(spoolFolder()).filePath(name);
        return paths;
    };
    while (fresh().size() < count && timer.elapsed() < timeoutMs)
        QThread::msleep(100);
    QThread::msleep(1500);
    return fresh();
}

bool haveTool(const char* name)
{
    return !QStandardPaths::findExecutable(QString::fromLatin1(name)).isEmpty();
}

struct PdfInfo {
    int pages = 0;
    QSize pageSize; // points, rounded
};

PdfInfo pdfInfo(const QString& path)
{
    QProcess process;
    process.start(QStringLiteral("pdfinfo"), {path});
    process.waitForFinished(30000);
    const QString out = QString::fromUtf8(process.readAllStandardOutput());
    PdfInfo info;
    const auto pages = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(out);
    if (pages.hasMatch())
        info.pages = pages.captured(1).toInt();
    const auto size =
        QRegularExpression(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+) pts")).match(out);
    if (size.hasMatch())
        info.pageSize = QSize(qRound(size.captured(1).toDouble()), qRound(size.captured(2).toDouble()));
    return info;
}

// Page `page` (from 1) of a PDF as an image at 72 dots per inch: one pixel
// per point.
QImage pdfPage(const QString& path, int page)
{
    QTemporaryDir dir;
    const QString base = dir.filePath(QStringLiteral("page"));
    QProcess process;
    process.start(QStringLiteral("pdftoppm"),
                  {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("72"),
                   QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                   QString::number(page), QStringLiteral("-singlefile"), path, base});
    process.waitForFinished(60000);
    return QImage(base + QStringLiteral(".png"));
}

// Bounding box of the pixels that are not (nearly) white; null if none.
QRect inkBox(const QImage& page)
{
    const QImage rgb = page.convertToFormat(QImage::Format_RGB32);
    int left = rgb.width(), top = rgb.height(), right = -1, bottom = -1;
    for (int y = 0; y < rgb.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            if (qRed(line[x]) < 245 || qGreen(line[x]) < 245 || qBlue(line[x]) < 245) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

QImage solidPicture(int width, int height, const QColor& colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// A started window on a pie chart whose whole picture is coloured, so that
// the picture's extent on paper is its ink.
struct PieWindow : StartedWindow {
    frmsimplechart& w;
    PieWindow() : w(start(kPieDefinition))
    {
        w.PieChart1().setBackColor(vp::rgb(200, 200, 255));
    }
};

// Presses Print in the dialog with a printer name, orientation and copies.
std::function<void(QDialog&)> pressPrint(const QString& printerName, bool landscape,
                                         const QString& copies)
{
    return [=](QDialog& shown) {
        auto& dialog = static_cast<frmselectprinter&>(shown);
        if (!printerName.isEmpty())
            dialog.ui.cboprinterlist->setEditText(printerName);
        (landscape ? dialog.ui.Option2 : dialog.ui.Option1)->setChecked(true);
        dialog.ui.Text1->setText(copies);
        dialog.ui.Command2->click();
    };
}

QStringList listed(const frmselectprinter& dialog)
{
    QStringList names;
    for (int i = 0; i < dialog.ui.cboprinterlist->count(); ++i)
        names << dialog.ui.cboprinterlist->itemText(i);
    return names;
}

} // namespace

class TestPrint : public QObject {
    Q_OBJECT

private slots:
    void init();

    // No server needed.
    void exactMatch_data();
    void exactMatch();
    void copiesNumber_data();
    void copiesNumber();
    void negativeCopiesPrintNothing();
    void cancelKeepsPrintMode();
    void closeByFrameActsAsCancel();
    void dialogCentred_data();
    void dialogCentred();
    void canvasGeometry_data();
    void canvasGeometry();
    void canvasContinuesOnNewPages();
    void marginsLeavingNoRoom();

    // Without any printer.
    void noPrinterInstalled();

    // With the private print server.
    void printerListAndSelection();
    void copiesAndOrientation_data();
    void copiesAndOrientation();
    void pictureInsideMargins_data();
    void pictureInsideMargins();
    void largeCanvasContinues();
    void selectInPrintModePrintsNothing();
    void stoppedPrinterIsReported();
};

void TestPrint::init()
{
    // Each case starts as the program does: with the system's default
    // printer current.
    CurrentPrinter::instance().reset();
    QGuiApplication::clipboard()->clear();
}

void TestPrint::exactMatch_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("last");
    QTest::addColumn<int>("first");

    const QStringList two = {"Office_Laser", "Plotter", "Office_Laser", "Back"};
    QTest::newRow("listed twice: last fills, first selects") << two << "Office_Laser" << 2 << 0;
    QTest::newRow("listed once") << two << "Plotter" << 1 << 1;
    QTest::newRow("letter case differs") << two << "office_laser" << -1 << -1;
    QTest::newRow("trailing blank differs") << two << "Plotter " << -1 << -1;
    QTest::newRow("empty list") << QStringList() << "Plotter" << -1 << -1;
    QTest::newRow("empty name matches only an empty entry")
        << QStringList{"A", "", "B"} << "" << 1 << 1;
}

void TestPrint::exactMatch()
{
    QFETCH(QStringList, names);
    QFETCH(QString, name);
    QFETCH(int, last);
    QFETCH(int, first);
    QCOMPARE(vp::lastExactMatch(names, name), last);
    QCOMPARE(vp::firstExactMatch(names, name), first);
}

void TestPrint::copiesNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<int>("copies");

    QTest::newRow("half goes down to even") << "2.5" << true << 2;
    QTest::newRow("half goes up to even") << "3.5" << true << 4;
    QTest::newRow("number then a word") << "3 apples" << true << 3;
    QTest::newRow("empty gives none") << "" << true << 0;
    QTest::newRow("no leading number gives none") << "three" << true << 0;
    QTest::newRow("leading blanks skipped") << "  7" << true << 7;
    QTest::newRow("minus one") << "-1" << true << -1;
    QTest::newRow("largest") << "32767" << true << 32767;
    QTest::newRow("too many") << "40000" << false << 0;
    QTest::newRow("too negative") << "-40000" << false << 0;
}

// Print stores the number in printCopies and hides the dialog; an
// out-of-range number is refused with a message, and nothing is requested.
void TestPrint::copiesNumber()
{
    QFETCH(QString, text);
    QFETCH(bool, accepted);
    QFETCH(int, copies);

    std::int16_t parsed = 0;
    QCOMPARE(vp::copiesFromText(text, parsed), accepted);
    ScriptedPlatform platform;
    vp::VplotGlobal global;
    global.printCopies = -1;
    frmselectprinter dialog(platform, global);
    dialog.show();
    dialog.ui.Text1->setText(text);
    dialog.ui.Command2->click();

    if (accepted) {
        QCOMPARE(int(parsed), copies);
        QVERIFY(platform.messages.isEmpty());
        QCOMPARE(int(global.printCopies), copies);
        QCOMPARE(int(global.printRequested), 1);
        QVERIFY(dialog.isHidden());
    } else {
        QCOMPARE(platform.messages.size(), 1);
        QVERIFY(platform.messages.first().contains(text));
        QCOMPARE(int(global.printCopies), -1);
        QCOMPARE(int(global.printRequested), 0);
        QVERIFY(dialog.isVisible());
    }
    // Print never closes the dialog: it stays loaded.
    QVERIFY(!dialog.closeRequested());
}

// A copies number of -1 passes the dialog but prints no copy; the
// clipboard is still cleared and the number reset to 1.
void TestPrint::negativeCopiesPrintNothing()
{
    PieWindow pie;
    pie.platform.onModal = pressPrint(QString(), false, QStringLiteral("-1"));
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    pie.w.mnuprint_Click();
    QVERIFY(pie.platform.messages.isEmpty());
    QCOMPARE(int(pie.w.VPLOTGLOBAL.printRequested), 1);
    QCOMPARE(int(pie.w.VPLOTGLOBAL.printCopies), 1);
    QCOMPARE(int(pie.w.state.printCopyIndex), 0);
    QVERIFY(QGuiApplication::clipboard()->text().isEmpty());
    QVERIFY(pie.w.printerDialogLoaded());
}

// Cancel in print mode leaves printCopies at -1 and closes the dialog, so
// "Select Printer" then loads it afresh in print mode; it closes it again.
void TestPrint::cancelKeepsPrintMode()
{
    PieWindow pie;
    pie.platform.onModal = [](QDialog& shown) {
        static_cast<frmselectprinter&>(shown).ui.Command3->click();
    };
    pie.w.mnuprint_Click();
    QCOMPARE(int(pie.w.VPLOTGLOBAL.printCopies), -1);
    QCOMPARE(int(pie.w.VPLOTGLOBAL.printRequested), 0);
    QVERIFY(!pie.w.printerDialogLoaded());

    bool printModeShown = false;
    pie.platform.onModal = [&](QDialog& shown) {
        auto& dialog = static_cast<frmselectprinter&>(shown);
        printModeShown = dialog.ui.Command2->isVisible() && dialog.ui.Text1->isVisible()
                      && dialog.ui.Frame1->isVisible() && dialog.ui.Label3->isVisible();
        dialog.ui.Command3->click();
    };
    pie.w.mnuselectprinter_Click();
    QVERIFY(printModeShown);
    QVERIFY(!pie.w.printerDialogLoaded());

    // After Print the dialog stays loaded and shows the same choices again.
    pie.platform.onModal = [](QDialog& shown) {
        auto& dialog = static_cast<frmselectprinter&>(shown);
        dialog.ui.Option2->setChecked(true);
        dialog.ui.Text1->setText(QStringLiteral("0"));
        dialog.ui.Command2->click();
    };
    pie.w.mnuprint_Click();
    QVERIFY(pie.w.printerDialogLoaded());
    bool sameChoices = false;
    pie.platform.onModal = [&](QDialog& shown) {
        auto& dialog = static_cast<frmselectprinter&>(shown);
        sameChoices = dialog.ui.Option2->isChecked() && dialog.ui.Text1->text() == "0"
                   && dialog.ui.Command2->isVisible();
        dialog.ui.Command3->click();
    };
    pie.w.mnuselectprinter_Click();
    QVERIFY(sameChoices);
    QCOMPARE(int(pie.w.VPLOTGLOBAL.printLandscape), 1);
}

void TestPrint::closeByFrameActsAsCancel()
{
    PieWindow pie;
    pie.platform.onModal = [](QDialog& shown) { shown.close(); };
    pie.w.mnuprint_Click();
    QCOMPARE(int(pie.w.VPLOTGLOBAL.printRequested), 0);
    QCOMPARE(int(pie.w.VPLOTGLOBAL.printCopies), -1);
    QVERIFY(!pie.w.printerDialogLoaded());
}

void TestPrint::dialogCentred_data()
{
    QTest::addColumn<QSizeF>("screen"); // twips
    QTest::addColumn<QPoint>("position"); // pixels of 15 twips
    // The dialog is 5715 x 3450 twips: (28800 - 5715) / 2 = 11542 twips.
    QTest::newRow("1920 x 1080") << QSizeF(28800, 16200) << QPoint(769, 425);
    QTest::newRow("960 x 600") << QSizeF(14400, 9000) << QPoint(289, 185);
}

void TestPrint::dialogCentred()
{
    QFETCH(QSizeF, screen);
    QFETCH(QPoint, position);
    ScriptedPlatform platform;
    platform.screenWidthTwips = screen.width();
    platform.screenHeightTwips = screen.height();
    vp::VplotGlobal global;
    const frmselectprinter dialog(platform, global);
    QCOMPARE(dialog.pos(), position);
}

// PrintRichText on a PDF printer: where the picture lands and how large.
void TestPrint::canvasGeometry_data()
{
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<bool>("landscape");
    QTest::addColumn<double>("minimumMargin"); // inches the device cannot reach
    QTest::addColumn<QSize>("paper");          // points
    QTest::addColumn<QSizeF>("printed");       // points

    // 96 pixels to the inch on the offscreen screen: 192 x 96 px is 2 x 1 in.
    QTest::newRow("small picture prints at its screen size")
        << QSize(192, 96) << false << 0.0 << QSize(595, 842) << QSizeF(144, 72);
    QTest::newRow("device with unprintable edges keeps the margins from the paper")
        << QSize(192, 96) << false << 0.1 << QSize(595, 842) << QSizeF(144, 72);
    // Wider than the 7.77 in between the margins: shrunk to that width.
    QTest::newRow("wide picture shrinks to the target width")
        << QSize(1600, 400) << false << 0.0 << QSize(595, 842) << QSizeF(559, 139.75);
    QTest::newRow("landscape page")
        << QSize(1600, 400) << true << 0.0 << QSize(842, 595) << QSizeF(806, 201.5);
    // Taller than the page: shrunk until it fits, on one page.
    QTest::newRow("tall picture shrinks to the target height")
        << QSize(200, 2000) << false << 0.0 << QSize(595, 842) << QSizeF(80.6, 806);
}

void TestPrint::canvasGeometry()
{
    if (!haveTool("pdfinfo") || !haveTool("pdftoppm"))
        QSKIP("pdfinfo and pdftoppm are needed");
    QFETCH(QSize, picture);
    QFETCH(bool, landscape);
    QFETCH(double, minimumMargin);
    QFETCH(QSize, paper);
    QFETCH(QSizeF, printed);

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("out.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    const QMarginsF edges(minimumMargin, minimumMargin, minimumMargin, minimumMargin);
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4),
                                      landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                                      edges, QPageLayout::Inch, edges));
    const PrintGeometry geometry = printGeometry(printer);
    QCOMPARE(geometry.offsetX, qRound(minimumMargin * 1440));
    QCOMPARE(geometry.offsetY, qRound(minimumMargin * 1440));

    QTextEdit canvas;
    QTextCursor(canvas.document()).insertImage(solidPicture(picture.width(), picture.height(), Qt::blue));
    const QString error = PrintRichText(canvas, printer, 360, 360, 360, 360);
    QCOMPARE(error, QString());
    QVERIFY(canvas.document()->isEmpty());

    const PdfInfo info = pdfInfo(file);
    QCOMPARE(info.pages, 1);
    QCOMPARE(info.pageSize, paper);
    const QRect ink = inkBox(pdfPage(file, 1));
    // One pixel per point; the margin is 18 points.
    QVERIFY2(qAbs(ink.left() - 18) <= 1 && qAbs(ink.top() - 18) <= 1,
             qPrintable(QStringLiteral("picture at %1,%2").arg(ink.left()).arg(ink.top())));
    QVERIFY2(qAbs(ink.width() - printed.width()) <= 2 && qAbs(ink.height() - printed.height()) <= 2,
             qPrintable(QStringLiteral("picture %1 x %2").arg(ink.width()).arg(ink.height())));
    QVERIFY(ink.right() <= paper.width() - 18 && ink.bottom() <= paper.height() - 18);
}

// Content that does not fit the rest of a page continues at the top of the
// next page of the same document, inside the margins.
void TestPrint::canvasContinuesOnNewPages()
{
    if (!haveTool("pdfinfo") || !haveTool("pdftoppm"))
        QSKIP("pdfinfo and pdftoppm are needed");
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("out.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    printer.setPageSize(QPageSize(QPageSize::A4));

    // 50 lines fill more than the 356 points a 450-point picture leaves of
    // the 806-point target, so each picture starts a page of its own.
    QTextEdit canvas;
    QTextCursor cursor(canvas.document());
    for (int line = 1; line <= 50; ++line)
        cursor.insertText(QStringLiteral("Line %1 of the canvas\n").arg(line));
    // 300 x 600 pixels print as 225 x 450 points.
    cursor.insertImage(solidPicture(300, 600, Qt::red));
    cursor.insertText(QStringLiteral("\n"));
    cursor.insertImage(solidPicture(300, 600, Qt::green));
    const QString error = PrintRichText(canvas, printer, 360, 360, 360, 360);
    QCOMPARE(error, QString());

    QCOMPARE(pdfInfo(file).pages, 3);
    const QRect text = inkBox(pdfPage(file, 1));
    QVERIFY(!text.isNull());
    QVERIFY(text.left() >= 17 && text.top() >= 17 && text.bottom() <= 842 - 18);
    const QColor colours[] = {Qt::red, Qt::green};
    for (int page : {2, 3}) {
        const QImage image = pdfPage(file, page);
        const QRect ink = inkBox(image);
        QVERIFY2(qAbs(ink.left() - 18) <= 1 && qAbs(ink.top() - 18) <= 1
                     && qAbs(ink.width() - 225) <= 2 && qAbs(ink.height() - 450) <= 2,
                 qPrintable(QStringLiteral("page %1: %2 x %3 at %4,%5")
                                .arg(page).arg(ink.width()).arg(ink.height())
                                .arg(ink.left()).arg(ink.top())));
        const QColor middle = image.pixelColor(ink.center());
        const QColor expected = colours[page - 2];
        QVERIFY2(qAbs(middle.red() - expected.red()) <= 8 && qAbs(middle.green() - expected.green()) <= 8
                     && qAbs(middle.blue() - expected.blue()) <= 8,
                 qPrintable(middle.name()));
    }
}

// Margins wider than the paper: an error, no endless page loop.
void TestPrint::marginsLeavingNoRoom()
{
    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("out.pdf")));
    printer.setPageSize(QPageSize(QPageSize::A4));
    QTextEdit canvas;
    canvas.setPlainText(QStringLiteral("text"));
    const QString error = PrintRichText(canvas, printer, 9000, 360, 9000, 360);
    QVERIFY(!error.isEmpty());
    QVERIFY(canvas.document()->isEmpty());
}

void TestPrint::noPrinterInstalled()
{
    if (!serverMissing())
        QSKIP("needs CUPS_SERVER naming a server that does not exist");
    PieWindow pie;
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(QStringLiteral("before"));
    bool listEmpty = false;
    QString comboText, selected;
    pie.platform.onModal = [&](QDialog& shown) {
        auto& dialog = static_cast<frmselectprinter&>(shown);
        listEmpty = dialog.ui.cboprinterlist->count() == 0;
        comboText = dialog.ui.cboprinterlist->currentText();
        selected = dialog.ui.Label2->text();
        QVERIFY(!dialog.SelectPrinter(QStringLiteral("Office_Laser")));
        dialog.ui.Text1->setText(QStringLiteral("2"));
        dialog.ui.Command2->click();
    };
    pie.w.mnuprint_Click();
    QVERIFY(listEmpty);
    QCOMPARE(comboText, QStringLiteral("Combo1"));
    QCOMPARE(selected, QStringLiteral("Selected Printer:"));
    QCOMPARE(pie.platform.messages.size(), 1);
    QVERIFY(pie.platform.messages.first().startsWith("No printer is installed"));
    QVERIFY(pie.platform.messages.first().contains("Select Printer"));
    QCOMPARE(int(pie.w.VPLOTGLOBAL.printCopies), 1);
    QVERIFY(clipboard->text().isEmpty());
    QVERIFY(pie.w.PieChart1().Visible());
    QVERIFY(pie.w.ui.RichTextBox1->isHidden());
}

void TestPrint::printerListAndSelection()
{
    if (!serverRunning())
        QSKIP("needs the private print server (tests/cups/start-cups.sh, as root)");
    PieWindow pie;
    pie.w.VPLOTGLOBAL.printCopies = 5; // select mode
    QStringList names;
    QString comboText, selected;
    bool printModeHidden = false;
    pie.platform.onModal = [&](QDialog& shown) {
        auto& dialog = static_cast<frmselectprinter&>(shown);
        names = listed(dialog);
        comboText = dialog.ui.cboprinterlist->currentText();
        selected = dialog.ui.Label2->text();
        printModeHidden = dialog.ui.Command2->isHidden() && dialog.ui.Text1->isHidden()
                       && dialog.ui.Frame1->isHidden() && dialog.ui.Label3->isHidden();
        // Names compare exactly: another letter case selects nothing.
        QVERIFY(!dialog.SelectPrinter(QStringLiteral("plotter_room_2")));
        QCOMPARE(dialog.currentPrinter()->printerName(), QStringLiteral("Office_Laser"));
        dialog.ui.cboprinterlist->setCurrentIndex(names.indexOf("Plotter_Room_2"));
        dialog.ui.Command1->click();
    };
    pie.w.mnuselectprinter_Click();
    names.sort();
    QCOMPARE(names, (QStringList{"Office_Laser", "Plotter_Room_2"}));
    QCOMPARE(comboText, QStringLiteral("Office_Laser"));
    QCOMPARE(selected, QStringLiteral("Selected Printer: Office_Laser"));
    QVERIFY(printModeHidden);
    QVERIFY(!pie.w.printerDialogLoaded());
    // Text1 still held "1": Select stores it, also in select mode.
    QCOMPARE(int(pie.w.VPLOTGLOBAL.printCopies), 1);

    // Loaded afresh, the dialog shows the printer chosen last time.
    pie.platform.onModal = [&](QDialog& shown) {
        auto& dialog = static_cast<frmselectprinter&>(shown);
        comboText = dialog.ui.cboprinterlist->currentText();
        selected = dialog.ui.Label2->text();
        // A typed name that matches nothing leaves the printer unchanged.
        dialog.ui.cboprinterlist->setEditText(QStringLiteral("No_Such_Printer"));
        dialog.ui.Command1->click();
    };
    pie.w.mnuselectprinter_Click();
    QCOMPARE(comboText, QStringLiteral("Plotter_Room_2"));
    QCOMPARE(selected, QStringLiteral("Selected Printer: Plotter_Room_2"));
    QCOMPARE(CurrentPrinter::instance().name(), QStringLiteral("Plotter_Room_2"));
}

void TestPrint::copiesAndOrientation_data()
{
    QTest::addColumn<QString>("printer");
    QTest::addColumn<bool>("landscape");
    QTest::addColumn<QString>("copies");
    QTest::addColumn<int>("jobs");
    QTest::addColumn<QSize>("pageSize");

    QTest::newRow("three landscape copies, three documents")
        << "Office_Laser" << true << "3" << 3 << QSize(842, 595);
    QTest::newRow("one portrait copy on the second printer")
        << "Plotter_Room_2" << false << "1" << 1 << QSize(595, 842);
    QTest::newRow("2.5 copies print two")
        << "Plotter_Room_2" << true << "2.5" << 2 << QSize(842, 595);
}

void TestPrint::copiesAndOrientation()
{
    if (!serverRunning())
        QSKIP("needs the private print server (tests/cups/start-cups.sh, as root)");
    QFETCH(QString, printer);
    QFETCH(bool, landscape);
    QFETCH(QString, copies);
    QFETCH(int, jobs);
    QFETCH(QSize, pageSize);

    PieWindow pie;
    QGuiApplication::clipboard()->setText(QStringLiteral("held before printing"));
    const QStringList before = spooledJobs();
    pie.platform.onModal = pressPrint(printer, landscape, copies);
    pie.w.mnuprint_Click();
    QCOMPARE(pie.platform.messages, QStringList());

    const QStringList arrived = newJobs(before, jobs);
    QCOMPARE(arrived.size(), jobs);
    for (const QString& job : arrived) {
        // The listener names each job after the queue that sent it.
        QVERIFY2(job.endsWith("-" + printer + ".prn"), qPrintable(job));
        QFile file(job);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.read(5) == "%PDF-");
        const PdfInfo info = pdfInfo(job);
        QCOMPARE(info.pages, 1);
        QCOMPARE(info.pageSize, pageSize);
    }

    // After the run: the clipboard is empty, the canvas empty and hidden,
    // the chart shown, the copies number back at 1.
    QClipboard* clipboard = QGuiApplication::clipboard();
    QVERIFY(clipboard->image().isNull());
    QVERIFY(clipboard->text().isEmpty());
    QVERIFY(pie.w.ui.RichTextBox1->isHidden());
    QVERIFY(pie.w.ui.RichTextBox1->document()->isEmpty());
    QVERIFY(pie.w.PieChart1().Visible());
    // The canvas took 70 % of the 1920 x 1080 pixel screen while printing.
    QCOMPARE(pie.w.ui.RichTextBox1->size(), QSize(1344, 756));
    QCOMPARE(int(pie.w.VPLOTGLOBAL.printCopies), 1);
    QCOMPARE(int(pie.w.state.printCopyIndex), jobs);
    QCOMPARE(int(pie.w.VPLOTGLOBAL.printLandscape), landscape ? 1 : 0);
    QVERIFY(pie.w.printerDialogLoaded());
}

void TestPrint::pictureInsideMargins_data()
{
    QTest::addColumn<bool>("landscape");
    QTest::addColumn<QSize>("paper");
    QTest::newRow("portrait") << false << QSize(595, 842);
    QTest::newRow("landscape") << true << QSize(842, 595);
}

// The chart picture (wider than the page) fills the width between the
// quarter-inch margins and stays inside them.
void TestPrint::pictureInsideMargins()
{
    if (!serverRunning())
        QSKIP("needs the private print server (tests/cups/start-cups.sh, as root)");
    QFETCH(bool, landscape);
    QFETCH(QSize, paper);

    PieWindow pie;
    const QStringList before = spooledJobs();
    pie.platform.onModal = pressPrint(QStringLiteral("Office_Laser"), landscape, "1");
    pie.w.mnuprint_Click();
    const QStringList arrived = newJobs(before, 1);
    QCOMPARE(arrived.size(), 1);
    const QImage page = pdfPage(arrived.first(), 1);
    QCOMPARE(page.size(), paper);
    const QRect ink = inkBox(page);
    QVERIFY(!ink.isNull());
    const QString where = QStringLiteral("ink %1,%2 - %3,%4")
                              .arg(ink.left()).arg(ink.top()).arg(ink.right()).arg(ink.bottom());
    // 0.25 in is 18 points.
    QVERIFY2(ink.left() >= 18 && ink.top() >= 18, qPrintable(where));
    // A4 is 595.3 x 841.9 points: the last pixel column or row may hold the
    // part of the picture up to the margin.
    QVERIFY2(ink.right() <= paper.width() - 18 && ink.bottom() <= paper.height() - 18,
             qPrintable(where));
    QVERIFY2(ink.left() <= 19 && ink.top() <= 19, qPrintable(where));
    QVERIFY2(ink.right() >= paper.width() - 21, qPrintable(where));
}

// Content already in the canvas comes first; the picture pasted after it
// continues on a second page of the same document.
void TestPrint::largeCanvasContinues()
{
    if (!serverRunning())
        QSKIP("needs the private print server (tests/cups/start-cups.sh, as root)");
    PieWindow pie;
    QString lines;
    // 60 lines leave less room than the picture needs.
    for (int line = 1; line <= 60; ++line)
        lines += QStringLiteral("Note %1\n").arg(line);
    pie.w.ui.RichTextBox1->setPlainText(lines);

    const QStringList before = spooledJobs();
    pie.platform.onModal = pressPrint(QStringLiteral("Office_Laser"), false, "1");
    pie.w.mnuprint_Click();
    const QStringList arrived = newJobs(before, 1);
    QCOMPARE(arrived.size(), 1);
    QCOMPARE(pdfInfo(arrived.first()).pages, 2);
    const QRect first = inkBox(pdfPage(arrived.first(), 1));
    const QRect second = inkBox(pdfPage(arrived.first(), 2));
    QVERIFY(!first.isNull() && !second.isNull());
    // The second page holds the whole picture: the width between the margins.
    QVERIFY(second.top() >= 18 && second.top() <= 19);
    QVERIFY(second.width() >= 595 - 36 - 3);
    QVERIFY(pie.w.ui.RichTextBox1->document()->isEmpty());
}

void TestPrint::selectInPrintModePrintsNothing()
{
    if (!serverRunning())
        QSKIP("needs the private print server (tests/cups/start-cups.sh, as root)");
    PieWindow pie;
    const QStringList before = spooledJobs();
    pie.platform.onModal = [](QDialog& shown) {
        auto& dialog = static_cast<frmselectprinter&>(shown);
        dialog.ui.cboprinterlist->setEditText(QStringLiteral("Plotter_Room_2"));
        dialog.ui.Option2->setChecked(true);
        dialog.ui.Text1->setText(QStringLiteral("4"));
        dialog.ui.Command1->click();
    };
    pie.w.mnuprint_Click();
    QCOMPARE(newJobs(before, 1, 3000), QStringList());
    QCOMPARE(int(pie.w.VPLOTGLOBAL.printCopies), 4);
    QCOMPARE(int(pie.w.VPLOTGLOBAL.printRequested), 0);
    QCOMPARE(int(pie.w.VPLOTGLOBAL.printLandscape), 0);
    QCOMPARE(CurrentPrinter::instance().name(), QStringLiteral("Plotter_Room_2"));
    QVERIFY(!pie.w.printerDialogLoaded());
}

// A stopped queue is named in a message and gets no job; the chart and the
// canvas are back as before.
void TestPrint::stoppedPrinterIsReported()
{
    if (!serverRunning())
        QSKIP("needs the private print server (tests/cups/start-cups.sh, as root)");
    auto queueCommand = [](const char* command) {
        return QProcess::execute(QString::fromLatin1(command), {QStringLiteral("Plotter_Room_2")});
    };
    QCOMPARE(queueCommand("cupsdisable"), 0);
    struct Restart {
        std::function<int(const char*)> run;
        ~Restart() { run("cupsenable"); }
    } restart{queueCommand};

    PieWindow pie;
    const QStringList before = spooledJobs();
    pie.platform.onModal = pressPrint(QStringLiteral("Plotter_Room_2"), false, "2");
    pie.w.mnuprint_Click();
    QCOMPARE(pie.platform.messages.size(), 1);
    QVERIFY2(pie.platform.messages.first().contains("\"Plotter_Room_2\""),
             qPrintable(pie.platform.messages.first()));
    QCOMPARE(newJobs(before, 1, 3000), QStringList());
    QVERIFY(pie.w.PieChart1().Visible());
    QVERIFY(pie.w.ui.RichTextBox1->isHidden());
    QVERIFY(pie.w.ui.RichTextBox1->document()->isEmpty());
    QVERIFY(QGuiApplication::clipboard()->image().isNull());
    QCOMPARE(int(pie.w.VPLOTGLOBAL.printCopies), 1);
}

QTEST_MAIN(TestPrint)
#include "tst_print.moc"
