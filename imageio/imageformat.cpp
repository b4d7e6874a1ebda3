// SPDX-License-Identifier: GPL-3.0-or-later
#include "imageformat.h"

#include <cctype>

namespace imageio
{

int formatFromName(const std::string& name)
{
    static const char* const names[] = {"bmp", "png", "jpg", "tif", "gif", "svg", "pdf"};
    for (int i = 0; i <= FormatPDF; ++i)
        if (name == names[i])
            return i;
    if (name == "jpeg")
        return FormatJPG;
    if (name == "tiff")
        return FormatTIF;
    return -1;
}

std::string lowerSuffix(const std::string& path)
{
    // The dot that starts a hidden file's name starts no extension.
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot == 0 || path[dot - 1] == '/' ||
        path.find('/', dot) != std::string::npos)
        return {};
    std::string suffix = path.substr(dot + 1);
    for (char& c : suffix)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return suffix;
}

int formatForFile(int given, const std::string& path)
{
    if (given >= 0)
        return given;
    const std::string suffix = lowerSuffix(path);
    return suffix.empty() ? FormatPNG : formatFromName(suffix);
}

} // namespace imageio
