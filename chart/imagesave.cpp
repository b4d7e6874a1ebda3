#include "imagesave.h"

#include "atomicwrite.h"

#include <QBuffer>
#include <QImageWriter>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QSet>
#include <QSvgGenerator>
#include <QSysInfo>

#include <gif_lib.h>
#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <new>
#include <system_error>
#include <thread>

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

// libpng reports errors through longjmp; the message is kept for the user.
struct PngSink {
    QIODevice* device;
    QString error;
};

[[noreturn]] void pngFailed(png_structp png, png_const_charp message)
{
    auto* sink = static_cast<PngSink*>(png_get_error_ptr(png));
    if (sink->error.isEmpty())
        sink->error = QString::fromLatin1(message);
    png_longjmp(png, 1);
}

void pngWrite(png_structp png, png_bytep data, png_size_t length)
{
    auto* sink = static_cast<PngSink*>(png_get_io_ptr(png));
    if (sink->device->write(reinterpret_cast<const char*>(data), qint64(length)) == qint64(length))
        return;
    sink->error = sink->device->errorString();
    png_error(png, "write failed");
}

int encoderThreads = 0; // 0: one per processor, at most four

// One horizontal band of a picture, filtered and deflated on its own: a raw
// deflate stream that ends on a byte boundary without closing the stream
// (the last band closes it), and the Adler-32 sum of the bytes it packs.
struct PngBand {
    int first = 0;
    int end = 0;
    bool last = false;
    QByteArray deflated;
    uLong adler = 1;
    uLong length = 0;
    bool ok = false;
};

// Each row is stored as its difference to the row above (filter "up"; the
// row above the first counts as zeros), the picture's BGRX pixels turned
// into RGB on the way. Run-length deflate packs such rows of a chart (large
// flat areas, straight edges) about as small as the exhaustive settings, in
// a fraction of the time; it only refers back one byte, so a band loses
// nothing by not seeing the band above it.
void deflateRows(const QImage& rgb, PngBand* band)
{
    z_stream z{};
    // Memory level 6 instead of 8: run-length packing uses no match hash, and
    // the smaller hash table zlib still slides along costs a quarter less
    // time for files of the same size.
    if (deflateInit2(&z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -15, 6, Z_RLE) != Z_OK)
        return;
    struct End {
        z_stream* z;
        ~End() { deflateEnd(z); }
    } end{&z};
    const int width = rgb.width();
    const std::size_t rowBytes = 1 + 3 * std::size_t(width);
    std::vector<unsigned char> row(rowBytes);
    std::vector<QRgb> zeros(band->first == 0 ? std::size_t(width) : 0);
    band->deflated.resize(qsizetype(rowBytes) * 2 + 1024);
    bool ok = true;
    for (int y = band->first; ok && y < band->end; ++y) {
        const auto* cur = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        const auto* above =
            y == 0 ? zeros.data() : reinterpret_cast<const QRgb*>(rgb.constScanLine(y - 1));
        unsigned char* out = row.data();
        *out++ = 2; // filter "up"
        for (int x = 0; x < width; ++x, out += 3) {
            const QRgb c = cur[x], a = above[x];
            out[0] = static_cast<unsigned char>((c >> 16) - (a >> 16));
            out[1] = static_cast<unsigned char>((c >> 8) - (a >> 8));
            out[2] = static_cast<unsigned char>(c - a);
        }
        band->adler = adler32(band->adler, row.data(), uInt(rowBytes));
        z.next_in = row.data();
        z.avail_in = uInt(rowBytes);
        const bool lastRow = y + 1 == band->end;
        const int flush = !lastRow ? Z_NO_FLUSH : band->last ? Z_FINISH : Z_SYNC_FLUSH;
        do {
            if (z.total_out + rowBytes + 64 > std::size_t(band->deflated.size()))
                band->deflated.resize(band->deflated.size() * 2);
            z.next_out = reinterpret_cast<Bytef*>(band->deflated.data()) + z.total_out;
            z.avail_out = uInt(std::size_t(band->deflated.size()) - z.total_out);
            const int status = deflate(&z, flush);
            ok = status == Z_OK || status == Z_BUF_ERROR || status == Z_STREAM_END;
        } while (ok && (z.avail_in > 0 || z.avail_out == 0));
    }
    band->deflated.resize(qsizetype(z.total_out));
    band->length = uLong(band->end - band->first) * uLong(rowBytes);
    band->ok = ok;
}

// The same on a thread of its own: running out of memory marks the band as
// failed instead of ending the program.
void deflateBand(const QImage& rgb, PngBand* band)
{
    try {
        deflateRows(rgb, band);
    } catch (const std::bad_alloc&) {
        band->ok = false;
    }
}

