// Connects the File menu, the Edit menu's output commands and the two
// commands on the menu bar itself to their handlers.
#include "frmsimplechart.h"

#include <QAction>

void frmsimplechart::connectOutputHandlers()
{
    const struct {
        QAction* action;
        void (frmsimplechart::*handler)();
    } commands[] = {
        {ui.mnusave, &frmsimplechart::mnusave_Click},
        {ui.mnusavebmp, &frmsimplechart::mnusavebmp_Click},
        {ui.mnusavetif, &frmsimplechart::mnusavetif_Click},
        {ui.mnusavegif, &frmsimplechart::mnusavegif_Click},
        {ui.mnusavePNG, &frmsimplechart::mnusavePNG_Click},
        {ui.mnuselectprinter, &frmsimplechart::mnuselectprinter_Click},
        {ui.mnuprint, &frmsimplechart::mnuprint_Click},
        {ui.mnuexit, &frmsimplechart::mnuexit_Click},
        {ui.mnucopy, &frmsimplechart::mnucopy_Click},
        {ui.mnuswitch, &frmsimplechart::mnuswitch_Click},
        {ui.mnudataview, &frmsimplechart::mnudataview_Click},
        {ui.mnureturn, &frmsimplechart::mnureturn_Click},
    };
    for (const auto& command : commands)
        connect(command.action, &QAction::triggered, this, command.handler);
}
