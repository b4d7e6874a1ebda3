// SPDX-License-Identifier: GPL-3.0-or-later
// The printer dialog and printing. Cases that need the private print server
// (tests/cups/start-cups.sh: CUPS_SERVER and VELDRA_PRINT_SPOOL set) skip
// without it; the no-printer case runs when CUPS_SERVER names no server.
// Printed pages are checked as PDF (the raw queues keep what they are sent).
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

// The private print server's jobs (but those in `before`), and whether the server runs.
QStringList jobs(const QStringList& before = {})
{
    QStringList paths;
    for (const QFileInfo& job :
         QDir(qEnvironmentVariable("VELDRA_PRINT_SPOOL")).entryInfoList({"*.prn"}, QDir::Files))
        if (!before.contains(job.filePath()))
            paths << job.filePath();
    return paths;
}
bool serverRunning()
{
    return QFileInfo::exists(qEnvironmentVariable("CUPS_SERVER")) &&
           QDir(qEnvironmentVariable("VELDRA_PRINT_SPOOL")).exists();
}

QSizeF size(const QString& text) // "WxH"
{
    return QSizeF(text.section('x', 0, 0).toDouble(), text.section('x', 1, 1).toDouble());
}

// The pages of a PDF at 72 dots per inch: one pixel per point.
QList<QImage> pdfPages(const QString& path)
{
    QTemporaryDir dir;
    QProcess::execute(QStringLiteral("pdftoppm"), {"-png", "-r", "72", path, dir.filePath("p")});
    QList<QImage> pages;
    for (const QString& name : QDir(dir.path()).entryList(QDir::Files, QDir::Name))
        pages << QImage(dir.filePath(name));
    return pages;
}

// The ink of a page stays inside the quarter-inch margins (18 points); with
// a valid `printed` it starts at their corner, and with a non-empty one it
// has that size.
bool inMargins(const QImage& page, const QSizeF& printed = QSizeF())
{
    const QRect ink = px::inkBox(page);
    return page.rect().marginsRemoved(QMargins(17, 17, 17, 17)).contains(ink) &&
           (!printed.isValid() || (ink.left() <= 19 && ink.top() <= 19)) &&
           (printed.isEmpty() || (qAbs(ink.width() - printed.width()) <= 2 &&
                                  qAbs(ink.height() - printed.height()) <= 2));
}

// Chooses a printer name (if any), orientation and copies, then presses
// Print (or Select).
std::function<void(QDialog&)> press(const QString& printer, bool landscape, const QString& copies,
                                    bool print = true)
{
    return [=](QDialog& d) {
        if (!printer.isEmpty())
            ctl<QComboBox>(d, "cboprinterlist")->setEditText(printer);
        ctl<QRadioButton>(d, landscape ? "Option2" : "Option1")->setChecked(true);
        ctl<QLineEdit>(d, "Text1")->setText(copies);
        ctl<QPushButton>(d, print ? "Command2" : "Command1")->click();
    };
}

// Whether the print part (Print, copies, orientation) is shown, and the
// printer shown in the list and the label.
QStringList seen(QDialog& d)
{
    return {ctl<QPushButton>(d, "Command2")->isVisible() && ctl<QGroupBox>(d, "Frame1")->isVisible()
                ? "print"
                : "select",
            ctl<QComboBox>(d, "cboprinterlist")->currentText(), ctl<QLabel>(d, "Label2")->text()};
}

// A started window on a pie chart whose whole picture is coloured, so that
// the picture's extent on paper is its ink.
struct PieWindow : StartedWindow {
    frmsimplechart& w;
    MenuCommands& menu;
    vp::VplotGlobal& global;
    PieWindow() : w(start(kPieDefinition)), menu(w.menuCommands()), global(w.context().global)
    {
        w.context().pie.setBackColor(vp::rgb(200, 200, 255));
        QGuiApplication::clipboard()->setText(QStringLiteral("held before printing"));
    }

    // After a print run: clipboard empty, canvas empty and hidden, chart shown, copies back at 1.
    void checkRestored()
    {
        auto* canvas = ctl<QTextEdit>(w, "RichTextBox1");
        QVERIFY(QGuiApplication::clipboard()->image().isNull() &&
                QGuiApplication::clipboard()->text().isEmpty());
        QVERIFY(canvas->isHidden() && canvas->document()->isEmpty() && w.context().pie.Visible());
        QCOMPARE(int(global.printCopies), 1);
    }
};

} // namespace

class TestPrint : public QObject
{
    Q_OBJECT

  private slots:
    void copies_data() { caseRows("tst_print-copies"); }

    // Print stores the number and hides the dialog, which stays loaded; an
    // out-of-range number is refused with a message naming it.
    void copies()
    {
        QFETCH(QByteArrayList, f);
        const bool accepted = f[1] != "refused";
        ScriptedPlatform platform;
        vp::VplotGlobal global;
        global.printCopies = -1;
        CurrentPrinter current;
        frmselectprinter dialog(platform, global, current);
        dialog.show();
        press(QString(), false, f[0])(dialog);
        QCOMPARE(int(global.printCopies), accepted ? f[1].toInt() : -1);
        QCOMPARE(int(global.printRequested), int(accepted));
        QVERIFY(dialog.isHidden() == accepted && !dialog.closeRequested());
        QCOMPARE(platform.messages.size(), accepted ? 0 : 1);
        QVERIFY(accepted || platform.messages.first().contains(f[0]));
    }

