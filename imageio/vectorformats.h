// SPDX-License-Identifier: GPL-3.0-or-later
// SVG and PDF through Qt's own SVG generator and PDF writer, text kept as
// text. One unit of the drawing is one pixel of the same chart as a
// picture: the SVG's view box and the PDF's page (without margins) are the
// picture's size at the screen's density.
#pragma once

#include "picture.h"
#include "result.h"

#include <QByteArray>

namespace imageio
{

vp::Result encodeSvg(const Picture& picture, QByteArray* bytes);
vp::Result encodePdf(const Picture& picture, QByteArray* bytes);

} // namespace imageio
