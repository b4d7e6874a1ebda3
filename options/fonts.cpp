// SPDX-License-Identifier: GPL-3.0-or-later
// Font options: each button stores the font dialog's choice in one of the
// six font choices and shows its face name. The chart gets name and size at
// the next Ok.
#include "optionspages.h"
#include "optionspanel.h"

#include "linesplit.h"
#include "optionshelpers.h"
#include "qtext.h"

namespace
{

enum class NameSource { Dialog, Choice };

// Runs the font dialog for one font choice. Only a cancel stops it: any
// other dialog failure goes on and copies what the dialog then holds.
// Returns false when cancelled.
bool chooseFont(Platform& platform, FontDialogState& dialog, vp::FontChoice& choice, QLineEdit* box,
                NameSource source)
{
    dialog.Flags = 1; // screen fonts
    const DialogOutcome outcome = platform.ShowFont(dialog);
    if (outcome.error == kDialogCancelled)
        return false;
    choice.created = true;
    choice.name = fromQ(dialog.FontName);
    choice.size = dialog.FontSize;
    choice.bold = dialog.FontBold;
    choice.italic = dialog.FontItalic;
    choice.underline = dialog.FontUnderline;
    choice.strikethrough = dialog.FontStrikethru;
    box->setText(source == NameSource::Choice ? toQ(choice.name) : dialog.FontName);
    return true;
}

} // namespace

void OptionsPanel::Command12_Click()
{
    // A blank face name leaves the box showing the previous title font name;
    // the font choice itself still takes the blank name.
    const QString previous = fonts_->Text5->text();
    if (!chooseFont(platform(), Dlgfont, state().titleFont, fonts_->Text5, NameSource::Choice))
        return;
    if (vp::trimBlanks(fromQ(fonts_->Text5->text())).empty())
        fonts_->Text5->setText(previous);
}

void OptionsPanel::Command13_Click()
{
    chooseFont(platform(), Dlgfont, state().itemAxisFont, fonts_->Text6, NameSource::Dialog);
}

void OptionsPanel::Command14_Click()
{
    chooseFont(platform(), Dlgfont, state().unitAxisFont, fonts_->Text7, NameSource::Dialog);
}

void OptionsPanel::Command15_Click()
{
    chooseFont(platform(), Dlgfont, state().valuesFont, fonts_->Text8, NameSource::Dialog);
}

void OptionsPanel::Command16_Click()
{
    chooseFont(platform(), Dlgfont, state().legendFont, fonts_->Text9, NameSource::Dialog);
}

void OptionsPanel::Command38_Click()
{
    chooseFont(platform(), Dlgfont, state().itemFont, fonts_->Text20, NameSource::Dialog);
}

void OptionsPanel::Command17_Click()
{
    // A title font never chosen is the default font, and is copied as such.
    options::ensureFontChoice(state().titleFont);
    const vp::FontChoice& title = state().titleFont;
    for (vp::FontChoice* target :
         {&state().itemAxisFont, &state().unitAxisFont, &state().valuesFont, &state().legendFont}) {
        target->created = true;
        target->name = title.name;
        target->size = title.size;
        target->bold = title.bold;
        target->italic = title.italic;
        target->underline = title.underline;
        target->strikethrough = title.strikethrough;
    }
    const QString name = toQ(title.name);
    fonts_->Text6->setText(name);
    fonts_->Text7->setText(name);
    fonts_->Text8->setText(name);
    fonts_->Text9->setText(name);
}
