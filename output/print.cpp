// SPDX-License-Identifier: GPL-3.0-or-later
// The two print commands and the printing of the print
// canvas. The chart is printed through the canvas: the component copies its
// picture to the clipboard, the picture is pasted at the end of the canvas,
// and the canvas is printed inside quarter-inch margins, one print document
// per copy.
#include "printrichtext.h"

#include "axischart.h"
#include "menucommands.h"
#include "piechart.h"
#include "qtext.h"

#include <QAbstractTextDocumentLayout>
#include <QClipboard>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextImageFormat>
#include <QUrl>
#include <QVariant>
#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace
{

constexpr int kTwipsPerInch = 1440;
// Margins from each edge of the paper: a quarter inch.
constexpr int kPrintMargin = 360;
// While a copy prints, the canvas shows the chart at this share of the
// screen's width and height.
constexpr double kCanvasScreenShare = 0.7;

double twipsToPixels(double twips, int resolution)
{
    return twips * resolution / kTwipsPerInch;
}

QString printerLabel(const QPrinter& printer)
{
    const QString name = printer.printerName();
    return name.isEmpty() ? QStringLiteral("The printer")
                          : QStringLiteral("The printer \"%1\"").arg(name);
}

void clearClipboard()
{
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->clear();
}

// Gives every picture of the document an explicit size in layout units: its
// own size, or, when it is larger than the page, the largest size with the
// same proportions that fits.
void fitPictures(QTextDocument& document, const QSizeF& page)
{
    struct Picture {
        int position;
        int length;
        QTextImageFormat format;
    };
    std::vector<Picture> pictures;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.isValid() && fragment.charFormat().isImageFormat())
                pictures.push_back({fragment.position(), fragment.length(),
                                    fragment.charFormat().toImageFormat()});
        }
    }
    for (Picture& picture : pictures) {
        QTextImageFormat& format = picture.format;
        const QImage image =
            document.resource(QTextDocument::ImageResource, QUrl(format.name())).value<QImage>();
        QSizeF size(format.hasProperty(QTextFormat::ImageWidth) ? format.width() : image.width(),
                    format.hasProperty(QTextFormat::ImageHeight) ? format.height()
                                                                 : image.height());
        if (size.isEmpty())
            continue;
        // The picture's line also holds the font's descent below it: leave
        // room for that, or a page-high picture would not fit its page.
        const double descent = std::max(QFontMetricsF(format.font()).descent(),
                                        QFontMetricsF(document.defaultFont()).descent());
        const QSizeF room(page.width(), std::max(1.0, page.height() - std::ceil(descent) - 1));
        if (size.width() > room.width() || size.height() > room.height())
            size = size.scaled(room, Qt::KeepAspectRatio);
        format.setWidth(size.width());
        format.setHeight(size.height());
        QTextCursor cursor(&document);
        cursor.setPosition(picture.position);
        cursor.setPosition(picture.position + picture.length, QTextCursor::KeepAnchor);
        cursor.setCharFormat(format);
    }
}

} // namespace

PrintGeometry printGeometry(const QPrinter& printer)
{
    // Millimetres keep the page and margin sizes exact; device pixels and
    // points would round them.
    QPageLayout layout = printer.pageLayout();
    layout.setUnits(QPageLayout::Millimeter);
    const QRectF paper = layout.fullRect();
    // The printable area is the paper less the device's own minimum
    // margins, whatever page mode and margins the printer is set to.
    const QMarginsF edges = layout.minimumMargins();
    auto twips = [](double mm) { return static_cast<int>(std::lround(mm * kTwipsPerInch / 25.4)); };

    PrintGeometry geometry;
    geometry.offsetX = twips(edges.left());
    geometry.offsetY = twips(edges.top());
    geometry.paperWidth = twips(paper.width());
    geometry.paperHeight = twips(paper.height());
    geometry.printableWidth = twips(paper.width() - edges.left() - edges.right());
    geometry.printableHeight = twips(paper.height() - edges.top() - edges.bottom());
    return geometry;
}

TwipsRect printTargetRect(const PrintGeometry& geometry, int leftMargin, int topMargin,
                          int rightMargin, int bottomMargin)
{
    TwipsRect target;
    target.left = leftMargin - geometry.offsetX;
    target.top = topMargin - geometry.offsetY;
    target.right = (geometry.paperWidth - rightMargin) - geometry.offsetX;
    target.bottom = (geometry.paperHeight - bottomMargin) - geometry.offsetY;
    return target;
}

