// SPDX-License-Identifier: GPL-3.0-or-later
// The data-line splitter and the numeric value of a text.
#pragma once

#include "chartstate.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace vp
{

// Leading number of a text: blanks, tabs and line feeds anywhere are skipped,
// optional sign, digits with one decimal point, E or D exponent; &H and &O
// prefixes read hexadecimal and octal whole numbers; no number gives 0.
double numericValue(std::string_view text);

// True when the text is a whole number and nothing else: decimal digits with
// an optional sign, blanks and tabs around them. "1.5", "2abc" and "&H10"
// are not: a count written that way is a mistake, not a number to round.
bool isWholeNumber(std::string_view text);

// Rounds halves to the even neighbour; false when the result does not fit a
// 16-bit signed integer.
bool roundToInt16(double value, std::int16_t& out);

// Removes blanks (spaces only, not tabs) at both ends / at the end.
std::string trimBlanks(std::string_view text);
std::string trimTrailingBlanks(std::string_view text);

// Splits state.dataLine into state.lineValues and state.lineFields(fieldCount),
// then sets fieldCount to 0.
void getnums(ChartState& state);

} // namespace vp
