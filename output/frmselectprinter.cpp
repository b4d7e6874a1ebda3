// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmselectprinter.h"

#include "linesplit.h"
#include "ui_frmselectprinter.h"

#include <QCoreApplication>
#include <QPrinterInfo>
#include <QShowEvent>
#include <cmath>

namespace vp
{

bool copiesFromText(const QString& text, std::int16_t& copies)
{
    const std::string bytes = text.toStdString();
    return roundToInt16(numericValue(bytes), copies);
}

} // namespace vp

namespace
{

QStringList installedPrinterNames(const QList<QPrinterInfo>& printers)
{
    QStringList names;
    names.reserve(printers.size());
    for (const QPrinterInfo& info : printers)
        names << info.printerName();
    return names;
}

} // namespace

// --- CurrentPrinter ---

void CurrentPrinter::ensureStarted()
{
    if (started_)
        return;
    started_ = true;
    // An empty default name (no printer installed, or none chosen as the
    // default) leaves the program without a current printer until the user
    // selects one.
    const QPrinterInfo fallback = QPrinterInfo::defaultPrinter();
    if (!fallback.isNull() && !fallback.printerName().isEmpty())
        makeCurrent(fallback);
}

QString CurrentPrinter::name()
{
    ensureStarted();
    return name_;
}

QPrinter* CurrentPrinter::printer()
{
    ensureStarted();
    return printer_.get();
}

bool CurrentPrinter::makeCurrent(const QPrinterInfo& info)
{
    started_ = true;
    if (info.isNull())
        return false;
    auto printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    // An unknown or broken device leaves the printer unset without a word:
    // accept it only when the name stuck.
    if (!printer->isValid() || printer->printerName() != info.printerName())
        return false;
    // One copy per print document: the program prints each copy as its own
    // document, so a copy count here would multiply them.
    printer->setCopyCount(1);
    // The painter's origin is the paper's corner; printing places the
    // margins itself.
    printer->setFullPage(true);
    if (printer_)
        printer->setPageOrientation(printer_->pageLayout().orientation());
    printer_ = std::move(printer);
    name_ = info.printerName();
    return true;
}

void CurrentPrinter::reset()
{
    printer_.reset();
    name_.clear();
    started_ = false;
}

// --- frmselectprinter ---

frmselectprinter::frmselectprinter(Platform& platform, vp::VplotGlobal& global,
                                   CurrentPrinter& current, QWidget* parent)
    : QDialog(parent), ui(new Ui::frmselectprinter), platform_(platform), global_(global),
      current_(current)
{
    ui->setupUi(this);
    // The text typed is the name compared: no completion and no case
    // fixing, which would reach a printer of another name.
    ui->cboprinterlist->setCompleter(nullptr);
    ui->cboprinterlist->setInsertPolicy(QComboBox::NoInsert);
    connect(ui->Command1, &QPushButton::clicked, this, &frmselectprinter::Command1_Click);
    connect(ui->Command2, &QPushButton::clicked, this, &frmselectprinter::Command2_Click);
    connect(ui->Command3, &QPushButton::clicked, this, &frmselectprinter::Command3_Click);
    Form_Load();
}

frmselectprinter::~frmselectprinter() = default;

QPrinter* frmselectprinter::currentPrinter()
{
    return current_.printer();
}

void frmselectprinter::Form_Load()
{
    const double tx = platform_.TwipsPerPixelX();
    const double ty = platform_.TwipsPerPixelY();
    const long left = centringOffset(platform_.ScreenWidthTwips(), width() * tx);
    const long top = centringOffset(platform_.ScreenHeightTwips(), height() * ty);
    move(qRound(left / tx), qRound(top / ty));

    const bool printMode = global_.printCopies == -1;
    ui->Label3->setVisible(printMode);
    ui->Text1->setVisible(printMode);
    ui->Frame1->setVisible(printMode);
    ui->Command2->setVisible(printMode);

    const QStringList names = installedPrinterNames(QPrinterInfo::availablePrinters());
    const QString current = current_.name();
    // The list's own text stays "Combo1" unless the current printer is
    // listed; adding items would otherwise show the first one.
    const QString editText = ui->cboprinterlist->currentText();
    ui->cboprinterlist->addItems(names);
    // A name listed twice shows its last entry; names compare exactly.
    const int position = current.isEmpty() ? -1 : names.lastIndexOf(current);
    if (position >= 0) {
        ui->cboprinterlist->setCurrentIndex(position);
        ui->Label2->setText(QStringLiteral("Selected Printer: ") + current);
    } else {
        ui->cboprinterlist->setCurrentIndex(-1);
        ui->cboprinterlist->setEditText(editText);
    }
}

bool frmselectprinter::SelectPrinter(QString printer_name)
{
    const QList<QPrinterInfo> printers = QPrinterInfo::availablePrinters();
    const int position = installedPrinterNames(printers).indexOf(printer_name);
    if (position < 0)
        return false;
    return current_.makeCurrent(printers.at(position));
}

bool frmselectprinter::readCopies(std::int16_t& copies)
{
    if (vp::copiesFromText(ui->Text1->text(), copies))
        return true;
    platform_.MsgBox(
        QStringLiteral(
            "The number of copies \"%1\" is out of range. Enter a whole number from 0 to 32767.")
            .arg(ui->Text1->text()));
    return false;
}

void frmselectprinter::requestClose()
{
    closeRequested_ = true;
    hide();
}

void frmselectprinter::Command1_Click()
{
    std::int16_t copies = 0;
    // An out-of-range number keeps the dialog open with nothing changed.
    if (!readCopies(copies))
        return;
    SelectPrinter(ui->cboprinterlist->currentText());
    global_.printCopies = copies;
    requestClose();
}

void frmselectprinter::Command2_Click()
{
    std::int16_t copies = 0;
    // An out-of-range number keeps the dialog open and prints nothing.
    if (!readCopies(copies))
        return;
    SelectPrinter(ui->cboprinterlist->currentText());
    const bool landscape = ui->Option2->isChecked();
    if (QPrinter* printer = currentPrinter())
        printer->setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    global_.printLandscape = landscape ? 1 : 0;
    global_.printCopies = copies;
    global_.printRequested = 1;
    hide();
}

void frmselectprinter::Command3_Click()
{
    requestClose();
}

void frmselectprinter::reject()
{
    Command3_Click();
}

void frmselectprinter::showEvent(QShowEvent* event)
{
    closeRequested_ = false;
    QDialog::showEvent(event);
}
