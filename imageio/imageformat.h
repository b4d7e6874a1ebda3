// SPDX-License-Identifier: GPL-3.0-or-later
// The picture formats VELDRAPLOT writes, by code and by name. The code alone
// picks the encoding, never a file name.
#pragma once

#include <string>

enum ImageFormat : int {
    FormatBMP = 0,
    FormatPNG = 1,
    FormatJPG = 2,
    FormatTIF = 3,
    FormatGIF = 4,
    // Vector pictures, text kept as text.
    FormatSVG = 5,
    FormatPDF = 6,
};

namespace imageio
{

// SVG and PDF: drawn as vectors, not as pixels.
inline bool isVectorFormat(int format)
{
    return format == FormatSVG || format == FormatPDF;
}

// "bmp", "png", "jpg" (or "jpeg"), "tif" (or "tiff"), "gif", "svg", "pdf";
// -1 for any other name.
int formatFromName(const std::string& name);

// A file name's extension in lower case ("" for none; a leading dot starts
// a hidden file's name, not an extension).
std::string lowerSuffix(const std::string& path);

// The format given (when not -1), else the one the file's extension names,
// PNG for a name without one, and -1 for an extension that names none.
int formatForFile(int given, const std::string& path);

} // namespace imageio
