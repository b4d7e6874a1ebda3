// SPDX-License-Identifier: GPL-3.0-or-later
// Reducing a true-colour picture to at most 256 colours for GIF.
#pragma once

#include <QImage>
#include <QVector>

#include <cstdint>
#include <vector>

namespace imageio
{

// A picture reduced to at most 256 colours.
struct IndexedPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> indices; // row-major, width * height
    QVector<QRgb> palette;             // 1..256 entries
};

// Exact palette when the picture has at most 256 colours; otherwise a
// quantized one whose entries are the mean of the pixels mapped to them.
IndexedPicture toIndexed(const QImage& image);

// Median cut over a histogram of 6 bits per channel (see quantize.cpp);
// false for a picture without pixels.
bool quantize(const QImage& rgb, IndexedPicture* out);

} // namespace imageio
