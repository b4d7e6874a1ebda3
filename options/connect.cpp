// Wires the options panel's controls and the "Option Menu" item to their
// handlers. The reference line's "Remove" (Command40) has no action.
#include "frmsimplechart.h"

void frmsimplechart::connectOptionsHandlers()
{
    const struct {
        QPushButton* button;
        void (frmsimplechart::*handler)();
    } buttons[] = {
        // Ok and Cancel of the six tabs.
        {ui.TamCmd1, &frmsimplechart::TamCmd1_Click},
        {ui.Command1, &frmsimplechart::Command1_Click},
        {ui.Command19, &frmsimplechart::Command19_Click},
        {ui.Command27, &frmsimplechart::Command27_Click},
        {ui.Command20, &frmsimplechart::Command20_Click},
        {ui.Command26, &frmsimplechart::Command26_Click},
        {ui.Command18, &frmsimplechart::Command18_Click},
        {ui.Command25, &frmsimplechart::Command25_Click},
        {ui.Command21, &frmsimplechart::Command21_Click},
        {ui.Command24, &frmsimplechart::Command24_Click},
        {ui.Command22, &frmsimplechart::Command22_Click},
        {ui.Command23, &frmsimplechart::Command23_Click},
        // Colours and palettes.
        {ui.CmdColor, &frmsimplechart::CmdColor_Click},
        {ui.Command2, &frmsimplechart::Command2_Click},
        {ui.Command5, &frmsimplechart::Command5_Click},
        {ui.Command6, &frmsimplechart::Command6_Click},
        {ui.Command11, &frmsimplechart::Command11_Click},
        {ui.Command37, &frmsimplechart::Command37_Click},
        {ui.Command39, &frmsimplechart::Command39_Click},
        {ui.Command7, &frmsimplechart::Command7_Click},
        {ui.Command8, &frmsimplechart::Command8_Click},
        {ui.Command9, &frmsimplechart::Command9_Click},
        // Outside slices, background image, reference line.
        {ui.Command3, &frmsimplechart::Command3_Click},
        {ui.Command4, &frmsimplechart::Command4_Click},
        {ui.Command10, &frmsimplechart::Command10_Click},
        {ui.Command41, &frmsimplechart::Command41_Click},
        // Fonts.
        {ui.Command12, &frmsimplechart::Command12_Click},
        {ui.Command13, &frmsimplechart::Command13_Click},
        {ui.Command14, &frmsimplechart::Command14_Click},
        {ui.Command15, &frmsimplechart::Command15_Click},
        {ui.Command16, &frmsimplechart::Command16_Click},
        {ui.Command17, &frmsimplechart::Command17_Click},
        {ui.Command38, &frmsimplechart::Command38_Click},
    };
    for (const auto& entry : buttons) {
        const auto handler = entry.handler;
        connect(entry.button, &QPushButton::clicked, this, [this, handler] { (this->*handler)(); });
    }

    connect(ui.Combo1, &QComboBox::activated, this, [this] { Combo1_Click(); });
    connect(ui.mnuoptions, &QAction::triggered, this, [this] { mnuoptions_Click(); });
}
