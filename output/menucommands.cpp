// The Edit menu's copy and switch commands and the three commands that end
// the program ("Data View", "Return", "Exit").
#include "frmsimplechart.h"

#include "axischart.h"
#include "piechart.h"

void frmsimplechart::mnucopy_Click()
{
    // Exactly one component copies; the clipboard is not cleared first, so
    // it holds whatever that component put there.
    ChartComponent& chart = state.chartKind == "SIMPLEPIECHART"
                                ? static_cast<ChartComponent&>(PieChart1())
                                : static_cast<ChartComponent&>(barchart1());
    if (!chart.CopyToClipboard())
        platform.MsgBox(QStringLiteral("The chart could not be copied to the clipboard."));
}

void frmsimplechart::mnudataview_Click()
{
    close();
    // Every file is closed where it was read, so none is open here.
    platform.EndProgram(0);
}

void frmsimplechart::mnureturn_Click()
{
    platform.EndProgram(0);
}

void frmsimplechart::mnuexit_Click()
{
    platform.EndProgram(0);
}

void frmsimplechart::mnuswitch_Click()
{
    // Only the kind changes. Nothing is rebuilt or shown: the window keeps
    // the chart it has, while saving, copying, printing and applying the
    // options now take the other component, which holds no chart built from
    // the definition. Every other kind stays as it is.
    if (state.chartKind == "SIMPLEBARCHART")
        state.chartKind = "SIMPLEPIECHART";
    else if (state.chartKind == "SIMPLEPIECHART")
        state.chartKind = "SIMPLEBARCHART";
}