// Encodes an opaque picture as 8-bit RGB PNG. libpng writes the chunks; the
// image data is deflated in bands, one per processor (each band a thread),
// and the bands joined into one zlib stream.
bool encodePng(const QImage& picture, QIODevice* device, QString* error)
{
    if (picture.isNull()) {
        *error = QStringLiteral("PNG encoder: empty picture");
        return false;
    }
    const QImage rgb = picture.format() == QImage::Format_RGB32
                           ? picture
                           : picture.convertToFormat(QImage::Format_RGB32);

    int threads = encoderThreads > 0 ? encoderThreads
                                     : std::clamp(int(std::thread::hardware_concurrency()), 1, 4);
    threads = std::clamp(rgb.height() / 128, 1, threads); // small pictures: one band
    std::vector<PngBand> bands(static_cast<std::size_t>(threads));
    for (int i = 0; i < threads; ++i) {
        bands[std::size_t(i)].first = rgb.height() * i / threads;
        bands[std::size_t(i)].end = rgb.height() * (i + 1) / threads;
    }
    bands.back().last = true;
    std::vector<std::thread> helpers;
    for (std::size_t i = 1; i < bands.size(); ++i) {
        try {
            helpers.emplace_back(deflateBand, std::cref(rgb), &bands[i]);
        } catch (const std::system_error&) {
            deflateBand(rgb, &bands[i]); // no thread to be had: this one does it
        }
    }
    deflateBand(rgb, &bands[0]);
    for (std::thread& helper : helpers)
        helper.join();
    QByteArray stream("\x78\x01", 2); // deflate, 32 KB window
    uLong adler = 1;
    for (const PngBand& band : bands) {
        if (!band.ok) {
            *error = QStringLiteral("PNG encoder: not enough memory to compress");
            return false;
        }
        stream += band.deflated;
        adler = adler32_combine(adler, band.adler, z_off_t(band.length));
    }
    for (int shift = 24; shift >= 0; shift -= 8)
        stream += char((adler >> shift) & 0xff);

    PngSink sink{device, {}};
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &sink, pngFailed, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        *error = QStringLiteral("PNG encoder: cannot start");
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        *error = QStringLiteral("PNG encoder: %1").arg(sink.error);
        return false;
    }
    png_set_write_fn(png, &sink, pngWrite, nullptr);
    png_set_IHDR(png, info, png_uint_32(rgb.width()), png_uint_32(rgb.height()), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE,
                 PNG_FILTER_TYPE_BASE);
    if (rgb.dotsPerMeterX() > 0 && rgb.dotsPerMeterY() > 0)
        png_set_pHYs(png, info, png_uint_32(rgb.dotsPerMeterX()), png_uint_32(rgb.dotsPerMeterY()),
                     PNG_RESOLUTION_METER);
    png_write_info(png, info);
    // The data in chunks of at most 1 MiB, then the end chunk. libpng's own
    // end would refuse: it has not seen the data go through its row writer.
    constexpr qsizetype kChunk = 1 << 20;
    for (qsizetype at = 0; at < stream.size(); at += kChunk)
        png_write_chunk(png, reinterpret_cast<png_const_bytep>("IDAT"),
                        reinterpret_cast<png_const_bytep>(stream.constData() + at),
                        png_size_t(std::min(kChunk, stream.size() - at)));
    png_write_chunk(png, reinterpret_cast<png_const_bytep>("IEND"), nullptr, 0);
    png_destroy_write_struct(&png, &info);
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

    // Exact palette first when the picture has at most 256 colours; Qt then
    // maps every pixel to its own entry.
    QSet<QRgb> colours;
    for (int y = 0; y < rgb.height() && colours.size() <= 256; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width() && colours.size() <= 256; ++x)
            colours.insert(line[x] | 0xff000000u);
    }
    if (colours.size() <= 256) {
        out.palette = QVector<QRgb>(colours.begin(), colours.end());
        if (out.palette.isEmpty())
            out.palette.push_back(qRgb(0, 0, 0));
        const QImage indexed = rgb.convertToFormat(QImage::Format_Indexed8, out.palette,
                                                   Qt::ThresholdDither | Qt::AvoidDither);
        for (int y = 0; y < indexed.height(); ++y)
            std::copy_n(indexed.constScanLine(y), out.width,
                        out.indices.data() + static_cast<std::size_t>(y) * out.width);
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

void setEncoderThreads(int threads)
{
    encoderThreads = std::max(0, threads);
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
