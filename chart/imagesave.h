// The chart's image encoders: BMP, JPG and TIF through Qt's image writers,
// PNG through libpng, GIF through giflib. The format code alone picks the encoding,
// never the file name. Files are written atomically (atomicwrite.h): on any
// failure the target keeps its old content (or stays absent).
#pragma once

#include <QImage>
#include <QString>
#include <QVector>

#include <cstdint>
#include <string>
#include <vector>

class QIODevice;

// Image format codes of SaveImage and writeImageFile.
enum ImageFormat : int {
    FormatBMP = 0,
    FormatPNG = 1,
    FormatJPG = 2,
    FormatTIF = 3,
    FormatGIF = 4,
};

namespace imagesave
{

// Writes image to fileName (bytes, as the file system takes them) in the
// format an ImageFormat code names. On failure returns false and puts
// the reason into *error; the caller names the file.
bool writeImageFile(const QImage& image, const std::string& fileName, int format, QString* error);

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