    // Cancel in print mode closes the dialog, so "Select Printer" loads it
    // afresh in print mode; closing it by its frame acts as Cancel. After
    // Print it stays loaded and shows the same choices again. -1 copies pass
    // the dialog but print nothing; the run still ends as usual.
    void printDialogFlow()
    {
        PieWindow pie;
        QStringList shown;
        pie.platform.onModal = [](QDialog& d) { ctl<QPushButton>(d, "Command3")->click(); };
        pie.menu.mnuprint_Click();
        QCOMPARE(int(pie.global.printCopies), -1);
        QVERIFY(!pie.menu.printerDialogLoaded());
        pie.platform.onModal = [&](QDialog& d) { shown << seen(d).first(), d.close(); };
        pie.menu.mnuselectprinter_Click();
        QVERIFY(!pie.menu.printerDialogLoaded());
        QCOMPARE(int(pie.global.printRequested), 0);

        pie.platform.onModal = press(QString(), true, QStringLiteral("0"));
        pie.menu.mnuprint_Click();
        QVERIFY(pie.menu.printerDialogLoaded());
        pie.platform.onModal = [&](QDialog& d) {
            shown << seen(d).first() << ctl<QLineEdit>(d, "Text1")->text()
                  << QString::number(ctl<QRadioButton>(d, "Option2")->isChecked());
            ctl<QPushButton>(d, "Command3")->click();
        };
        pie.menu.mnuselectprinter_Click();
        QCOMPARE(shown, (QStringList{"print", "print", "0", "1"}));
        QCOMPARE(int(pie.global.printLandscape), 1);

        pie.platform.onModal = press(QString(), false, QStringLiteral("-1"));
        pie.menu.mnuprint_Click();
        QVERIFY(pie.platform.messages.isEmpty());
        QCOMPARE(int(pie.global.printRequested), 1);
        QCOMPARE(int(pie.w.context().state.printCopyIndex), 0);
        pie.checkRestored();
    }

    void canvas_data() { caseRows("tst_print-canvas"); }

