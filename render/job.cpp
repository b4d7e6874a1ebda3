// SPDX-License-Identifier: GPL-3.0-or-later
#include "job.h"

#include <cstdio>
#include <filesystem>

#include <sys/stat.h>

namespace render
{

const char kFormatNames[] = "jpg, bmp, tif, gif, png, svg or pdf";

bool parseSize(const char* text, int& width, int& height)
{
    auto side = [](const char*& p, int& out) {
        constexpr int kMaxDigits = 6; // enough for kMaxSide and a digit more
        int digits = 0;
        long value = 0;
        for (; *p >= '0' && *p <= '9' && digits < kMaxDigits; ++p, ++digits)
            value = value * 10 + (*p - '0');
        out = static_cast<int>(value);
        return digits > 0 && value >= kMinSide && value <= kMaxSide;
    };
    const char* p = text;
    return side(p, width) && *p++ == 'x' && side(p, height) && *p == '\0';
}

namespace
{

// The length of the well-formed UTF-8 sequence at `at`, 0 when there is none.
std::size_t sequenceLength(const std::string& text, std::size_t at)
{
    const auto lead = static_cast<unsigned char>(text[at]);
    const std::size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                               : lead >= 0xE0 && lead <= 0xEF ? 3
                               : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                              : 0;
    for (std::size_t k = 1; k < length; ++k)
        if (at + k >= text.size() || (static_cast<unsigned char>(text[at + k]) & 0xC0) != 0x80)
            return 0;
    return length;
}

} // namespace

std::string shownText(const std::string& text)
{
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        // U+0080 to U+009F, the C1 controls: both bytes are escaped.
        const bool c1 = c == 0xC2 && next >= 0x80 && next <= 0x9F;
        const std::size_t length = c1          ? 0
                                   : c >= 0x80 ? sequenceLength(text, i)
                                               : c >= 0x20 && c != 0x7F;
        if (length > 0) {
            shown.append(text, i, length);
            i += length;
            continue;
        }
        for (const std::size_t end = i + (c1 ? 2 : 1); i < end; ++i) {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(text[i]));
            shown += hex;
        }
    }
    return shown;
}

void printMessage(const char* program, const std::string& text)
{
    const std::string line = std::string(program) + ": " + shownText(text) + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

std::string fileIdentity(const std::string& path)
{
    struct stat st = {};
    if (::stat(path.c_str(), &st) == 0)
        return "file " + std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path absolute = fs::absolute(path, error).lexically_normal();
    const fs::path resolved = fs::weakly_canonical(absolute, error);
    return "path " + (error ? absolute : resolved).string();
}

} // namespace render
