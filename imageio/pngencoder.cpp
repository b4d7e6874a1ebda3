// SPDX-License-Identifier: GPL-3.0-or-later
#include "pngencoder.h"

#include <QIODevice>
#include <QString>

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

namespace imageio
{
namespace
{

int encoderThreads = 0; // 0: one per processor, at most four

// Fewer rows than this per band are not worth a thread.
constexpr int kMinRowsPerBand = 128;
constexpr int kMaxThreads = 4;
// The image data goes into IDAT chunks of at most this many bytes.
constexpr qsizetype kChunkBytes = 1 << 20;
// Memory level 6 instead of zlib's usual 8: run-length packing uses no
// match hash, and the smaller hash table zlib still slides along costs less
// time for files of the same size.
constexpr int kDeflateMemLevel = 6;
constexpr unsigned char kFilterUp = 2;

vp::Result pngFailure(const QString& why)
{
    return vp::Result::failure(QStringLiteral("PNG encoder: %1").arg(why).toStdString());
}

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

// Row y as PNG stores it: the filter byte, then each pixel's difference to
// the pixel above (filter "up"; the row above the first counts as zeros),
// the picture's BGRX pixels turned into RGB on the way.
void filterRow(const QImage& rgb, int y, const QRgb* zeros, unsigned char* out)
{
    const int width = rgb.width(); // not in the loop: QImage::width() is a call
    const auto* cur = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
    const auto* above = y == 0 ? zeros : reinterpret_cast<const QRgb*>(rgb.constScanLine(y - 1));
    *out++ = kFilterUp;
    for (int x = 0; x < width; ++x, out += 3) {
        const QRgb c = cur[x], a = above[x];
        out[0] = static_cast<unsigned char>((c >> 16) - (a >> 16));
        out[1] = static_cast<unsigned char>((c >> 8) - (a >> 8));
        out[2] = static_cast<unsigned char>(c - a);
    }
}

// Feeds one row to the band's deflate stream, growing its output as needed.
bool deflateRow(z_stream& z, PngBand* band, unsigned char* row, std::size_t rowBytes, int flush)
{
    z.next_in = row;
    z.avail_in = uInt(rowBytes);
    bool ok = true;
    do {
        if (z.total_out + rowBytes + 64 > std::size_t(band->deflated.size()))
            band->deflated.resize(band->deflated.size() * 2);
        z.next_out = reinterpret_cast<Bytef*>(band->deflated.data()) + z.total_out;
        z.avail_out = uInt(std::size_t(band->deflated.size()) - z.total_out);
        const int status = deflate(&z, flush);
        ok = status == Z_OK || status == Z_BUF_ERROR || status == Z_STREAM_END;
    } while (ok && (z.avail_in > 0 || z.avail_out == 0));
    return ok;
}

// Run-length deflate packs filtered rows of a chart (large flat areas,
// straight edges) about as small as the exhaustive settings, in a fraction
// of the time; it only refers back one byte, so a band loses nothing by not
// seeing the band above it.
void deflateRows(const QImage& rgb, PngBand* band)
{
    z_stream z{};
    if (deflateInit2(&z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -15, kDeflateMemLevel, Z_RLE) != Z_OK)
        return;
    struct End {
        z_stream* z;
        ~End() { deflateEnd(z); }
    } end{&z};
    const std::size_t rowBytes = 1 + 3 * std::size_t(rgb.width());
    std::vector<unsigned char> row(rowBytes);
    std::vector<QRgb> zeros(band->first == 0 ? std::size_t(rgb.width()) : 0);
    band->deflated.resize(qsizetype(rowBytes) * 2 + 1024);
    bool ok = true;
    for (int y = band->first; ok && y < band->end; ++y) {
        filterRow(rgb, y, zeros.data(), row.data());
        band->adler = adler32(band->adler, row.data(), uInt(rowBytes));
        const bool lastRow = y + 1 == band->end;
        ok = deflateRow(z, band, row.data(), rowBytes,
                        !lastRow     ? Z_NO_FLUSH
                        : band->last ? Z_FINISH
                                     : Z_SYNC_FLUSH);
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

int threadsWanted()
{
    return encoderThreads > 0
               ? encoderThreads
               : std::clamp(int(std::thread::hardware_concurrency()), 1, kMaxThreads);
}

// Deflates the bands, the first on this thread and each other on its own.
std::vector<PngBand> deflateInBands(const QImage& rgb)
{
    const std::vector<int> starts = bandStarts(rgb.height(), threadsWanted());
    std::vector<PngBand> bands(starts.size() - 1);
    for (std::size_t i = 0; i < bands.size(); ++i) {
        bands[i].first = starts[i];
        bands[i].end = starts[i + 1];
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
    return bands;
}

// The bands joined into one zlib stream: header, the deflated bands, and the
// Adler-32 sum of all. False when a band failed.
bool zlibStream(const std::vector<PngBand>& bands, QByteArray* stream)
{
    *stream = QByteArray("\x78\x01", 2); // deflate, 32 KB window
    uLong adler = 1;
    for (const PngBand& band : bands) {
        if (!band.ok)
            return false;
        *stream += band.deflated;
        adler = adler32_combine(adler, band.adler, z_off_t(band.length));
    }
    for (int shift = 24; shift >= 0; shift -= 8)
        *stream += char((adler >> shift) & 0xff);
    return true;
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

// The chunks after the header: the data in IDAT chunks, then the end chunk.
// libpng's own end would refuse: it has not seen the data go through its
// row writer.
void writeDataChunks(png_structp png, const QByteArray& stream)
{
    for (qsizetype at = 0; at < stream.size(); at += kChunkBytes)
        png_write_chunk(png, reinterpret_cast<png_const_bytep>("IDAT"),
                        reinterpret_cast<png_const_bytep>(stream.constData() + at),
                        png_size_t(std::min(kChunkBytes, stream.size() - at)));
    png_write_chunk(png, reinterpret_cast<png_const_bytep>("IEND"), nullptr, 0);
}

// libpng writes the chunks: header (with the density when known), the
// deflated data, the end.
vp::Result writeChunks(const QImage& rgb, const QByteArray& stream, QIODevice* device)
{
    PngSink sink{device, {}};
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &sink, pngFailed, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return pngFailure(QStringLiteral("cannot start"));
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return pngFailure(sink.error);
    }
    png_set_write_fn(png, &sink, pngWrite, nullptr);
    png_set_IHDR(png, info, png_uint_32(rgb.width()), png_uint_32(rgb.height()), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE,
                 PNG_FILTER_TYPE_BASE);
    if (rgb.dotsPerMeterX() > 0 && rgb.dotsPerMeterY() > 0)
        png_set_pHYs(png, info, png_uint_32(rgb.dotsPerMeterX()), png_uint_32(rgb.dotsPerMeterY()),
                     PNG_RESOLUTION_METER);
    png_write_info(png, info);
    writeDataChunks(png, stream);
    png_destroy_write_struct(&png, &info);
    return {};
}

} // namespace

std::vector<int> bandStarts(int height, int bands)
{
    bands = std::clamp(height / kMinRowsPerBand, 1, std::max(1, bands));
    std::vector<int> starts;
    for (int i = 0; i <= bands; ++i)
        starts.push_back(int(qint64(height) * i / bands));
    return starts;
}

vp::Result encodePng(const QImage& picture, QIODevice* device)
{
    if (picture.isNull())
        return pngFailure(QStringLiteral("empty picture"));
    const QImage rgb = picture.format() == QImage::Format_RGB32
                           ? picture
                           : picture.convertToFormat(QImage::Format_RGB32);
    QByteArray stream;
    if (!zlibStream(deflateInBands(rgb), &stream))
        return pngFailure(QStringLiteral("not enough memory to compress"));
    return writeChunks(rgb, stream, device);
}

void setEncoderThreads(int threads)
{
    encoderThreads = std::max(0, threads);
}

} // namespace imageio
