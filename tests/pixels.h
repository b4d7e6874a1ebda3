// Pixel measures shared by the picture tests: which pixels match, where
// they are, and how they run along a line.
#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QRect>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <vector>

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

// Dark pixels (text, outlines) inside `r`, or the whole image.
inline int dark(const QImage& image, QRect r = QRect())
{
    if (r.isNull())
        r = image.rect();
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += qGray(image.pixel(x, y)) < 100;
    return n;
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

// Boxes of the connected areas (4-neighbourhood) of colour c smaller than
// maxArea: legend markers next to big bars of the same colour.
inline QList<QRect> smallPatches(const QImage& image, const QColor& c, int maxArea)
{
    const int w = image.width(), h = image.height();
    std::vector<char> seen(static_cast<std::size_t>(w) * h, 0);
    QList<QRect> patches;
    for (int y0 = 0; y0 < h; ++y0)
        for (int x0 = 0; x0 < w; ++x0) {
            if (seen[y0 * w + x0] || !same(image.pixel(x0, y0), c))
                continue;
            QRect box;
            int count = 0;
            QList<QPoint> stack{QPoint(x0, y0)};
            seen[y0 * w + x0] = 1;
            while (!stack.isEmpty()) {
                const QPoint p = stack.takeLast();
                box |= QRect(p, QSize(1, 1));
                ++count;
                for (const QPoint q :
                     {p + QPoint(1, 0), p - QPoint(1, 0), p + QPoint(0, 1), p - QPoint(0, 1)})
                    if (image.rect().contains(q) && !seen[q.y() * w + q.x()] &&
                        same(image.pixel(q), c)) {
                        seen[q.y() * w + q.x()] = 1;
                        stack << q;
                    }
            }
            if (count < maxArea)
                patches << box;
        }
    return patches;
}

} // namespace px
