// SPDX-License-Identifier: GPL-3.0-or-later
// Printing the print canvas: the rich-text box into which the chart picture
// is pasted is printed on a printer inside margins measured in twips from
// the paper's edges, continued page by page until all of it is printed.
#pragma once

#include "result.h"

class QPrinter;
class QTextEdit;

// The printer's page geometry in twips. The printable area is the part of
// the paper the device can reach; its offsets are its distance from the
// paper's left and top edges.
struct PrintGeometry {
    int offsetX = 0;
    int offsetY = 0;
    int paperWidth = 0;
    int paperHeight = 0;
    int printableWidth = 0;
    int printableHeight = 0;
};

// A rectangle by its four edges, in twips.
struct TwipsRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

PrintGeometry printGeometry(const QPrinter& printer);

// The rectangle the canvas is printed into, relative to the printable area's
// corner: the margins count from the paper's edges, so the printable-area
// offsets are subtracted.
TwipsRect printTargetRect(const PrintGeometry& geometry, int leftMargin, int topMargin,
                          int rightMargin, int bottomMargin);

// Prints the canvas as one print document on the printer (orientation and
// copy count as the printer has them), then empties the canvas. Pictures
// print at their screen size, shrunk to fit the target rectangle when they
// are larger. A failure says what went wrong.
vp::Result PrintRichText(QTextEdit& canvas, QPrinter& printer, int leftMargin, int topMargin,
                         int rightMargin, int bottomMargin);
