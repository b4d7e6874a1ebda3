// SPDX-License-Identifier: GPL-3.0-or-later
// Saving a picture: encoded in memory in the format a code names, then
// written atomically (atomicwrite.h), so that on any failure the target keeps
// its old content (or stays absent). The viewer's saves, the renderer's -o
// and every chart of a batch go through saveImage.
#pragma once

#include "imageformat.h"
#include "picture.h"
#include "result.h"

#include <QByteArray>
#include <QImage>

#include <string>

namespace imageio
{

// Failure codes of the functions below.
enum SaveFailure : int {
    kEncodeFailed = 1, // the message says why (no memory, an encoder's error)
    kWriteFailed = 2,  // the message is the system's text for the error
};

// Encodes the picture into bytes (any format code: vector formats draw
// through the paint function, pixel formats through rasterize()).
vp::Result encode(const Picture& picture, int format, QByteArray* bytes);

// Encodes the picture, then replaces path (bytes, as the file system takes
// them) with it. The caller names the file in its message.
vp::Result saveImage(const Picture& picture, int format, const std::string& path);

// A picture already drawn, encoded in a pixel format (BMP, PNG, JPG, TIF,
// GIF). A transparent image is put on white first.
vp::Result encodeImage(const QImage& image, int format, QByteArray* bytes);

} // namespace imageio
