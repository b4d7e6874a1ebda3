#include "imagesave.h"

#include "atomicwrite.h"

#include <QBuffer>
#include <QHash>
#include <QImageWriter>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

#include <gif_lib.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <new>

namespace imagesave
{
namespace
{

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

void putBigEndian32(uchar* out, quint32 value)
{
    out[0] = static_cast<uchar>(value >> 24);
    out[1] = static_cast<uchar>(value >> 16);
    out[2] = static_cast<uchar>(value >> 8);
    out[3] = static_cast<uchar>(value);
}

bool writePngChunk(QIODevice* device, const char (&type)[5], const uchar* data, quint32 length)
{
    uchar head[8];
    putBigEndian32(head, length);
    std::memcpy(head + 4, type, 4);
    uLong crc = crc32(0L, head + 4, 4);
    if (length > 0)
        crc = crc32(crc, data, length);
    uchar tail[4];
    putBigEndian32(tail, static_cast<quint32>(crc));
    return device->write(reinterpret_cast<const char*>(head), 8) == 8 &&
           (length == 0 ||
            device->write(reinterpret_cast<const char*>(data), length) == qint64(length)) &&
           device->write(reinterpret_cast<const char*>(tail), 4) == 4;
}

// Encodes an opaque picture as 8-bit RGB PNG. Charts are large flat areas
// and straight edges: each row is stored as its difference to the row
// above (filter "up"), and run-length deflate packs those about as small as
// the exhaustive default settings of a general PNG writer, in a fraction of
// the time. The rows are filtered and compressed one at a time.
bool encodePng(const QImage& picture, QIODevice* device, QString* error)
{
    if (picture.isNull()) {
        *error = QStringLiteral("PNG encoder: empty picture");
        return false;
    }
    const QImage rgb = picture.format() == QImage::Format_RGB32
                           ? picture
                           : picture.convertToFormat(QImage::Format_RGB32);
    const int width = rgb.width();
    const int height = rgb.height();
    auto failed = [&](const QString& why) {
        *error = QStringLiteral("PNG encoder: %1").arg(why);
        return false;
    };

    static const char signature[8] = {'\x89', 'P', 'N', 'G', '\r', '\n', '\x1a', '\n'};
    if (device->write(signature, 8) != 8)
        return failed(device->errorString());
    uchar header[13];
    putBigEndian32(header, static_cast<quint32>(width));
    putBigEndian32(header + 4, static_cast<quint32>(height));
    header[8] = 8;  // bits per channel
    header[9] = 2;  // colour type: RGB
    header[10] = 0; // deflate
    header[11] = 0; // adaptive filtering
    header[12] = 0; // not interlaced
    if (!writePngChunk(device, "IHDR", header, sizeof header))
        return failed(device->errorString());
    if (rgb.dotsPerMeterX() > 0 && rgb.dotsPerMeterY() > 0) {
        uchar density[9];
        putBigEndian32(density, static_cast<quint32>(rgb.dotsPerMeterX()));
        putBigEndian32(density + 4, static_cast<quint32>(rgb.dotsPerMeterY()));
        density[8] = 1; // per metre
        if (!writePngChunk(device, "pHYs", density, sizeof density))
            return failed(device->errorString());
    }

    z_stream z{};
    if (deflateInit2(&z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15, 8, Z_RLE) != Z_OK)
        return failed(QStringLiteral("cannot start the compressor"));
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
    // The row above the first one counts as black.
    const std::vector<QRgb> blank(static_cast<std::size_t>(width), 0);
    std::vector<uchar> filtered(rowBytes + 1);
    std::vector<uchar> out(1 << 16);
    filtered[0] = 2; // filter type "up"
    bool ok = true;
    QString why;
    auto drain = [&](int flush) {
        do {
            z.next_out = out.data();
            z.avail_out = static_cast<uInt>(out.size());
            const int status = deflate(&z, flush);
            if (status == Z_STREAM_ERROR) {
                why = QStringLiteral("compressor error");
                return false;
            }
            const quint32 produced = static_cast<quint32>(out.size() - z.avail_out);
            if (produced > 0 && !writePngChunk(device, "IDAT", out.data(), produced)) {
                why = device->errorString();
                return false;
            }
        } while (z.avail_out == 0);
        return true;
    };
    for (int y = 0; ok && y < height; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        const auto* above =
            y > 0 ? reinterpret_cast<const QRgb*>(rgb.constScanLine(y - 1)) : blank.data();
        uchar* dst = filtered.data() + 1;
        for (int x = 0; x < width; ++x) {
            const QRgb c = line[x];
            const QRgb a = above[x];
            dst[3 * x] = static_cast<uchar>(qRed(c) - qRed(a));
            dst[3 * x + 1] = static_cast<uchar>(qGreen(c) - qGreen(a));
            dst[3 * x + 2] = static_cast<uchar>(qBlue(c) - qBlue(a));
        }
        z.next_in = filtered.data();
        z.avail_in = static_cast<uInt>(filtered.size());
        ok = drain(Z_NO_FLUSH);
    }
    if (ok) {
        z.next_in = nullptr;
        z.avail_in = 0;
        ok = drain(Z_FINISH);
    }
    deflateEnd(&z);
    if (!ok)
        return failed(why);
    if (!writePngChunk(device, "IEND", nullptr, 0))
        return failed(device->errorString());
    return true;
}

// Reduces a true-colour picture to at most 256 colours by median cut over a
// histogram of 6 bits per channel. A box is split where its pixels divide
// in half along its longest side, always the box with the longest side, so
// that no colour ends up far from its entry. Each entry is the mean of the
// pixels in its box (a flat white area stays exactly white); one refining
// pass then moves every histogram cell to its nearest entry and takes the
// means again.
bool quantize(const QImage& rgb, IndexedPicture* out)
{
    constexpr int kBits = 6;
    constexpr int kShift = 8 - kBits;
    constexpr int kCells = 1 << (3 * kBits);
    struct Cell {
        quint64 count = 0, r = 0, g = 0, b = 0;
    };
    std::vector<Cell> cells(kCells);
    auto cellOf = [](QRgb c) {
        return ((qRed(c) >> kShift) << (2 * kBits)) | ((qGreen(c) >> kShift) << kBits) |
               (qBlue(c) >> kShift);
    };
    const int w = rgb.width();
    const int h = rgb.height();
    for (int y = 0; y < h; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            Cell& cell = cells[cellOf(line[x])];
            ++cell.count;
            cell.r += qRed(line[x]);
            cell.g += qGreen(line[x]);
            cell.b += qBlue(line[x]);
        }
    }
    std::vector<int> ids;
    for (int i = 0; i < kCells; ++i)
        if (cells[i].count)
            ids.push_back(i);
    if (ids.empty())
        return false;

