// SPDX-License-Identifier: GPL-3.0-or-later
// Pixel measures shared by the picture tests: which pixels match, where
// they are, and how they run along a line.
#pragma once

#include "chartstate.h"

#include <QColor>
#include <QImage>
#include <QList>
#include <QRect>

#include <algorithm>
#include <cstdlib>
#include <functional>

// A chart colour as a QColor.
inline QColor qc(vp::Colour c)
{
    return QColor(vp::redOf(c), vp::greenOf(c), vp::blueOf(c));
}

namespace px
{

inline bool same(QRgb pixel, const QColor& c)
{
    return (pixel & 0xffffff) == (c.rgb() & 0xffffff);
}

// The largest difference in one channel.
inline int distance(const QColor& a, const QColor& b)
{
    return std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()),
                     std::abs(a.blue() - b.blue())});
}

// The pixels for which `hit` holds: how many, their bounding box, their centre.
struct Area {
    int count = 0;
    QRect box;
    QPointF centre;
};

inline Area area(const QImage& image, const std::function<bool(QRgb)>& hit)
{
    Area a;
    double sx = 0, sy = 0;
    int left = image.width(), top = image.height(), right = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (hit(image.pixel(x, y))) {
                ++a.count;
                sx += x;
                sy += y;
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
    if (a.count) {
        a.box = QRect(QPoint(left, top), QPoint(right, bottom));
        a.centre = QPointF(sx / a.count, sy / a.count);
    }
    return a;
}

inline Area area(const QImage& image, const QColor& c)
{
    return area(image, [&](QRgb p) { return same(p, c); });
}

// Anything not (nearly) white: the ink on a printed page.
inline QRect inkBox(const QImage& image)
{
    return area(image, [](QRgb p) { return qRed(p) < 245 || qGreen(p) < 245 || qBlue(p) < 245; })
        .box;
}

// Dark pixels: text and outlines.
inline int dark(const QImage& image)
{
    return area(image, [](QRgb p) { return qGray(p) < 100; }).count;
}

// Runs of colour c along the line from `from` in steps of `step`.
inline int runs(const QImage& image, QPoint from, QPoint step, const QColor& c)
{
    int n = 0;
    bool inside = false;
    for (QPoint p = from; image.rect().contains(p); p += step) {
        const bool hit = same(image.pixel(p), c);
        n += hit && !inside;
        inside = hit;
    }
    return n;
}

} // namespace px
