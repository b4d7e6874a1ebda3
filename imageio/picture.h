// SPDX-License-Identifier: GPL-3.0-or-later
// What the encoders need of a picture, without knowing what it shows: its
// size, how many device pixels per logical pixel, a title, and a function
// that draws it onto any paint device (a raster image, an SVG or PDF
// generator) in the device's logical pixels, and optionally one that does
// the work before the drawing (a chart's layout).
#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include <functional>

class QPaintDevice;

namespace imageio
{

struct Picture {
    QSize size;    // logical pixels
    int scale = 1; // device pixels per logical pixel on a side, 1 to 4; pixel formats only
    QString title; // the SVG's and the PDF's title
    // Optional: makes the picture ready to draw at its size, so that paint
    // then only draws. The PDF encoder calls it first (see encodePdf).
    std::function<void()> prepare;
    std::function<void(QPaintDevice*)> paint;
};

// A text as every format can carry it: the characters XML 1.0 forbids (C0
// controls other than tab, line feed and carriage return, the noncharacters
// U+FFFE and U+FFFF, unpaired surrogates) become U+FFFD, so that an SVG
// stays well-formed and the other formats show the same text.
QString pictureText(const QString& text);

// The picture drawn on size x scale device pixels (the stated density
// multiplied alike, so that it prints at the same size). A null image when
// there is not enough memory for it.
QImage rasterize(const Picture& picture);

} // namespace imageio
