#include "optionshelpers.h"

#include "chartcomponent.h"
#include "linesplit.h"
#include "qtext.h"

#include <QApplication>
#include <QFont>

namespace options {

bool chooseColour(Platform& platform, ColorDialogState& dialog, vp::Colour& chosen)
{
    // The dialog opens on whatever colour it showed last: nothing is preset.
    const DialogOutcome outcome = platform.ShowColor(dialog);
    if (outcome.error == kDialogCancelled)
        return false;
    if (outcome.error != kDialogOk) {
        platform.MsgBox(QStringLiteral("Error ") + QString::number(outcome.error)
                        + QStringLiteral(" selecting color.") + QStringLiteral("\r\n")
                        + outcome.description);
        return false;
    }
    const QColor c = dialog.Color;
    chosen = vp::rgb(c.red(), c.green(), c.blue());
    return true;
}

bool leadingNumber(const QString& text, int low, int high, int& number)
{
    std::int16_t whole = 0;
    if (!vp::roundToInt16(vp::numericValue(fromQ(text)), whole))
        return false;
    if (whole < low || whole > high)
        return false;
    number = whole;
    return true;
}

void ensureFontChoice(vp::FontChoice& choice)
{
    if (choice.created)
        return;
    const QFont font = QApplication::font();
    choice.created = true;
    choice.name = fromQ(font.family());
    choice.size = font.pointSizeF();
    choice.bold = font.bold();
    choice.italic = font.italic();
    choice.underline = font.underline();
    choice.strikethrough = font.strikeOut();
}

void copyFontToChart(vp::FontChoice& choice, ChartFont& target)
{
    ensureFontChoice(choice);
    target.setName(toQ(choice.name));
    target.setSize(choice.size);
}

} // namespace options