    auto channel = [](int id, int axis) {
        return (id >> ((2 - axis) * kBits)) & ((1 << kBits) - 1);
    };
    struct Box {
        int begin, end, axis, range;
    };
    auto measure = [&](int begin, int end) {
        int lo[3] = {64, 64, 64}, hi[3] = {-1, -1, -1};
        for (int i = begin; i < end; ++i)
            for (int a = 0; a < 3; ++a) {
                lo[a] = std::min(lo[a], channel(ids[i], a));
                hi[a] = std::max(hi[a], channel(ids[i], a));
            }
        Box box{begin, end, 0, hi[0] - lo[0]};
        for (int a = 1; a < 3; ++a)
            if (hi[a] - lo[a] > box.range)
                box = Box{begin, end, a, hi[a] - lo[a]};
        return box;
    };
    std::vector<Box> boxes{measure(0, static_cast<int>(ids.size()))};
    while (boxes.size() < 256) {
        auto widest = std::max_element(boxes.begin(), boxes.end(), [](const Box& a, const Box& b) {
            return a.range < b.range;
        });
        if (widest->range == 0)
            break;
        const Box box = *widest;
        std::sort(ids.begin() + box.begin, ids.begin() + box.end,
                  [&](int a, int b) { return channel(a, box.axis) < channel(b, box.axis); });
        quint64 total = 0;
        for (int i = box.begin; i < box.end; ++i)
            total += cells[ids[i]].count;
        quint64 seen = 0;
        int split = box.begin + 1;
        for (int i = box.begin; i < box.end - 1; ++i) {
            seen += cells[ids[i]].count;
            split = i + 1;
            if (seen * 2 >= total)
                break;
        }
        // Never split between two cells of the same coordinate.
        while (split < box.end && split > box.begin &&
               channel(ids[split], box.axis) == channel(ids[split - 1], box.axis))
            ++split;
        if (split == box.end) {
            split = box.end - 1;
            while (split > box.begin &&
                   channel(ids[split], box.axis) == channel(ids[split - 1], box.axis))
                --split;
        }
        *widest = measure(box.begin, split);
        boxes.push_back(measure(split, box.end));
    }

