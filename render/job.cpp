#include "job.h"

namespace render
{

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

} // namespace render
