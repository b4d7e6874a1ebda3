// The printer dialog and printing. Cases that need the private print server
// (tests/cups/start-cups.sh: CUPS_SERVER and VELDRA_PRINT_SPOOL set) skip
// without it; the no-printer case runs when CUPS_SERVER names no server.
// The page geometry of the canvas printing is checked on PDF files.
#include "frmselectprinter.h"
#include "pixels.h"
#include "printrichtext.h"
#include "testfiles.h"

#include <QClipboard>
#include <QTextCursor>
#include <QTextEdit>
#include <QtTest>

#include <functional>

namespace
{

// The private print server, if any, and the folder where its queues spool.
struct Server {
    static QString socket() { return qEnvironmentVariable("CUPS_SERVER"); }
    static QString spool() { return qEnvironmentVariable("VELDRA_PRINT_SPOOL"); }
    static bool running() { return QFileInfo::exists(socket()) && QDir(spool()).exists(); }
    static QStringList jobs() { return QDir(spool()).entryList({"*.prn"}, QDir::Files); }
};
const char* const kNoServer = "needs the private print server (tests/cups/start-cups.sh)";

// Waits until `count` jobs beyond `before` have arrived, then a little longer
// so that extra jobs would show too. Returns the new jobs' paths.
QStringList newJobs(const QStringList& before, int count, int timeoutMs = 30000)
{
    auto fresh = [&] {
        QStringList paths;
        for (const QString& name : Server::jobs())
            if (!before.contains(name))
                paths << QDir(Server::spool()).filePath(name);
        return paths;
    };
    QElapsedTimer timer;
    timer.start();
    while (fresh().size() < count && timer.elapsed() < timeoutMs)
        QThread::msleep(100);
    QThread::msleep(1500);
    return fresh();
}

// The pages of a PDF at 72 dots per inch: one pixel per point.
QList<QImage> pdfPages(const QString& path)
{
    QTemporaryDir dir;
    QProcess::execute(QStringLiteral("pdftoppm"),
                      {"-png", "-r", "72", path, dir.filePath(QStringLiteral("p"))});
    QList<QImage> pages;
    for (const QString& name : QDir(dir.path()).entryList(QDir::Files, QDir::Name))
        pages << QImage(dir.filePath(name));
    return pages;
}

QString describe(const QRect& r)
{
    return QString::asprintf("%d x %d at %d,%d", r.width(), r.height(), r.left(), r.top());
}

// Prints the canvas to a PDF on A4, with side margins of `side` twips and
// 360 at top and bottom, on a device that cannot reach `edge` inches at each
// side. Returns the pages; none, with the error, when printing fails.
QList<QImage> printToPdf(QTextEdit& canvas, double edge = 0, int side = 360,
                         QString* error = nullptr)
{
    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("out.pdf")));
    const QMarginsF edges(edge, edge, edge, edge);
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, edges,
                                      QPageLayout::Inch, edges));
    const QString problem = PrintRichText(canvas, printer, side, 360, side, 360);
    if (error)
        *error = problem;
    return problem.isEmpty() ? pdfPages(printer.outputFileName()) : QList<QImage>();
}

QImage solid(int width, int height, const QColor& colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

frmselectprinter& dialogOf(QDialog& shown)
{
    return static_cast<frmselectprinter&>(shown);
}

// Chooses a printer name (if any), orientation and copies, then presses
// Print (or Select).
std::function<void(QDialog&)> press(const QString& printerName, bool landscape,
                                    const QString& copies, bool print = true)
{
    return [=](QDialog& shown) {
        auto& dialog = dialogOf(shown);
        if (!printerName.isEmpty())
            ctl<QComboBox>(dialog, "cboprinterlist")->setEditText(printerName);
        (landscape ? ctl<QRadioButton>(dialog, "Option2") : ctl<QRadioButton>(dialog, "Option1"))->setChecked(true);
        ctl<QLineEdit>(dialog, "Text1")->setText(copies);
        (print ? ctl<QPushButton>(dialog, "Command2") : ctl<QPushButton>(dialog, "Command1"))->click();
    };
}

// Whether the print part (Print, copies, orientation) shows or hides.
bool printPart(frmselectprinter& d, bool shown)
{
    const QList<QWidget*> parts{ctl<QPushButton>(d, "Command2"), ctl<QLineEdit>(d, "Text1"), ctl<QGroupBox>(d, "Frame1"), ctl<QLabel>(d, "Label3")};
    return std::all_of(parts.begin(), parts.end(),
                       [&](QWidget* part) { return part->isVisible() == shown; });
}

// The printer shown in the list box and in the label.
QStringList shownPrinter(frmselectprinter& d)
{
    return {ctl<QComboBox>(d, "cboprinterlist")->currentText(), ctl<QLabel>(d, "Label2")->text()};
}

// A started window on a pie chart whose whole picture is coloured, so that
// the picture's extent on paper is its ink.
struct PieWindow : StartedWindow {
    frmsimplechart& w;
    PieWindow() : w(start(kPieDefinition)) { w.context().pie.setBackColor(vp::rgb(200, 200, 255)); }

    // After a print run: clipboard empty, canvas empty and hidden, chart
    // shown, copies back at 1.
    void checkRestored()
    {
        QVERIFY(QGuiApplication::clipboard()->image().isNull() &&
                QGuiApplication::clipboard()->text().isEmpty());
        QVERIFY(ctl<QTextEdit>(w, "RichTextBox1")->isHidden() && ctl<QTextEdit>(w, "RichTextBox1")->document()->isEmpty());
        QVERIFY(w.context().pie.Visible());
        QCOMPARE(int(w.context().global.printCopies), 1);
    }
};

} // namespace

