#include "imagesave.h"

#include <QHash>
#include <QImageWriter>
#include <QPainter>
#include <QSaveFile>

#include <gif_lib.h>

#include <algorithm>
#include <array>

namespace imagesave {
namespace {

QString gifError(int code)
{
    const char* text = GifErrorString(code);
    return QStringLiteral("GIF encoder: %1")
        .arg(text ? QString::fromLatin1(text) : QStringLiteral("error %1").arg(code));
}

int writeToDevice(GifFileType* gif, const GifByteType* data, int length)
{
    auto* device = static_cast<QIODevice*>(gif->UserData);
    const qint64 written = device->write(reinterpret_cast<const char*>(data), length);
    return written < 0 ? 0 : static_cast<int>(written);
}

// Reduces a true-colour picture to at most 256 colours. giflib's median cut
// works on 5 bits per channel and reports each box's low edge (white comes
// out as 248, 248, 248), so every entry is then replaced by the mean of the
// pixels mapped to it.
bool quantize(const QImage& rgb, IndexedPicture* out)
{
    const int w = rgb.width();
    const int h = rgb.height();
    const std::size_t n = static_cast<std::size_t>(w) * h;
    std::vector<GifByteType> red(n), green(n), blue(n);
    for (int y = 0; y < h; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * w + x;
            red[i] = static_cast<GifByteType>(qRed(line[x]));
            green[i] = static_cast<GifByteType>(qGreen(line[x]));
            blue[i] = static_cast<GifByteType>(qBlue(line[x]));
        }
    }
    int mapSize = 256;
    std::array<GifColorType, 256> map{};
    out->indices.assign(n, 0);
    if (GifQuantizeBuffer(static_cast<unsigned>(w), static_cast<unsigned>(h), &mapSize,
                          red.data(), green.data(), blue.data(), out->indices.data(),
                          map.data())
        != GIF_OK)
        return false;
    mapSize = std::clamp(mapSize, 1, 256);

    std::vector<std::array<quint64, 4>> sums(256, {0, 0, 0, 0});
    for (std::size_t i = 0; i < n; ++i) {
        auto& s = sums[out->indices[i]];
        s[0] += red[i];
        s[1] += green[i];
        s[2] += blue[i];
        s[3] += 1;
    }
    out->palette.resize(mapSize);
    for (int i = 0; i < mapSize; ++i) {
        const auto& s = sums[i];
        out->palette[i] = s[3] == 0 ? qRgb(map[i].Red, map[i].Green, map[i].Blue)
                                    : qRgb(int((s[0] + s[3] / 2) / s[3]),
                                           int((s[1] + s[3] / 2) / s[3]),
                                           int((s[2] + s[3] / 2) / s[3]));
    }
    return true;
}

} // namespace

IndexedPicture toIndexed(const QImage& image)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    IndexedPicture out;
    out.width = rgb.width();
    out.height = rgb.height();
    out.indices.resize(static_cast<std::size_t>(out.width) * out.height);

    // Exact palette first; give up on it at the 257th colour.
    QHash<QRgb, int> index;
    bool exact = true;
    for (int y = 0; y < rgb.height() && exact; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        std::uint8_t* dst = out.indices.data() + static_cast<std::size_t>(y) * out.width;
        for (int x = 0; x < rgb.width(); ++x) {
            const QRgb c = line[x] | 0xff000000u;
            auto it = index.constFind(c);
            if (it == index.constEnd()) {
                if (index.size() == 256) {
                    exact = false;
                    break;
                }
                it = index.insert(c, index.size());
                out.palette.push_back(c);
            }
            dst[x] = static_cast<std::uint8_t>(it.value());
        }
    }
    if (exact) {
        if (out.palette.isEmpty())
            out.palette.push_back(qRgb(0, 0, 0));
        return out;
    }
    out.palette.clear();
    if (!quantize(rgb, &out)) {
        // Last resort: Qt's own reduction (never expected to be needed).
        const QImage indexed = rgb.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
        out.palette = indexed.colorTable();
        for (int y = 0; y < indexed.height(); ++y)
            std::copy_n(indexed.constScanLine(y), out.width,
                        out.indices.data() + static_cast<std::size_t>(y) * out.width);
    }
    return out;
}