    std::vector<int> entryOf(kCells, 0);
    for (int e = 0; e < static_cast<int>(boxes.size()); ++e)
        for (int i = boxes[e].begin; i < boxes[e].end; ++i)
            entryOf[ids[i]] = e;
    auto means = [&] {
        std::vector<std::array<quint64, 4>> sums(boxes.size(), {0, 0, 0, 0});
        for (int id : ids) {
            auto& s = sums[entryOf[id]];
            s[0] += cells[id].r;
            s[1] += cells[id].g;
            s[2] += cells[id].b;
            s[3] += cells[id].count;
        }
        QVector<QRgb> palette;
        for (const auto& s : sums)
            palette.push_back(s[3] == 0 ? qRgb(0, 0, 0)
                                        : qRgb(int((s[0] + s[3] / 2) / s[3]),
                                               int((s[1] + s[3] / 2) / s[3]),
                                               int((s[2] + s[3] / 2) / s[3])));
        return palette;
    };
    QVector<QRgb> palette = means();
    for (int id : ids) {
        const Cell& c = cells[id];
        const int r = int(c.r / c.count), g = int(c.g / c.count), b = int(c.b / c.count);
        int best = entryOf[id];
        int bestDistance = INT_MAX;
        for (int e = 0; e < palette.size(); ++e) {
            const int dr = qRed(palette[e]) - r, dg = qGreen(palette[e]) - g,
                      db = qBlue(palette[e]) - b;
            const int d = dr * dr + dg * dg + db * db;
            if (d < bestDistance) {
                bestDistance = d;
                best = e;
            }
        }
        entryOf[id] = best;
    }
    out->palette = means();

