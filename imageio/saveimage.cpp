// SPDX-License-Identifier: GPL-3.0-or-later
#include "saveimage.h"

#include "atomicwrite.h"
#include "gifencoder.h"
#include "pngencoder.h"
#include "vectorformats.h"

#include <QBuffer>
#include <QImageWriter>
#include <QPainter>

#include <new>

namespace imageio
{
namespace
{

constexpr int kJpegQuality = 90;
constexpr int kTiffLzw = 1;

vp::Result encodeFailure(const QString& why)
{
    return vp::Result::failure(why.toStdString(), kEncodeFailed);
}

// BMP, JPG and TIF through Qt's image writers.
vp::Result writeWithQt(const QImage& opaque, int format, QIODevice* device)
{
    const char* const writerFormat = format == FormatBMP   ? "bmp"
                                     : format == FormatJPG ? "jpg"
                                                           : "tiff";
    QImageWriter writer(device, writerFormat);
    if (format == FormatJPG)
        writer.setQuality(kJpegQuality);
    if (format == FormatTIF)
        writer.setCompression(kTiffLzw);
    if (writer.write(opaque))
        return {};
    return encodeFailure(writer.errorString());
}

// JPG, BMP and GIF have no alpha: a picture is opaque before it gets here
// (drawn onto the background colour), and made opaque again in case a
// caller hands in a transparent one.
QImage opaqueImage(const QImage& image)
{
    if (!image.hasAlphaChannel())
        return image;
    QImage opaque(image.size(), QImage::Format_RGB32);
    if (opaque.isNull())
        throw std::bad_alloc();
    opaque.fill(Qt::white);
    QPainter painter(&opaque);
    painter.drawImage(0, 0, image);
    return opaque;
}

vp::Result encodeOpaque(const QImage& opaque, int format, QByteArray* bytes)
{
    QBuffer buffer(bytes);
    buffer.open(QIODevice::WriteOnly);
    vp::Result done;
    if (format == FormatGIF)
        done = writeGif(opaque, &buffer);
    else if (format == FormatPNG)
        done = encodePng(opaque, &buffer);
    else
        done = writeWithQt(opaque, format, &buffer);
    return done ? done : vp::Result::failure(done.message(), kEncodeFailed);
}

} // namespace

vp::Result encodeImage(const QImage& image, int format, QByteArray* bytes)
{
    if (format < FormatBMP || format > FormatGIF)
        return encodeFailure(QStringLiteral("Unknown image format code %1").arg(format));
    if (image.isNull())
        return encodeFailure(QStringLiteral("there is no picture to write"));
    bytes->clear();
    try {
        return encodeOpaque(opaqueImage(image), format, bytes);
    } catch (const std::bad_alloc&) {
        return encodeFailure(
            QStringLiteral("not enough memory to encode a picture of %1 x %2 pixels")
                .arg(image.width())
                .arg(image.height()));
    }
}

vp::Result encode(const Picture& picture, int format, QByteArray* bytes)
{
    if (format == FormatSVG || format == FormatPDF) {
        const vp::Result drawn =
            format == FormatSVG ? encodeSvg(picture, bytes) : encodePdf(picture, bytes);
        return drawn ? drawn : vp::Result::failure(drawn.message(), kEncodeFailed);
    }
    const QImage image = rasterize(picture);
    if (image.isNull())
        return encodeFailure(QStringLiteral("not enough memory for a picture of %1 x %2 pixels")
                                 .arg(picture.size.width() * picture.scale)
                                 .arg(picture.size.height() * picture.scale));
    return encodeImage(image, format, bytes);
}

vp::Result saveImage(const Picture& picture, int format, const std::string& path)
{
    // The picture is encoded in memory first: a picture too big for the
    // memory at hand then fails before any file is touched.
    QByteArray bytes;
    const vp::Result encoded = encode(picture, format, &bytes);
    if (!encoded)
        return encoded;
    const vp::Result written =
        vp::writeFileAtomically(path, bytes.constData(), static_cast<std::size_t>(bytes.size()));
    return written ? written : vp::Result::failure(written.message(), kWriteFailed);
}

} // namespace imageio
