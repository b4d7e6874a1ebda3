// SPDX-License-Identifier: GPL-3.0-or-later
// GIF (87a, one frame) through giflib, with at most 256 colours: the exact
// palette when the picture has that few, else a quantized one (quantize.h).
#pragma once

#include "result.h"

#include <QImage>

class QIODevice;

namespace imageio
{

vp::Result writeGif(const QImage& image, QIODevice* device);

} // namespace imageio