namespace
{

// Where the canvas goes on the paper, in device pixels of the printer: the
// canvas is laid out in its own screen pixels, so that pictures and text keep
// their screen size on paper, and the painter scales to the printer's
// resolution.
struct PageFrame {
    QSizeF page;    // one page of the canvas, in canvas pixels
    QPointF origin; // the printable area's corner, from the paper's corner
    QPointF target; // the target rectangle's corner, from the printable area's
    QRectF clip;    // the target clipped to the printable area, likewise
    double scaleX = 1.0;
    double scaleY = 1.0;
    bool fits() const { return !(page.width() < 1 || page.height() < 1) && !clip.isEmpty(); }
};

PageFrame pageFrame(const QTextEdit& canvas, const QPrinter& printer, int leftMargin, int topMargin,
                    int rightMargin, int bottomMargin)
{
    const int resolution = printer.resolution();
    const PrintGeometry geometry = printGeometry(printer);
    const TwipsRect target =
        printTargetRect(geometry, leftMargin, topMargin, rightMargin, bottomMargin);
    // What can be drawn: the target clipped to the printable area.
    const double clipLeft = std::max(target.left, 0);
    const double clipTop = std::max(target.top, 0);
    const double clipRight = std::min(target.right, geometry.printableWidth);
    const double clipBottom = std::min(target.bottom, geometry.printableHeight);
    const double canvasTwipsX = double(kTwipsPerInch) / canvas.logicalDpiX();
    const double canvasTwipsY = double(kTwipsPerInch) / canvas.logicalDpiY();

    PageFrame frame;
    frame.page = QSizeF((target.right - target.left) / canvasTwipsX,
                        (target.bottom - target.top) / canvasTwipsY);
    frame.origin = QPointF(twipsToPixels(geometry.offsetX, resolution),
                           twipsToPixels(geometry.offsetY, resolution));
    frame.target =
        QPointF(twipsToPixels(target.left, resolution), twipsToPixels(target.top, resolution));
    if (clipRight > clipLeft && clipBottom > clipTop)
        frame.clip = QRectF(twipsToPixels(clipLeft, resolution), twipsToPixels(clipTop, resolution),
                            twipsToPixels(clipRight - clipLeft, resolution),
                            twipsToPixels(clipBottom - clipTop, resolution));
    frame.scaleX = canvasTwipsX * resolution / kTwipsPerInch;
    frame.scaleY = canvasTwipsY * resolution / kTwipsPerInch;
    return frame;
}

vp::Result printFailure(const QString& message)
{
    return vp::Result::failure(fromQ(message));
}

// A queue that is stopped would take the job without a word and never
// print it: say so instead.
vp::Result printerAcceptsJobs(const QPrinter& printer)
{
    if (printer.outputFormat() != QPrinter::NativeFormat)
        return {};
    const QPrinterInfo device = QPrinterInfo::printerInfo(printer.printerName());
    if (device.isNull())
        return printFailure(
            QStringLiteral("%1 is no longer installed.").arg(printerLabel(printer)));
    if (device.state() == QPrinter::Error || device.state() == QPrinter::Aborted)
        return printFailure(
            QStringLiteral("%1 is stopped and does not accept print jobs. Start it again, or "
                           "choose another printer in the printer list of \"Print options...\" "
                           "in the File menu.")
                .arg(printerLabel(printer)));
    return {};
}

// Draws page `index` of the laid-out document.
void paintPage(QPainter& painter, QTextDocument& document, const PageFrame& frame, int index)
{
    painter.save();
    painter.setClipRect(frame.clip);
    painter.translate(frame.target);
    painter.scale(frame.scaleX, frame.scaleY);
    const QRectF view(0, index * frame.page.height(), frame.page.width(), frame.page.height());
    painter.translate(0, -view.top());
    QAbstractTextDocumentLayout::PaintContext context;
    // The layout skips lines outside this clip; trimming half a unit at each
    // end keeps the first line of the next page, which starts exactly at
    // this page's bottom, off this page.
    context.clip = view.adjusted(0, 0.5, 0, -0.5);
    context.palette.setColor(QPalette::Text, Qt::black);
    document.documentLayout()->draw(&painter, context);
    painter.restore();
}

// One print document of every page. The layout breaks the content into
// pages of the target's height; a line taller than a page gets a page of
// its own, so the count is finite.
vp::Result printPages(QTextDocument& document, QPrinter& printer, const PageFrame& frame)
{
    const int pages = document.pageCount();
    QPainter painter;
    if (!painter.begin(&printer))
        return printFailure(
            QStringLiteral("%1 did not accept the print job.").arg(printerLabel(printer)));
    // Device coordinates relative to the printable area's corner.
    painter.translate(frame.origin);
    QString error;
    for (int index = 0; index < pages; ++index) {
        if (index > 0 && !printer.newPage()) {
            error = QStringLiteral("%1 did not accept page %2.")
                        .arg(printerLabel(printer))
                        .arg(index + 1);
            break;
        }
        paintPage(painter, document, frame, index);
    }
    if (!painter.end() && error.isEmpty())
        error = QStringLiteral("%1 did not accept the print job.").arg(printerLabel(printer));
    if (error.isEmpty() && printer.printerState() == QPrinter::Error)
        error = QStringLiteral("%1 reported an error while printing.").arg(printerLabel(printer));
    return error.isEmpty() ? vp::Result() : printFailure(error);
}

} // namespace

