// SPDX-License-Identifier: GPL-3.0-or-later
// The menu commands: saving the chart image, printing and the printer
// dialog, copying, switching the chart kind, and the three commands that end
// the program. The object owns the printer dialog and the current printer.
#pragma once

#include "chartcontext.h"
#include "frmselectprinter.h"
#include "result.h"

#include <QObject>
#include <QPointer>

class ChartComponent;
class QPrinter;
class QTextEdit;
class QWidget;

class MenuCommands : public QObject
{
    Q_OBJECT
  public:
    // canvas: the print canvas; window: the main window, parent of the
    // printer dialog and closed by "Data View".
    MenuCommands(const ChartContext& context, QTextEdit& canvas, QWidget& window);
    ~MenuCommands() override;

    void mnusave_Click();
    void mnusavebmp_Click();
    void mnusavetif_Click();
    void mnusavegif_Click();
    void mnusavePNG_Click();
    // The same chart as vectors, text kept as text.
    void mnusavesvg_Click();
    void mnusavepdf_Click();
    void mnuselectprinter_Click();
    void mnuprint_Click();
    void mnuexit_Click();
    void mnucopy_Click();
    void mnuswitch_Click();
    void mnudataview_Click();
    void mnureturn_Click();

    // The printer dialog, loaded on first use; closing destroys it. The
    // main window owns it as its parent.
    frmselectprinter& printerDialog();
    bool printerDialogLoaded() const { return printerDialog_ != nullptr; }
    void closePrinterDialog();
    CurrentPrinter& currentPrinter() { return currentPrinter_; }

  private:
    vp::Result printOneChart(ChartComponent& component, QPrinter& printer);

    const ChartContext& ctx_;
    QTextEdit& canvas_;
    QWidget& window_;
    CurrentPrinter currentPrinter_;
    QPointer<frmselectprinter> printerDialog_;
};
