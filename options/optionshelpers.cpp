// SPDX-License-Identifier: GPL-3.0-or-later
#include "optionshelpers.h"

#include "chartcomponent.h"
#include "linesplit.h"
#include "qtext.h"

#include <QApplication>
#include <QFont>
#include <QPalette>
#include <QVariant>
#include <QWidget>

static QString swatchStyle(vp::Colour colour)
{
    return QStringLiteral("background-color: rgb(%1, %2, %3);")
        .arg(vp::redOf(colour))
        .arg(vp::greenOf(colour))
        .arg(vp::blueOf(colour));
}

void setSwatch(QWidget* swatch, vp::Colour colour)
{
    QPalette palette = swatch->palette();
    palette.setColor(QPalette::Window,
                     QColor(vp::redOf(colour), vp::greenOf(colour), vp::blueOf(colour)));
    swatch->setPalette(palette);
    swatch->setAutoFillBackground(true);
    swatch->setStyleSheet(swatchStyle(colour));
    swatch->setProperty("backColor", colour);
}

vp::Colour swatchColour(const QWidget* swatch)
{
    return swatch->property("backColor").isValid() ? swatch->property("backColor").toInt() : 0;
}

namespace options
{

bool chooseColour(Platform& platform, ColorDialogState& dialog, vp::Colour& chosen)
{
    // Nothing is preset: the dialog does not open on the current colour.
    const DialogOutcome outcome = platform.ShowColor(dialog);
    if (outcome.error == kDialogCancelled)
        return false;
    if (outcome.error != kDialogOk) {
        platform.MsgBox(dialogErrorMessage(outcome, "color"));
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