    // Margins of 360 twips count from the paper's edges, also on a device
    // that cannot reach `edge` inches; a picture prints at its screen size (96
    // pixels to the inch) unless it must shrink to the room between the
    // margins; what does not fit the rest of a page starts the next one.
    void canvas()
    {
        QFETCH(QByteArrayList, f); // see the table's header
        QTextEdit canvas;
        QTextCursor cursor(canvas.document());
        cursor.insertText(QString("A line of the canvas\n").repeated(f[0].toInt()));
        const QByteArrayList pictures = f[1].split(',');
        for (const QByteArray& picture : pictures) {
            if (&picture != &pictures.first())
                cursor.insertText(QStringLiteral("\n"));
            QImage image(size(picture).toSize(), QImage::Format_RGB32);
            image.fill(Qt::blue);
            cursor.insertImage(image);
        }
        QTemporaryDir dir;
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFileName(dir.filePath(QStringLiteral("out.pdf"))); // a PDF by its name
        const QMarginsF edges(f[2].toDouble(), f[2].toDouble(), f[2].toDouble(), f[2].toDouble());
        printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, edges,
                                          QPageLayout::Inch, edges));
        const vp::Result printed =
            PrintRichText(canvas, printer, f[3].toInt(), 360, f[3].toInt(), 360);
        QVERIFY(canvas.document()->isEmpty());
        QCOMPARE(printed.ok(), f[4] != "0"); // an error, and no endless page loop
        QCOMPARE(printed.message().empty(), printed.ok());
        const QList<QImage> pages = printed ? pdfPages(printer.outputFileName()) : QList<QImage>();
        QCOMPARE(pages.size(), f[4].toInt());
        for (const QImage& page : pages)
            QVERIFY(inMargins(page, &page == &pages.last() ? size(f[5]) : QSizeF()));
    }

    void noPrinterInstalled()
    {
        const QString socket = qEnvironmentVariable("CUPS_SERVER");
        if (socket.isEmpty() || QFileInfo::exists(socket))
            QSKIP("needs CUPS_SERVER naming a server that does not exist");
        PieWindow pie;
        QStringList shown;
        pie.platform.onModal = [&](QDialog& d) {
            shown << QString::number(ctl<QComboBox>(d, "cboprinterlist")->count()) << seen(d);
            auto* dialog = qobject_cast<frmselectprinter*>(&d);
            QVERIFY(dialog && !dialog->SelectPrinter(QStringLiteral("Office_Laser")));
            press(QString(), false, QStringLiteral("2"))(d);
        };
        pie.menu.mnuprint_Click();
        QCOMPARE(shown, (QStringList{"0", "print", "Combo1", "Selected Printer:"}));
        QCOMPARE(pie.platform.messages.size(), 1);
        // It points to the list that offers the printers, not to the switched-off command.
        const QString message = pie.platform.messages.first();
        QVERIFY(message.startsWith("No printer is installed") &&
                message.contains("\"Print options...\" in the File menu") &&
                !message.contains("Select Printer"));
        pie.checkRestored();
    }

    void selectPrinter_data() { caseRows("tst_print-select"); }

    // Select mode lists both queues, hides the print part and shows the
    // current printer; the name typed into the list is compared exactly, as
    // typed. Loaded afresh, the dialog shows the printer chosen last.
    void selectPrinter()
    {
        QFETCH(QByteArrayList, f);
        if (!serverRunning())
            QSKIP("needs the private print server");
        PieWindow pie;
        pie.global.printCopies = 5;
        QStringList names, shown;
        pie.platform.onModal = [&](QDialog& d) {
            QComboBox* list = ctl<QComboBox>(d, "cboprinterlist");
            for (int i = 0; i < list->count(); ++i)
                names << list->itemText(i);
            shown << seen(d);
            d.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&d));
            list->setFocus();
            list->lineEdit()->selectAll();
            QTest::keyClicks(list->lineEdit(), f[0]);
            QTest::mouseClick(ctl<QPushButton>(d, "Command1"), Qt::LeftButton); // takes the focus
            shown << list->currentText();
        };
        pie.menu.mnuselectprinter_Click();
        pie.platform.onModal = [&](QDialog& d) { shown << seen(d), d.close(); };
        pie.menu.mnuselectprinter_Click();
        names.sort();
        QCOMPARE(names, (QStringList{"Office_Laser", "Plotter_Room_2"}));
        QCOMPARE(shown, (QStringList{"select", "Office_Laser", "Selected Printer: Office_Laser",
                                     f[0], "select", f[1], "Selected Printer: " + f[1]}));
        QCOMPARE(pie.menu.currentPrinter().name(), QString(f[1]));
        QCOMPARE(int(pie.global.printCopies), 1); // Text1 held "1": Select stores it
    }

    void printRun_data() { caseRows("tst_print-jobs"); }

    // One A4 document per copy reaches the chosen queue, named after it. The
    // chart picture (wider than the page) comes after what the canvas held
    // and fills the width between the margins. Select in print mode keeps
    // printer and copies and prints nothing; a stopped queue is named in a
    // message. Afterwards all is back as before; the canvas took 70 % of the
    // 1920 x 1080 screen meanwhile.
    void printRun()
    {
        QFETCH(QByteArrayList, f);
        if (!serverRunning())
            QSKIP("needs the private print server");
        const QString printer = f[0].isEmpty() ? QStringLiteral("Office_Laser") : f[0]; // default
        const int copies = f[2].toInt(), notes = f[3].toInt();
        const bool landscape = f[1] == "landscape", print = f[4] == "print",
                   stopped = f[5] == "stopped";
        QCOMPARE(QProcess::execute(stopped ? "cupsdisable" : "cupsenable", {printer}), 0);
        const auto restart = qScopeGuard([&] { QProcess::execute("cupsenable", {printer}); });
        PieWindow pie;
        ctl<QTextEdit>(pie.w, "RichTextBox1")->setPlainText(QString("A note\n").repeated(notes));
        const QStringList before = jobs();
        pie.platform.onModal = press(f[0], landscape, QString::number(copies), print);
        pie.menu.mnuprint_Click();
        QCOMPARE(pie.menu.currentPrinter().name(), printer);
        QCOMPARE(pie.platform.messages.size(), int(stopped));
        QVERIFY(!stopped || (pie.platform.messages.first().contains('"' + printer + '"') &&
                             !pie.platform.messages.first().contains("Select Printer")));
        // Waits for the jobs (for none: whether any comes within 3 s), then a
        // little longer so that extra jobs show too.
        const int expected = print && !stopped ? copies : 0;
        for (int tries = expected ? 300 : 30;
             tries > 0 && jobs(before).size() < std::max(expected, 1); --tries)
            QThread::msleep(100);
        QThread::msleep(1500);
        const QStringList arrived = jobs(before);
        QCOMPARE(arrived.size(), expected);
        const QSize paper = landscape ? QSize(842, 595) : QSize(595, 842);
        for (const QString& job : arrived) {
            QVERIFY2(job.endsWith("-" + printer + ".prn"), qPrintable(job));
            const QList<QImage> pages = pdfPages(job);
            QCOMPARE(pages.size(), notes ? 2 : 1);
            QCOMPARE(pages.last().size(), paper);
            QVERIFY(inMargins(pages.first()) && inMargins(pages.last(), QSizeF(0, 0)));
            QVERIFY(px::inkBox(pages.last()).right() >= paper.width() - 21);
        }
        if (!print) { // copies kept, orientation not, dialog unloaded
            QCOMPARE(QList<int>({pie.global.printCopies, pie.global.printRequested,
                                 pie.global.printLandscape, pie.menu.printerDialogLoaded()}),
                     QList<int>({copies, 0, 0, 0}));
            return;
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