class TestPrint : public QObject
{
    Q_OBJECT

  private slots:
    void init()
    {
        QGuiApplication::clipboard()->clear();
    }

    void copies_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("copies"); // -2: refused
        QTest::newRow("half goes down to even") << "2.5" << 2;
        QTest::newRow("half goes up to even") << "3.5" << 4;
        QTest::newRow("number then a word") << "3 apples" << 3;
        QTest::newRow("empty gives none") << "" << 0;
        QTest::newRow("minus one") << "-1" << -1;
        QTest::newRow("largest") << "32767" << 32767;
        QTest::newRow("too many") << "40000" << -2;
        QTest::newRow("too negative") << "-40000" << -2;
    }

    // Print stores the number and hides the dialog, which stays loaded; an
    // out-of-range number is refused with a message naming it.
    void copies()
    {
        QFETCH(QString, text);
        QFETCH(int, copies);
        const bool accepted = copies != -2;
        ScriptedPlatform platform;
        vp::VplotGlobal global;
        global.printCopies = -1;
        CurrentPrinter current;
        frmselectprinter dialog(platform, global, current);
        dialog.show();
        ctl<QLineEdit>(dialog, "Text1")->setText(text);
        ctl<QPushButton>(dialog, "Command2")->click();
        QCOMPARE(int(global.printCopies), accepted ? copies : -1);
        QCOMPARE(int(global.printRequested), accepted ? 1 : 0);
        QCOMPARE(dialog.isHidden(), accepted);
        QCOMPARE(platform.messages.size(), accepted ? 0 : 1);
        QVERIFY(accepted || platform.messages.first().contains(text));
        QVERIFY(!dialog.closeRequested());
    }

    // Cancel in print mode closes the dialog, so "Select Printer" loads it
    // afresh in print mode; closing it by its frame acts as Cancel. After
    // Print it stays loaded and shows the same choices again. -1 copies pass
    // the dialog but print nothing; the run still ends as usual.
    void printDialogFlow()
    {
        PieWindow pie;
        pie.platform.onModal = [](QDialog& shown) { ctl<QPushButton>(dialogOf(shown), "Command3")->click(); };
        pie.w.menuCommands().mnuprint_Click();
        QCOMPARE(int(pie.w.context().global.printCopies), -1);
        QVERIFY(!pie.w.menuCommands().printerDialogLoaded());
        bool ok = false;
        pie.platform.onModal = [&](QDialog& shown) {
            ok = printPart(dialogOf(shown), true);
            shown.close();
        };
        pie.w.menuCommands().mnuselectprinter_Click();
        QVERIFY(ok && !pie.w.menuCommands().printerDialogLoaded());
        QCOMPARE(int(pie.w.context().global.printRequested), 0);

        pie.platform.onModal = press(QString(), true, QStringLiteral("0"));
        pie.w.menuCommands().mnuprint_Click();
        QVERIFY(pie.w.menuCommands().printerDialogLoaded());
        pie.platform.onModal = [&](QDialog& shown) {
            auto& dialog = dialogOf(shown);
            ok = ctl<QRadioButton>(dialog, "Option2")->isChecked() && ctl<QLineEdit>(dialog, "Text1")->text() == "0" &&
                 printPart(dialog, true);
            ctl<QPushButton>(dialog, "Command3")->click();
        };
        pie.w.menuCommands().mnuselectprinter_Click();
        QVERIFY(ok);
        QCOMPARE(int(pie.w.context().global.printLandscape), 1);

        pie.platform.onModal = press(QString(), false, QStringLiteral("-1"));
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
        pie.w.menuCommands().mnuprint_Click();
        QVERIFY(pie.platform.messages.isEmpty());
        QCOMPARE(int(pie.w.context().global.printRequested), 1);
        QCOMPARE(int(pie.w.context().state.printCopyIndex), 0);
        pie.checkRestored();
    }

    void dialogCentred()
    {
        ScriptedPlatform platform;
        platform.screenWidthTwips = 28800;
        platform.screenHeightTwips = 16200;
        vp::VplotGlobal global;
        CurrentPrinter current;
        // 5715 x 3450 twips: (28800 - 5715) / 2 = 11542 twips, 769 pixels.
        QCOMPARE(frmselectprinter(platform, global, current).pos(), QPoint(769, 425));
    }

    // Margins of 360 twips (18 points) count from the paper's edges; a picture
    // prints at its screen size (96 pixels to the inch) unless it must shrink
    // to the room between the margins.
    void canvasGeometry_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<double>("edge");    // inches the device cannot reach
        QTest::addColumn<QSizeF>("printed"); // points; empty: refused
        QTest::newRow("small picture at its screen size")
            << QSize(192, 96) << 0.0 << QSizeF(144, 72);
        QTest::newRow("unprintable edges: margins still from the paper")
            << QSize(192, 96) << 0.1 << QSizeF(144, 72);
        QTest::newRow("wide picture shrinks to 7.77 in")
            << QSize(1600, 400) << 0.0 << QSizeF(559, 139.75);
        QTest::newRow("tall picture shrinks to one page")
            << QSize(200, 2000) << 0.0 << QSizeF(80.6, 806);
        // An error, and no endless page loop.
        QTest::newRow("side margins wider than the paper") << QSize(192, 96) << 0.0 << QSizeF();
    }

    void canvasGeometry()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
            QSKIP("pdftoppm is needed");
        QFETCH(QSize, picture);
        QFETCH(double, edge);
        QFETCH(QSizeF, printed);
        QTextEdit canvas;
        QTextCursor(canvas.document())
            .insertImage(solid(picture.width(), picture.height(), Qt::blue));
        QString error;
        const QList<QImage> pages =
            printToPdf(canvas, edge, printed.isEmpty() ? 9000 : 360, &error);
        QVERIFY(canvas.document()->isEmpty());
        QCOMPARE(error.isEmpty(), !printed.isEmpty());
        QCOMPARE(pages.size(), printed.isEmpty() ? 0 : 1);
        if (pages.isEmpty())
            return;
        QCOMPARE(pages[0].size(), QSize(595, 842));
        const QRect ink = px::inkBox(pages[0]);
        QVERIFY2(qAbs(ink.left() - 18) <= 1 && qAbs(ink.top() - 18) <= 1 &&
                     qAbs(ink.width() - printed.width()) <= 2 &&
                     qAbs(ink.height() - printed.height()) <= 2,
                 qPrintable(describe(ink)));
        QVERIFY(ink.right() <= 595 - 18 && ink.bottom() <= 842 - 18);
    }

    // What does not fit the rest of a page continues at the top of the next
    // page of the same document, inside the margins, nothing of it left on
    // the page before.
    void canvasContinuesOnNewPages()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
            QSKIP("pdftoppm is needed");
        // 50 lines leave less than the 450 points that a 300 x 600 pixel
        // picture needs, so each picture starts a page of its own.
        QTextEdit canvas;
        QTextCursor cursor(canvas.document());
        for (int line = 1; line <= 50; ++line)
            cursor.insertText(QStringLiteral("Line %1 of the canvas\n").arg(line));
        cursor.insertImage(solid(300, 600, Qt::red));
        cursor.insertText(QStringLiteral("\n"));
        cursor.insertImage(solid(300, 600, Qt::green));
        const QList<QImage> pages = printToPdf(canvas);
        QCOMPARE(pages.size(), 3);
        const QRect text = px::inkBox(pages[0]);
        QVERIFY2(text.left() >= 17 && text.top() >= 17 && text.bottom() <= 842 - 18,
                 qPrintable(describe(text)));
        for (const auto& [page, colour] :
             {std::pair(1, QColor(Qt::red)), std::pair(2, QColor(Qt::green))}) {
            const QRect ink = px::inkBox(pages[page]);
            QVERIFY2(qAbs(ink.left() - 18) <= 1 && qAbs(ink.top() - 18) <= 1 &&
                         qAbs(ink.width() - 225) <= 2 && qAbs(ink.height() - 450) <= 2,
                     qPrintable(describe(ink)));
            QVERIFY(px::distance(pages[page].pixelColor(ink.center()), colour) <= 8);
        }
    }

    void noPrinterInstalled()
    {
        if (Server::socket().isEmpty() || QFileInfo::exists(Server::socket()))
            QSKIP("needs CUPS_SERVER naming a server that does not exist");
        PieWindow pie;
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
        QStringList seen; // entries, combo text, label
        pie.platform.onModal = [&](QDialog& shown) {
            auto& dialog = dialogOf(shown);
            seen << QString::number(ctl<QComboBox>(dialog, "cboprinterlist")->count()) << shownPrinter(dialog);
            QVERIFY(!dialog.SelectPrinter(QStringLiteral("Office_Laser")));
            press(QString(), false, QStringLiteral("2"))(shown);
        };
        pie.w.menuCommands().mnuprint_Click();
        QCOMPARE(seen, (QStringList{"0", "Combo1", "Selected Printer:"}));
        QCOMPARE(pie.platform.messages.size(), 1);
        // It points to the list that offers the printers, not to the switched-off command.
        QVERIFY(pie.platform.messages.first().startsWith("No printer is installed") &&
                pie.platform.messages.first().contains("\"Print options...\" in the File menu") &&
                !pie.platform.messages.first().contains("Select Printer"));
        pie.checkRestored();
    }

    // Select mode lists both queues and hides the print part; names compare
    // exactly. Loaded afresh, the dialog shows the printer chosen last; a
    // typed name that matches nothing changes nothing. Select in print mode
    // keeps printer, orientation and copies, and prints nothing.
    void printerListAndSelection()
    {
        if (!Server::running())
            QSKIP(kNoServer);
        PieWindow pie;
        pie.w.context().global.printCopies = 5; // select mode
        QStringList names, seen;
        pie.platform.onModal = [&](QDialog& shown) {
            auto& dialog = dialogOf(shown);
            for (int i = 0; i < ctl<QComboBox>(dialog, "cboprinterlist")->count(); ++i)
                names << ctl<QComboBox>(dialog, "cboprinterlist")->itemText(i);
            seen << shownPrinter(dialog);
            QVERIFY(printPart(dialog, false));
            QVERIFY(!dialog.SelectPrinter(QStringLiteral("plotter_room_2")));
            QCOMPARE(dialog.currentPrinter()->printerName(), QStringLiteral("Office_Laser"));
            ctl<QComboBox>(dialog, "cboprinterlist")->setCurrentIndex(names.indexOf("Plotter_Room_2"));
            ctl<QPushButton>(dialog, "Command1")->click();
        };
        pie.w.menuCommands().mnuselectprinter_Click();
        QVERIFY(!pie.w.menuCommands().printerDialogLoaded());
        QCOMPARE(int(pie.w.context().global.printCopies), 1); // Text1 held "1": Select stores it
        pie.platform.onModal = [&](QDialog& shown) {
            seen << shownPrinter(dialogOf(shown));
            press(QStringLiteral("No_Such_Printer"), false, QStringLiteral("1"), false)(shown);
        };
        pie.w.menuCommands().mnuselectprinter_Click();
        names.sort();
        QCOMPARE(names, (QStringList{"Office_Laser", "Plotter_Room_2"}));
        QCOMPARE(seen, (QStringList{"Office_Laser", "Selected Printer: Office_Laser",
                                    "Plotter_Room_2", "Selected Printer: Plotter_Room_2"}));
        QCOMPARE(pie.w.menuCommands().currentPrinter().name(), QStringLiteral("Plotter_Room_2"));

        const QStringList before = Server::jobs();
        pie.platform.onModal =
            press(QStringLiteral("Office_Laser"), true, QStringLiteral("4"), false);
        pie.w.menuCommands().mnuprint_Click();
        QCOMPARE(newJobs(before, 1, 3000), QStringList());
        QCOMPARE(pie.w.menuCommands().currentPrinter().name(), QStringLiteral("Office_Laser"));
        QCOMPARE(int(pie.w.context().global.printCopies), 4);
        QCOMPARE(int(pie.w.context().global.printRequested), 0);
        QCOMPARE(int(pie.w.context().global.printLandscape), 0);
        QVERIFY(!pie.w.menuCommands().printerDialogLoaded());
    }

    void typedPrinterName_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("current"); // after Select; Office_Laser was current
        QTest::newRow("exact name") << "Plotter_Room_2"
                                    << "Plotter_Room_2";
        QTest::newRow("other letter case matches none") << "plotter_room_2"
                                                        << "Office_Laser";
        QTest::newRow("start of a name is not completed") << "Plotter"
                                                          << "Office_Laser";
    }

    // The text typed into the list is the name compared, as the user typed it.
    void typedPrinterName()
    {
        if (!Server::running())
            QSKIP(kNoServer);
        QFETCH(QString, typed);
        QFETCH(QString, current);
        PieWindow pie;
        QString listText;
        pie.platform.onModal = [&](QDialog& shown) {
            QComboBox* list = ctl<QComboBox>(dialogOf(shown), "cboprinterlist");
            shown.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&shown));
            list->setFocus();
            list->lineEdit()->selectAll();
            QTest::keyClicks(list->lineEdit(), typed);
            QTest::mouseClick(ctl<QPushButton>(dialogOf(shown), "Command1"), Qt::LeftButton); // takes the focus
            listText = list->currentText();
        };
        pie.w.menuCommands().mnuselectprinter_Click();
        QCOMPARE(listText, typed);
        QCOMPARE(pie.w.menuCommands().currentPrinter().name(), current);
    }

    void printRun_data()
    {
        QTest::addColumn<QString>("printer");
        QTest::addColumn<bool>("landscape");
        QTest::addColumn<int>("copies");
        QTest::addColumn<int>("notes"); // lines already in the canvas
        QTest::addColumn<bool>("stopped");
        QTest::newRow("three landscape copies, three documents")
            << "Office_Laser" << true << 3 << 0 << false;
        QTest::newRow("portrait on the second printer, after notes: picture on page 2")
            << "Plotter_Room_2" << false << 1 << 60 << false;
        QTest::newRow("stopped queue: named in a message, no job")
            << "Plotter_Room_2" << false << 2 << 0 << true;
    }

    // One A4 document per copy reaches the chosen queue. The chart picture
    // (wider than the page) comes after what the canvas held and fills the
    // width between the quarter-inch margins (A4 is 595.3 x 841.9 points: the
    // last pixel may hold the picture up to the margin). Afterwards all is
    // back as before; the canvas took 70 % of the 1920 x 1080 screen meanwhile.
    void printRun()
    {
        if (!Server::running())
            QSKIP(kNoServer);
        QFETCH(QString, printer);
        QFETCH(bool, landscape);
        QFETCH(int, copies);
        QFETCH(int, notes);
        QFETCH(bool, stopped);
        if (stopped)
            QCOMPARE(QProcess::execute(QStringLiteral("cupsdisable"), {printer}), 0);
        const auto restart = qScopeGuard([&] {
            if (stopped)
                QProcess::execute(QStringLiteral("cupsenable"), {printer});
        });
        PieWindow pie;
        QString lines;
        for (int line = 1; line <= notes; ++line)
            lines += QStringLiteral("Note %1\n").arg(line);
        ctl<QTextEdit>(pie.w, "RichTextBox1")->setPlainText(lines);
        QGuiApplication::clipboard()->setText(QStringLiteral("held before printing"));
        const QStringList before = Server::jobs();
        pie.platform.onModal = press(printer, landscape, QString::number(copies));
        pie.w.menuCommands().mnuprint_Click();
        QCOMPARE(pie.platform.messages.size(), stopped ? 1 : 0);
        QVERIFY(!stopped || (pie.platform.messages.first().contains('"' + printer + '"') &&
                             !pie.platform.messages.first().contains("Select Printer")));
        const QStringList arrived = newJobs(before, copies, stopped ? 3000 : 30000);
        QCOMPARE(arrived.size(), stopped ? 0 : copies);
        const QSize paper = landscape ? QSize(842, 595) : QSize(595, 842);
        for (const QString& job : arrived) {
            QVERIFY2(job.endsWith("-" + printer + ".prn"),
                     qPrintable(job)); // named after its queue
            const QList<QImage> pages = pdfPages(job);
            QCOMPARE(pages.size(), notes ? 2 : 1);
            QVERIFY(!px::inkBox(pages.first()).isNull());
            QCOMPARE(pages.last().size(), paper);
            const QRect ink = px::inkBox(pages.last());
            QVERIFY2(ink.left() >= 18 && ink.top() >= 18 && ink.left() <= 19 && ink.top() <= 19 &&
                         ink.right() <= paper.width() - 18 && ink.right() >= paper.width() - 21 &&
                         ink.bottom() <= paper.height() - 18,
                     qPrintable(describe(ink)));
        }
        pie.checkRestored();
        if (!stopped) {
            QCOMPARE(ctl<QTextEdit>(pie.w, "RichTextBox1")->size(), QSize(1344, 756));
            QCOMPARE(int(pie.w.context().state.printCopyIndex), copies);
        }
    }
};

QTEST_MAIN(TestPrint)
#include "tst_print.moc"
