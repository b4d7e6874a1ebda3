// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture.h"

#include <QtGlobal>

#include <cstdint>

#include <sys/mman.h>
#include <unistd.h>

namespace imageio
{
namespace
{

// Maps the picture's memory in one call. Painting would otherwise fault its
// pages in one at a time, and on virtual machines every such fault is a
// costly trap.
void prefault(QImage& image)
{
#ifdef MADV_POPULATE_WRITE
    const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    auto begin = reinterpret_cast<std::uintptr_t>(image.bits());
    auto end = begin + static_cast<std::uintptr_t>(image.sizeInBytes());
    begin = (begin + page - 1) & ~(page - 1);
    end &= ~(page - 1);
    if (end > begin) // older kernels refuse the advice: the pages then fault in as before
        ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_POPULATE_WRITE);
#else
    Q_UNUSED(image);
#endif
}

} // namespace

QString pictureText(const QString& text)
{
    QString out = text;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text.at(i).unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < n && text.at(i + 1).isLowSurrogate()) {
            ++i; // a pair: one character beyond the BMP
            continue;
        }
        const bool allowed = !QChar::isSurrogate(c) &&
                             (c >= 0x20 ? c < 0xFFFE : c == 0x09 || c == 0x0A || c == 0x0D);
        if (!allowed)
            out[i] = QChar::ReplacementCharacter; // out is copied once, at the first
    }
    return out;
}

QImage rasterize(const Picture& picture)
{
    const int scale = qBound(1, picture.scale, 4);
    QImage image(picture.size.expandedTo(QSize(1, 1)) * scale, QImage::Format_RGB32);
    if (image.isNull()) // not enough memory
        return image;
    prefault(image);
    if (scale > 1) {
        image.setDevicePixelRatio(scale);
        image.setDotsPerMeterX(image.dotsPerMeterX() * scale);
        image.setDotsPerMeterY(image.dotsPerMeterY() * scale);
    }
    picture.paint(&image);
    image.setDevicePixelRatio(1);
    return image;
}

} // namespace imageio