bool writeGif(const QImage& image, QIODevice* device, QString* error)
{
    if (image.isNull()) {
        *error = QStringLiteral("GIF encoder: empty picture");
        return false;
    }
    IndexedPicture picture = toIndexed(image);

    // giflib only takes colour maps whose size is a power of two.
    int mapSize = 2;
    int bits = 1;
    while (mapSize < picture.palette.size()) {
        mapSize *= 2;
        ++bits;
    }
    std::vector<GifColorType> colours(mapSize, GifColorType{0, 0, 0});
    for (int i = 0; i < picture.palette.size(); ++i) {
        const QRgb c = picture.palette.at(i);
        colours[i] = GifColorType{static_cast<GifByteType>(qRed(c)),
                                  static_cast<GifByteType>(qGreen(c)),
                                  static_cast<GifByteType>(qBlue(c))};
    }
    ColorMapObject* map = GifMakeMapObject(mapSize, colours.data());
    if (!map) {
        *error = QStringLiteral("GIF encoder: cannot make a colour map of %1 entries").arg(mapSize);
        return false;
    }

    int code = 0;
    GifFileType* gif = EGifOpen(device, writeToDevice, &code);
    if (!gif) {
        GifFreeMapObject(map);
        *error = gifError(code);
        return false;
    }
    bool ok = EGifPutScreenDesc(gif, picture.width, picture.height, bits, 0, map) == GIF_OK
              && EGifPutImageDesc(gif, 0, 0, picture.width, picture.height, false, nullptr)
                     == GIF_OK;
    for (int y = 0; ok && y < picture.height; ++y) {
        GifPixelType* line = picture.indices.data() + static_cast<std::size_t>(y) * picture.width;
        ok = EGifPutLine(gif, line, picture.width) == GIF_OK;
    }
    if (!ok)
        code = gif->Error;
    int closeCode = 0;
    // EGifCloseFile frees the handle even when it fails.
    if (EGifCloseFile(gif, &closeCode) != GIF_OK && ok) {
        ok = false;
        code = closeCode;
    }
    GifFreeMapObject(map);
    if (!ok)
        *error = gifError(code);
    return ok;
}

bool writeImageFile(const QImage& image, const QString& fileName, int format, QString* error)
{
    QString ignored;
    if (!error)
        error = &ignored;
    if (format < 0 || format > 4) {
        *error = QStringLiteral("Unknown image format code %1").arg(format);
        return false;
    }
    // The temporary file lives beside the target and replaces it only at
    // commit, so a failed save leaves any earlier file as it was.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = QStringLiteral("Cannot write %1: %2").arg(fileName, file.errorString());
        return false;
    }

    // JPG, BMP and GIF have no alpha: the picture is opaque before it gets
    // here (rendered onto the background colour), and made opaque again in
    // case a caller hands in a transparent one.
    QImage opaque = image;
    if (image.hasAlphaChannel()) {
        opaque = QImage(image.size(), QImage::Format_RGB32);
        opaque.fill(Qt::white);
        QPainter painter(&opaque);
        painter.drawImage(0, 0, image);
    }
    bool ok = false;
    if (format == 4) {
        ok = writeGif(opaque, &file, error);
    } else {
        static const char* const names[] = {"bmp", "png", "jpg", "tiff"};
        QImageWriter writer(&file, names[format]);
        if (format == 2)
            writer.setQuality(90);
        if (format == 3)
            writer.setCompression(1); // LZW
        ok = writer.write(opaque);
        if (!ok)
            *error = writer.errorString();
    }
    if (!ok) {
        file.cancelWriting();
        *error = QStringLiteral("Cannot write %1: %2").arg(fileName, *error);
        return false;
    }
    if (!file.commit()) {
        *error = QStringLiteral("Cannot write %1: %2").arg(fileName, file.errorString());
        return false;
    }
    return true;
}

} // namespace imagesave
