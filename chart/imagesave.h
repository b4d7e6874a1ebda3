// The chart's image encoders: BMP, JPG and TIF through Qt's image writers,
// PNG through libpng, GIF through giflib; SVG and PDF through Qt's
// generators. The format code alone picks the encoding, never the file
// name. Files are written atomically (atomicwrite.h): on any failure the
// target keeps its old content (or stays absent).
#pragma once

#include <QImage>
#include <QString>
#include <QVector>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QIODevice;
class QPaintDevice;

// Image format codes of SaveImage and writeImageFile.
enum ImageFormat : int {
    FormatBMP = 0,
    FormatPNG = 1,
    FormatJPG = 2,
    FormatTIF = 3,
    FormatGIF = 4,
    // Vector pictures, text kept as text (not for writeImageFile).
    FormatSVG = 5,
    FormatPDF = 6,
};

namespace imagesave
{

// Writes image to fileName (bytes, as the file system takes them) in the
// format an ImageFormat code names. On failure returns false and puts
// the reason into *error; the caller names the file.
bool writeImageFile(const QImage& image, const std::string& fileName, int format, QString* error);

// Threads the PNG encoder may use for one picture; 0 (the default) means
// one per processor, at most four. Processes that already keep every
// processor busy set 1.
void setEncoderThreads(int threads);

// The same encodings into bytes, with no file touched.
bool encodeImage(const QImage& image, int format, QByteArray* bytes, QString* error);

// A vector picture of size pixels: paint draws it onto the device it is
// given, in pixels. The SVG's view box and the PDF's page (without margins)
// are that size at the screen's density; text stays text.
enum class Vector { Svg, Pdf };
bool encodeVector(Vector kind, QSize size, const QString& title,
                  const std::function<void(QPaintDevice*)>& paint, QByteArray* bytes,
                  QString* error);

// A picture reduced to at most 256 colours.
struct IndexedPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> indices; // row-major, width * height
    QVector<QRgb> palette;             // 1..256 entries
};

// Exact palette when the picture has at most 256 colours; otherwise a
// quantized one whose entries are the mean of the pixels mapped to them.
IndexedPicture toIndexed(const QImage& image);

// Encodes one GIF (87a, one frame) into device.
bool writeGif(const QImage& image, QIODevice* device, QString* error);

} // namespace imagesave
