// SPDX-License-Identifier: GPL-3.0-or-later
// Median cut over a histogram of 6 bits per channel. A box is split where
// its pixels divide in half along its longest side, always the box with the
// longest side, so that no colour ends up far from its entry. Each entry is
// the mean of the pixels in its box (a flat white area stays exactly
// white); one refining pass then moves every histogram cell to its nearest
// entry and takes the means again.
#include "quantize.h"

#include <QSet>

#include <algorithm>
#include <array>
#include <climits>

namespace imageio
{
namespace
{

constexpr int kMaxColours = 256;
constexpr int kBits = 6; // per channel in the histogram
constexpr int kShift = 8 - kBits;
constexpr int kCells = 1 << (3 * kBits);
constexpr int kLevels = 1 << kBits;

struct Cell {
    quint64 count = 0, r = 0, g = 0, b = 0;
};

// The histogram: per cell the number of pixels and their channel sums.
struct Histogram {
    std::vector<Cell> cells = std::vector<Cell>(kCells);
    std::vector<int> used; // the cells holding pixels, in cell order
};

int cellOf(QRgb c)
{
    return ((qRed(c) >> kShift) << (2 * kBits)) | ((qGreen(c) >> kShift) << kBits) |
           (qBlue(c) >> kShift);
}

// A cell's coordinate along axis 0 (red), 1 (green) or 2 (blue).
int channel(int cell, int axis)
{
    return (cell >> ((2 - axis) * kBits)) & (kLevels - 1);
}

Histogram histogramOf(const QImage& rgb)
{
    Histogram h;
    const int w = rgb.width();
    const int rows = rgb.height();
    for (int y = 0; y < rows; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            Cell& cell = h.cells[cellOf(line[x])];
            ++cell.count;
            cell.r += qRed(line[x]);
            cell.g += qGreen(line[x]);
            cell.b += qBlue(line[x]);
        }
    }
    for (int i = 0; i < kCells; ++i)
        if (h.cells[i].count)
            h.used.push_back(i);
    return h;
}

// A run [begin, end) of the used cells, with its longest side.
struct Box {
    int begin, end, axis, range;
};

Box measure(const std::vector<int>& ids, int begin, int end)
{
    int lo[3] = {kLevels, kLevels, kLevels}, hi[3] = {-1, -1, -1};
    for (int i = begin; i < end; ++i)
        for (int a = 0; a < 3; ++a) {
            lo[a] = std::min(lo[a], channel(ids[i], a));
            hi[a] = std::max(hi[a], channel(ids[i], a));
        }
    Box box{begin, end, 0, hi[0] - lo[0]};
    for (int a = 1; a < 3; ++a)
        if (hi[a] - lo[a] > box.range)
            box = Box{begin, end, a, hi[a] - lo[a]};
    return box;
}

// Where a box sorted along its axis divides its pixels in half, never
// between two cells of the same coordinate.
int medianSplit(const Histogram& h, const std::vector<int>& ids, const Box& box)
{
    quint64 total = 0;
    for (int i = box.begin; i < box.end; ++i)
        total += h.cells[ids[i]].count;
    quint64 seen = h.cells[ids[box.begin]].count;
    int split = box.begin + 1;
    while (split < box.end - 1 && seen * 2 < total)
        seen += h.cells[ids[split++]].count;
    auto sameAsBefore = [&](int at) {
        return channel(ids[at], box.axis) == channel(ids[at - 1], box.axis);
    };
    while (split < box.end && split > box.begin && sameAsBefore(split))
        ++split;
    if (split == box.end) {
        split = box.end - 1;
        while (split > box.begin && sameAsBefore(split))
            --split;
    }
    return split;
}

// Splits the widest box until there are enough or none can be split.
std::vector<Box> medianCut(const Histogram& h, std::vector<int>& ids)
{
    std::vector<Box> boxes{measure(ids, 0, static_cast<int>(ids.size()))};
    while (boxes.size() < kMaxColours) {
        auto widest = std::max_element(boxes.begin(), boxes.end(), [](const Box& a, const Box& b) {
            return a.range < b.range;
        });
        if (widest->range == 0)
            break;
        const Box box = *widest;
        std::sort(ids.begin() + box.begin, ids.begin() + box.end,
                  [&](int a, int b) { return channel(a, box.axis) < channel(b, box.axis); });
        const int split = medianSplit(h, ids, box);
        *widest = measure(ids, box.begin, split);
        boxes.push_back(measure(ids, split, box.end));
    }
    return boxes;
}

// Each entry: the rounded mean of the pixels of the cells mapped to it.
QVector<QRgb> entryMeans(const Histogram& h, const std::vector<int>& entryOf, int entries)
{
    std::vector<std::array<quint64, 4>> sums(std::size_t(entries), {0, 0, 0, 0});
    for (int id : h.used) {
        auto& s = sums[entryOf[id]];
        s[0] += h.cells[id].r;
        s[1] += h.cells[id].g;
        s[2] += h.cells[id].b;
        s[3] += h.cells[id].count;
    }
    QVector<QRgb> palette;
    for (const auto& s : sums)
        palette.push_back(s[3] == 0
                              ? qRgb(0, 0, 0)
                              : qRgb(int((s[0] + s[3] / 2) / s[3]), int((s[1] + s[3] / 2) / s[3]),
                                     int((s[2] + s[3] / 2) / s[3])));
    return palette;
}

// The entry nearest to a cell's mean colour; ties keep the lower entry.
int nearestEntry(const Cell& c, const QVector<QRgb>& palette, int start)
{
    const int r = int(c.r / c.count), g = int(c.g / c.count), b = int(c.b / c.count);
    int best = start;
    int bestDistance = INT_MAX;
    for (int e = 0; e < palette.size(); ++e) {
        const int dr = qRed(palette[e]) - r, dg = qGreen(palette[e]) - g,
                  db = qBlue(palette[e]) - b;
        const int d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) {
            bestDistance = d;
            best = e;
        }
    }
    return best;
}