    out->indices.resize(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        std::uint8_t* dst = out->indices.data() + static_cast<std::size_t>(y) * w;
        for (int x = 0; x < w; ++x)
            dst[x] = static_cast<std::uint8_t>(entryOf[cellOf(line[x])]);
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
        colours[i] =
            GifColorType{static_cast<GifByteType>(qRed(c)), static_cast<GifByteType>(qGreen(c)),
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
    bool ok = EGifPutScreenDesc(gif, picture.width, picture.height, bits, 0, map) == GIF_OK &&
              EGifPutImageDesc(gif, 0, 0, picture.width, picture.height, false, nullptr) == GIF_OK;
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

bool encodeImage(const QImage& image, int format, QByteArray* bytes, QString* error)
{
    QString ignored;
    if (!error)
        error = &ignored;
    auto failed = [&](const QString& why) {
        *error = why;
        return false;
    };
    if (format < FormatBMP || format > FormatGIF)
        return failed(QStringLiteral("Unknown image format code %1").arg(format));
    if (image.isNull())
        return failed(QStringLiteral("there is no picture to write"));

    bytes->clear();
    bool ok = false;
    try {
        // JPG, BMP and GIF have no alpha: the picture is opaque before it
        // gets here (rendered onto the background colour), and made opaque
        // again in case a caller hands in a transparent one.
        QImage opaque = image;
        if (image.hasAlphaChannel()) {
            opaque = QImage(image.size(), QImage::Format_RGB32);
            if (opaque.isNull())
                throw std::bad_alloc();
            opaque.fill(Qt::white);
            QPainter painter(&opaque);
            painter.drawImage(0, 0, image);
        }
        QBuffer buffer(bytes);
        buffer.open(QIODevice::WriteOnly);
        if (format == FormatGIF) {
            ok = writeGif(opaque, &buffer, error);
        } else if (format == FormatPNG) {
            ok = encodePng(opaque, &buffer, error);
        } else {
            const char* const writerFormat = format == FormatBMP   ? "bmp"
                                             : format == FormatJPG ? "jpg"
                                                                   : "tiff";
            QImageWriter writer(&buffer, writerFormat);
            if (format == FormatJPG)
                writer.setQuality(90);
            if (format == FormatTIF)
                writer.setCompression(1); // LZW
            ok = writer.write(opaque);
            if (!ok)
                *error = writer.errorString();
        }
    } catch (const std::bad_alloc&) {
        return failed(QStringLiteral("not enough memory to encode a picture of %1 x %2 pixels")
                          .arg(image.width())
                          .arg(image.height()));
    }
    return ok;
}

bool writeImageFile(const QImage& image, const std::string& fileName, int format, QString* error)
{
    QString ignored;
    if (!error)
        error = &ignored;
    // The picture is encoded in memory first: a picture too big for the
    // memory at hand then fails before any file is touched.
    QByteArray bytes;
    if (!encodeImage(image, format, &bytes, error))
        return false;
    std::string why;
    if (!vp::writeFileAtomically(fileName, bytes.constData(),
                                 static_cast<std::size_t>(bytes.size()), &why)) {
        *error = QString::fromLocal8Bit(why.c_str());
        return false;
    }
    return true;
}

bool encodeVector(Vector kind, QSize size, const QString& title,
                  const std::function<void(QPaintDevice*)>& paint, QByteArray* bytes,
                  QString* error)
{
    // One unit of the drawing is one pixel of the same chart as a picture,
    // at the density the layout's fonts were measured at: texts keep their
    // size and place, and a viewer at that density shows the chart at the
    // picture's size.
    const int dpi = QImage(1, 1, QImage::Format_RGB32).logicalDpiX();
    bytes->clear();
    QBuffer buffer(bytes);
    buffer.open(QIODevice::WriteOnly);
    if (kind == Vector::Svg) {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setResolution(dpi);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setTitle(title.toHtmlEscaped()); // the generator does not escape it
        svg.setDescription(QStringLiteral("Chart drawn by VELDRAPLOT"));
        paint(&svg);
        // The generator states the size in millimetres, which a renderer
        // may round up to one more pixel; in pixels it is exact.
        const QByteArray stated = "<svg width=\"" + QByteArray::number(size.width()) +
                                  "\" height=\"" + QByteArray::number(size.height()) + "\"";
        const int start = bytes->indexOf("<svg width=\"");
        const int end = start < 0 ? -1 : bytes->indexOf('\n', start);
        if (end > start)
            bytes->replace(start, end - start, stated);
    } else {
        QPdfWriter pdf(&buffer);
        pdf.setResolution(dpi);
        pdf.setCreator(QStringLiteral("VELDRAPLOT"));
        pdf.setTitle(title);
        // The page is exactly the chart, without margins.
        const QPageSize page(QSizeF(size) / dpi, QPageSize::Inch, QString(), QPageSize::ExactMatch);
        if (!pdf.setPageLayout(QPageLayout(page, QPageLayout::Portrait, QMarginsF()))) {
            *error = QStringLiteral("PDF writer: a page of %1 x %2 pixels cannot be made")
                         .arg(size.width())
                         .arg(size.height());
            return false;
        }
        paint(&pdf);
    }
    if (bytes->isEmpty()) {
        *error = QStringLiteral("%1 writer: nothing was drawn")
                     .arg(kind == Vector::Svg ? QStringLiteral("SVG") : QStringLiteral("PDF"));
        return false;
    }
    return true;
}

} // namespace imagesave
