// Pixel measures shared by the picture tests: which pixels match, where
// they are, and how they run along a line. With CASES_DIR defined, also the
// reader of the case tables in tests/cases.
#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QRect>

#include <algorithm>
#include <cstdlib>
#include <functional>

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

} // namespace px

#ifdef CASES_DIR
#include <QFile>
#include <QtTest>

#include <deque>

// Adds the rows of CASES_DIR/<table>.tsv to the current test's data: a
// header line names the columns (all QString) after the row-name column;
// lines starting with '#' are notes.
inline void addRows(const char* table)
{
    static std::deque<QByteArray> names; // QTest keeps pointers to column names
    QFile f(QStringLiteral(CASES_DIR "/%1.tsv").arg(QLatin1String(table)));
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        qFatal("No case table %s", table);
    QStringList lines = QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
    lines.removeIf([](const QString& line) { return line.startsWith('#'); });
    for (const QString& column : lines.takeFirst().split('\t').mid(1)) {
        names.push_back(column.toUtf8());
        QTest::addColumn<QString>(names.back().constData());
    }
    for (const QString& line : lines) {
        const QStringList cells = line.split('\t');
        QTestData& row = QTest::newRow(qPrintable(cells[0]));
        for (const QString& cell : cells.mid(1))
            row << cell;
    }
}

// The current row's entry in the named column of a case table.
inline QString cell(const char* column)
{
    return *static_cast<QString*>(QTest::qData(column, qMetaTypeId<QString>()));
}
#endif