vp::Result PrintRichText(QTextEdit& canvas, QPrinter& printer, int leftMargin, int topMargin,
                         int rightMargin, int bottomMargin)
{
    // The canvas is empty after every run, printed or not.
    struct EmptyCanvas {
        QTextEdit& canvas;
        ~EmptyCanvas() { canvas.clear(); }
    } emptyCanvas{canvas};

    // The painter's origin is then the paper's corner, whatever margins the
    // printer carries.
    printer.setFullPage(true);
    const PageFrame frame =
        pageFrame(canvas, printer, leftMargin, topMargin, rightMargin, bottomMargin);
    if (!frame.fits())
        return printFailure(QStringLiteral("%1 has no room for the page inside its margins.")
                                .arg(printerLabel(printer)));
    if (vp::Result ready = printerAcceptsJobs(printer); !ready)
        return ready;

    std::unique_ptr<QTextDocument> document(canvas.document()->clone());
    document->setDocumentMargin(0);
    fitPictures(*document, frame.page);
    document->setPageSize(frame.page);
    return printPages(*document, printer, frame);
}

// Copies the component's picture, pastes it at the end of the canvas and
// prints the canvas in place of the chart.
vp::Result MenuCommands::printOneChart(ChartComponent& component, QPrinter& printer)
{
    QTextEdit& canvas = canvas_;
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!component.CopyToClipboard() || !clipboard || clipboard->image().isNull())
        return printFailure(QStringLiteral("The chart picture could not be copied for printing."));
    const QImage picture = clipboard->image();

    component.hide();
    QTextCursor cursor(canvas.document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertImage(picture);
    canvas.show();
    Platform& platform = ctx_.platform;
    canvas.resize(
        qRound(kCanvasScreenShare * platform.ScreenWidthTwips() / platform.TwipsPerPixelX()),
        qRound(kCanvasScreenShare * platform.ScreenHeightTwips() / platform.TwipsPerPixelY()));

    const vp::Result printed =
        PrintRichText(canvas, printer, kPrintMargin, kPrintMargin, kPrintMargin, kPrintMargin);
    canvas.hide();
    component.show();
    return printed;
}

void MenuCommands::mnuselectprinter_Click()
{
    ctx_.platform.ShowModal(printerDialog());
    // "Select Printer" closes the dialog after every use, so the next
    // opening loads it afresh.
    closePrinterDialog();
}

void MenuCommands::mnuprint_Click()
{
    vp::VplotGlobal& global = ctx_.global;
    global.printCopies = -1;
    global.printRequested = 0;
    frmselectprinter& dialog = printerDialog();
    ctx_.platform.ShowModal(dialog);
    // Select and Cancel close the dialog; Print leaves it loaded.
    if (dialog.closeRequested())
        closePrinterDialog();
    if (global.printRequested == 0)
        return;

    const int copies = global.printCopies;
    // Only the three drawn kinds print.
    const bool drawn = vp::isDrawnKind(ctx_.state.chartKind);
    QPrinter* printer = currentPrinter_.printer();

    vp::Result printed;
    if (copies >= 1 && drawn && !printer) {
        printed = printFailure(
            QPrinterInfo::availablePrinters().isEmpty()
                ? QStringLiteral("No printer is installed. Install a printer, then choose it in "
                                 "the printer list of \"Print options...\" in the File menu, "
                                 "and print again.")
                : QStringLiteral("No printer is selected. Choose one in the printer list of "
                                 "\"Print options...\" in the File menu, and print again."));
    }
    for (int index = 1; printed && index <= copies; ++index) {
        ctx_.state.printCopyIndex = static_cast<std::int16_t>(index);
        if (printer) {
            const auto orientation =
                global.printLandscape == 1 ? QPageLayout::Landscape : QPageLayout::Portrait;
            if (!printer->setPageOrientation(orientation)) {
                printed = printFailure(
                    QStringLiteral("%1 cannot print in %2.")
                        .arg(printerLabel(*printer),
                             orientation == QPageLayout::Landscape ? "landscape" : "portrait"));
                break;
            }
        }
        clearClipboard();
        if (drawn)
            printed = printOneChart(ctx_.currentChart(), *printer);
    }
    clearClipboard();
    global.printCopies = 1;
    if (!printed)
        ctx_.platform.MsgBox(toQ(printed.message()));
}