void indexPixels(const QImage& rgb, const std::vector<int>& entryOf, IndexedPicture* out)
{
    const int w = rgb.width();
    out->indices.resize(static_cast<std::size_t>(w) * rgb.height());
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        std::uint8_t* dst = out->indices.data() + static_cast<std::size_t>(y) * w;
        for (int x = 0; x < w; ++x)
            dst[x] = static_cast<std::uint8_t>(entryOf[cellOf(line[x])]);
    }
}

// Copies an 8-bit indexed image's pixels into out.
void copyIndices(const QImage& indexed, IndexedPicture* out)
{
    for (int y = 0; y < indexed.height(); ++y)
        std::copy_n(indexed.constScanLine(y), out->width,
                    out->indices.data() + static_cast<std::size_t>(y) * out->width);
}

// The picture's colours when it has at most 256 of them (made opaque),
// else an empty set.
QSet<QRgb> fewColours(const QImage& rgb)
{
    QSet<QRgb> colours;
    for (int y = 0; y < rgb.height() && colours.size() <= kMaxColours; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width() && colours.size() <= kMaxColours; ++x)
            colours.insert(line[x] | 0xff000000u);
    }
    return colours.size() <= kMaxColours ? colours : QSet<QRgb>();
}

} // namespace

bool quantize(const QImage& rgb, IndexedPicture* out)
{
    const Histogram h = histogramOf(rgb);
    if (h.used.empty())
        return false;
    std::vector<int> ids = h.used;
    const std::vector<Box> boxes = medianCut(h, ids);
    std::vector<int> entryOf(kCells, 0);
    for (int e = 0; e < static_cast<int>(boxes.size()); ++e)
        for (int i = boxes[e].begin; i < boxes[e].end; ++i)
            entryOf[ids[i]] = e;
    const int entries = static_cast<int>(boxes.size());
    const QVector<QRgb> first = entryMeans(h, entryOf, entries);
    for (int id : h.used)
        entryOf[id] = nearestEntry(h.cells[id], first, entryOf[id]);
    out->palette = entryMeans(h, entryOf, entries);
    indexPixels(rgb, entryOf, out);
    return true;
}

IndexedPicture toIndexed(const QImage& image)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    IndexedPicture out;
    out.width = rgb.width();
    out.height = rgb.height();
    out.indices.resize(static_cast<std::size_t>(out.width) * out.height);

    // Exact palette first when the picture has at most 256 colours; Qt then
    // maps every pixel to its own entry. The set's order follows the
    // process's hash seed, so the entries are sorted: the same picture
    // gives the same file in every run.
    const QSet<QRgb> colours = fewColours(rgb);
    if (!colours.isEmpty() || rgb.isNull()) {
        out.palette = QVector<QRgb>(colours.begin(), colours.end());
        std::sort(out.palette.begin(), out.palette.end());
        if (out.palette.isEmpty())
            out.palette.push_back(qRgb(0, 0, 0));
        copyIndices(rgb.convertToFormat(QImage::Format_Indexed8, out.palette,
                                        Qt::ThresholdDither | Qt::AvoidDither),
                    &out);
        return out;
    }
    if (!quantize(rgb, &out)) {
        // Last resort: Qt's own reduction (never expected to be needed).
        const QImage indexed = rgb.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
        out.palette = indexed.colorTable();
        copyIndices(indexed, &out);
    }
    return out;
}

} // namespace imageio
