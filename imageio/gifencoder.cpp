// SPDX-License-Identifier: GPL-3.0-or-later
#include "gifencoder.h"

#include "quantize.h"

#include <QIODevice>
#include <QString>

#include <gif_lib.h>

#include <vector>

namespace imageio
{
namespace
{

vp::Result gifFailure(int code)
{
    const char* text = GifErrorString(code);
    return vp::Result::failure(
        QStringLiteral("GIF encoder: %1")
            .arg(text ? QString::fromLatin1(text) : QStringLiteral("error %1").arg(code))
            .toStdString());
}

int writeToDevice(GifFileType* gif, const GifByteType* data, int length)
{
    auto* device = static_cast<QIODevice*>(gif->UserData);
    const qint64 written = device->write(reinterpret_cast<const char*>(data), length);
    return written < 0 ? 0 : static_cast<int>(written);
}

// giflib only takes colour maps whose size is a power of two: the palette
// padded with black. bits gets the power.
std::vector<GifColorType> colourMap(const QVector<QRgb>& palette, int* bits)
{
    int mapSize = 2;
    *bits = 1;
    while (mapSize < palette.size()) {
        mapSize *= 2;
        ++*bits;
    }
    std::vector<GifColorType> colours(std::size_t(mapSize), GifColorType{0, 0, 0});
    for (int i = 0; i < palette.size(); ++i) {
        const QRgb c = palette.at(i);
        colours[std::size_t(i)] =
            GifColorType{static_cast<GifByteType>(qRed(c)), static_cast<GifByteType>(qGreen(c)),
                         static_cast<GifByteType>(qBlue(c))};
    }
    return colours;
}

// The screen and image descriptions and every line; false when a step failed
// (giflib's error code is then in gif->Error).
bool putPicture(GifFileType* gif, IndexedPicture& picture, int bits, ColorMapObject* map)
{
    bool ok = EGifPutScreenDesc(gif, picture.width, picture.height, bits, 0, map) == GIF_OK &&
              EGifPutImageDesc(gif, 0, 0, picture.width, picture.height, false, nullptr) == GIF_OK;
    for (int y = 0; ok && y < picture.height; ++y) {
        GifPixelType* line = picture.indices.data() + static_cast<std::size_t>(y) * picture.width;
        ok = EGifPutLine(gif, line, picture.width) == GIF_OK;
    }
    return ok;
}

} // namespace

vp::Result writeGif(const QImage& image, QIODevice* device)
{
    if (image.isNull())
        return vp::Result::failure("GIF encoder: empty picture");
    IndexedPicture picture = toIndexed(image);
    int bits = 0;
    std::vector<GifColorType> colours = colourMap(picture.palette, &bits);
    ColorMapObject* map = GifMakeMapObject(int(colours.size()), colours.data());
    if (!map)
        return vp::Result::failure(
            QStringLiteral("GIF encoder: cannot make a colour map of %1 entries")
                .arg(colours.size())
                .toStdString());
    int code = 0;
    GifFileType* gif = EGifOpen(device, writeToDevice, &code);
    if (!gif) {
        GifFreeMapObject(map);
        return gifFailure(code);
    }
    bool ok = putPicture(gif, picture, bits, map);
    if (!ok)
        code = gif->Error;
    int closeCode = 0;
    // EGifCloseFile frees the handle even when it fails.
    if (EGifCloseFile(gif, &closeCode) != GIF_OK && ok) {
        ok = false;
        code = closeCode;
    }
    GifFreeMapObject(map);
    return ok ? vp::Result() : gifFailure(code);
}

} // namespace imageio
