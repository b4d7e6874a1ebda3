// SPDX-License-Identifier: GPL-3.0-or-later
// PNG through libpng: 8-bit RGB, the rows filtered "up" straight from the
// picture and deflated in bands, one per thread, joined into one zlib stream.
#pragma once

#include "result.h"

#include <QImage>

class QIODevice;

namespace imageio
{

// Encodes an opaque picture as PNG into device.
vp::Result encodePng(const QImage& picture, QIODevice* device);

// Threads the PNG encoder may use for one picture; 0 (the default) means
// one per processor, at most four. Processes that already keep every
// processor busy set 1.
void setEncoderThreads(int threads);

// The first rows of `bands` horizontal bands of a picture of `height` rows,
// and `height` at the end: band i holds rows [result[i], result[i + 1]).
// Small pictures get fewer bands (one per 128 rows at least).
std::vector<int> bandStarts(int height, int bands);

} // namespace imageio
