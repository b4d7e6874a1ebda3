// SPDX-License-Identifier: GPL-3.0-or-later
// The Edit menu's copy and switch commands and the three commands that end
// the program ("Data View", "Return", "Exit").
#include "menucommands.h"

#include "axischart.h"
#include "chartcomponent.h"
#include "piechart.h"

#include <QWidget>

MenuCommands::MenuCommands(const ChartContext& context, QTextEdit& canvas, QWidget& window)
    : ctx_(context), canvas_(canvas), window_(window)
{
}

MenuCommands::~MenuCommands() = default;

frmselectprinter& MenuCommands::printerDialog()
{
    // Loaded on first use: the printer list is not read at start-up.
    if (!printerDialog_)
        printerDialog_ =
            new frmselectprinter(ctx_.platform, ctx_.global, currentPrinter_, &window_);
    return *printerDialog_;
}

void MenuCommands::closePrinterDialog()
{
    delete printerDialog_;
}

void MenuCommands::mnucopy_Click()
{
    // Exactly one component copies; the clipboard is not cleared first, so
    // it holds whatever that component put there.
    if (!ctx_.currentChart().CopyToClipboard())
        ctx_.platform.MsgBox(QStringLiteral("The chart could not be copied to the clipboard."));
}

void MenuCommands::mnudataview_Click()
{
    window_.close();
    // Every file is closed where it was read, so none is open here.
    ctx_.platform.EndProgram(0);
}

void MenuCommands::mnureturn_Click()
{
    ctx_.platform.EndProgram(0);
}

void MenuCommands::mnuexit_Click()
{
    ctx_.platform.EndProgram(0);
}

void MenuCommands::mnuswitch_Click()
{
    // Only the kind changes. Nothing is rebuilt or shown: the window keeps
    // the chart it has, while saving, copying, printing and applying the
    // options now take the other component, which holds no chart built from
    // the definition. Every other kind stays as it is.
    vp::ChartKind& kind = ctx_.state.chartKind;
    if (kind == vp::ChartKind::SimpleBar)
        kind = vp::ChartKind::SimplePie;
    else if (kind == vp::ChartKind::SimplePie)
        kind = vp::ChartKind::SimpleBar;
}
