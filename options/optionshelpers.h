// SPDX-License-Identifier: GPL-3.0-or-later
// Small pieces shared by the options panel handlers: the colour swatches,
// the colour dialog round trip, the leading category number of a combo box text, and the
// lazily made font choices.
#pragma once

#include "chartstate.h"
#include "platform.h"

#include <QString>

class ChartFont;
class QWidget;

// A swatch is a small box whose background shows a colour; the colour is
// kept on the widget so that it can be read back.
void setSwatch(QWidget* swatch, vp::Colour colour);
vp::Colour swatchColour(const QWidget* swatch);

namespace options
{

// The last category number (itemColors) and reference-line number
// (refLineColors and the other reference-line tables).
constexpr int kLastCategory = 256;
constexpr int kLastReferenceLine = 10;

// Shows the colour dialog. True with the chosen colour in `chosen`; false
// when the user cancelled (silently) or the dialog failed (after telling the
// user "Error <n> selecting color." and the reason).
bool chooseColour(Platform& platform, ColorDialogState& dialog, vp::Colour& chosen);

// The leading number of a combo box text, rounded to a whole number the way
// the category entries ("3 - Blue") are read back. A text without a number
// gives 0. False when the number is not in low..high.
bool leadingNumber(const QString& text, int low, int high, int& number);

// A font choice that was never made takes the application's default font.
void ensureFontChoice(vp::FontChoice& choice);

// Copies a font choice's face name, then its size, to a chart font. The
// styles stay with the choice: the chart only ever gets name and size.
void copyFontToChart(vp::FontChoice& choice, ChartFont& target);

} // namespace options
