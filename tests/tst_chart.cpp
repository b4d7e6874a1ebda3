// The chart component, checked through the pictures it renders and the
// files it writes: never-shown components on the offscreen platform.
#include "axischart.h"
#include "imagesave.h"
#include "piechart.h"

#include <QAbstractBarSeries>
#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QLegend>
#include <QLegendMarker>
#include <QPieSeries>
#include <QPieSlice>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QValueAxis>
#include <QtTest>

#include <cmath>

namespace {

constexpr QSize kSize(640, 480);
constexpr double kTwips = 15.0;

QColor colourOf(vp::Colour c)
{
    return QColor(vp::redOf(c), vp::greenOf(c), vp::blueOf(c));
}

bool isColour(QRgb pixel, const QColor& c)
{
    return (pixel & 0xffffff) == (c.rgb() & 0xffffff);
}

int countColour(const QImage& image, const QColor& c)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += isColour(image.pixel(x, y), c);
    return n;
}

QRect colourBox(const QImage& image, const QColor& c)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (isColour(image.pixel(x, y), c))
                box |= QRect(x, y, 1, 1);
    return box;
}

QPointF centroid(const QImage& image, const QList<QColor>& colours, int* count = nullptr)
{
    double sx = 0, sy = 0;
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            for (const QColor& c : colours)
                if (isColour(image.pixel(x, y), c)) {
                    sx += x;
                    sy += y;
                    ++n;
                }
    if (count)
        *count = n;
    return n ? QPointF(sx / n, sy / n) : QPointF();
}

// Runs of colour c along row y.
int runsInRow(const QImage& image, int y, const QColor& c)
{
    int runs = 0;
    bool inside = false;
    for (int x = 0; x < image.width(); ++x) {
        const bool hit = isColour(image.pixel(x, y), c);
        runs += hit && !inside;
        inside = hit;
    }
    return runs;
}

// Connected areas of colour c (4-neighbourhood) smaller than maxArea: the
// legend's markers, next to the big bars of the same colour.
QList<QRect> smallPatches(const QImage& image, const QColor& c, int maxArea)
{
    const int w = image.width();
    const int h = image.height();
    std::vector<char> seen(static_cast<std::size_t>(w) * h, 0);
    QList<QRect> patches;
    for (int y0 = 0; y0 < h; ++y0)
        for (int x0 = 0; x0 < w; ++x0) {
            if (seen[y0 * w + x0] || !isColour(image.pixel(x0, y0), c))
                continue;
            QRect box;
            int area = 0;
            QList<QPoint> stack{QPoint(x0, y0)};
            seen[y0 * w + x0] = 1;
            while (!stack.isEmpty()) {
                const QPoint p = stack.takeLast();
                box |= QRect(p, QSize(1, 1));
                ++area;
                const QPoint next[] = {p + QPoint(1, 0), p - QPoint(1, 0), p + QPoint(0, 1),
                                       p - QPoint(0, 1)};
                for (const QPoint& q : next)
                    if (q.x() >= 0 && q.y() >= 0 && q.x() < w && q.y() < h
                        && !seen[q.y() * w + q.x()] && isColour(image.pixel(q), c)) {
                        seen[q.y() * w + q.x()] = 1;
                        stack << q;
                    }
            }
            if (area < maxArea)
                patches << box;
        }
    return patches;
}

int darkPixels(const QImage& image, const QRect& area)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += qGray(image.pixel(x, y)) < 100;
    return n;
}

void place(ChartComponent& chart, QSize size = kSize)
{
    chart.setTwipsPerPixel(kTwips, kTwips);
    chart.setWidth(static_cast<float>(size.width() * kTwips));
    chart.setHeight(static_cast<float>(size.height() * kTwips));
}

void fillPie(PieChart& pie)
{
    place(pie);
    pie.setCaption(QStringLiteral("Colours"));
    pie.setLegendTitle(QStringLiteral("Categories"));
    pie.Items().Add(QStringLiteral("Red"), 12, 1);
    pie.Items().Add(QStringLiteral("Blue"), 30, 1);
    pie.Items().Add(QStringLiteral("Green"), 8, 1);
}

// Series k (0-based) holds values[k] over the categories A, B, C, ...
void fillBars(AxisChart& bars, const QList<QList<double>>& values)
{
    place(bars);
    for (int k = 0; k < values.size(); ++k) {
        BarSeries& series = bars.Series().Add(QStringLiteral("S%1").arg(k + 1), 1);
        for (int i = 0; i < values[k].size(); ++i)
            series.Values().Add(QString(QChar('A' + i)), values[k][i], 0);
    }
}

template <typename T> T* firstSeries(ChartComponent& chart)
{
    chart.flushPending();
    for (QAbstractSeries* s : chart.chart()->series())
        if (auto* found = qobject_cast<T*>(s))
            return found;
    return nullptr;
}

QByteArray head(const QString& path, int n)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.read(n);
}

} // namespace

class TestChart : public QObject {
    Q_OBJECT

private slots:
    void chartText_data();
    void chartText();
    void placementInTwips_data();
    void placementInTwips();
    void propertyWriteShowsWithoutRefresh();

    void pieSlicesTakeTheirColours();
    void explodedSliceIsPulledOut();
    void pieLabelsInsideOrOutside();
    void pieValuesAndEscapedLabels();
    void graduatedFillShadesTheSlice();

    void orientationTurnsTheBars();
    void orientationChangeLeavesNoOldAxes();
    void stackingModes();
    void valueAxisHoldsEveryBar_data();
    void valueAxisHoldsEveryBar();
    void barSpacing_data();
    void barSpacing();
    void repeatedCategoryLabelsKeepTheirBars();
    void valueLabels();

    void legendPosition_data();
    void legendPosition();
    void legendTitleIsDrawn();
    void captionFontSizeReachesTheTitle();
    void backgroundImageIsStretched();

    void savesFormatByCodeNotName_data();
    void savesFormatByCodeNotName();
    void identifyReadsEveryFormat();
    void gifKeepsFlatColoursExact();
    void gifQuantizedKeepsWhiteWhite();
    void failedSaveKeepsExistingFile_data();
    void failedSaveKeepsExistingFile();
    void saveReplacesExistingFile();
    void copyPutsThePictureOnTheClipboard();

private:
    QTemporaryDir dir_;
};

// ------------------------------------------------------------------- basics

void TestChart::chartText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain text unchanged") << "Blue sky" << "Blue sky";
    QTest::newRow("markup characters escaped") << "a<b & c>d" << "a&lt;b &amp; c&gt;d";
    QTest::newRow("doubled blank kept") << "two  spaces" << "two &nbsp;spaces";
    QTest::newRow("leading and trailing blanks kept") << " x " << "&nbsp;x&nbsp;";
    QTest::newRow("trailing blank of an axis label kept") << "Count " << "Count&nbsp;";
    QTest::newRow("quote escaped") << "say \"hi\"" << "say &quot;hi&quot;";
}

void TestChart::chartText()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(ChartComponent::chartText(text), expected);
}

void TestChart::placementInTwips_data()
{
    QTest::addColumn<double>("tpp");
    QTest::addColumn<float>("width");
    QTest::addColumn<int>("pixels");
    QTest::newRow("96 dpi, two thirds of 19200") << 15.0 << 12800.0f << 853;
    QTest::newRow("120 dpi") << 12.0 << 12800.0f << 1067;
    QTest::newRow("exact pixel count") << 15.0 << 9600.0f << 640;
}

// Width reads back the whole pixels the chart really has, so that the
// window centres what is drawn.
void TestChart::placementInTwips()
{
    QFETCH(double, tpp);
    QFETCH(float, width);
    QFETCH(int, pixels);
    PieChart pie;
    pie.setTwipsPerPixel(tpp, tpp);
    pie.setWidth(width);
    pie.setTop(100);
    pie.setLeft((19200 - pie.Width()) / 2);
    QCOMPARE(pie.width(), pixels);
    QCOMPARE(pie.Width(), float(pixels * tpp));
    QCOMPARE(pie.y(), int(std::lround(100 / tpp)));
    QCOMPARE(pie.x(), int(std::lround((19200 - pixels * tpp) / 2 / tpp)));
}

void TestChart::propertyWriteShowsWithoutRefresh()
{
    AxisChart bars;
    fillBars(bars, {{3, 7, 12}});
    bars.setCaption(QStringLiteral("First"));
    QCoreApplication::processEvents();
    QCOMPARE(bars.chart()->title(), QStringLiteral("First"));
    QVERIFY(firstSeries<QAbstractBarSeries>(bars));
    bars.setCaption(QStringLiteral("A & B"));
    bars.Series().Item(1).Values().Add(QStringLiteral("D"), 5, 0);
    QCoreApplication::processEvents();
    QCOMPARE(bars.chart()->title(), QStringLiteral("A &amp; B"));
    auto* axis = qobject_cast<QBarCategoryAxis*>(bars.chart()->axes(Qt::Horizontal).value(0));
    QVERIFY(axis);
    QCOMPARE(axis->count(), 4);
}

// -------------------------------------------------------------------- pie

void TestChart::pieSlicesTakeTheirColours()
{
    PieChart pie;
    fillPie(pie);
    QImage image = pie.renderImage();
    QCOMPARE(image.size(), kSize);
    for (int i = 1; i <= 3; ++i)
        QVERIFY2(countColour(image, colourOf(pie.Items().Item(i).Color())) > 500,
                 qPrintable(QStringLiteral("slice %1 missing").arg(i)));
    // Colours differ from slice to slice, and a new colour replaces the old.
    QVERIFY(pie.Items().Item(1).Color() != pie.Items().Item(2).Color());
    const QColor old = colourOf(pie.Items().Item(2).Color());
    pie.Items().Item(2).setColor(vp::rgb(250, 200, 0));
    image = pie.renderImage();
    QCOMPARE(countColour(image, old), 0);
    QVERIFY(countColour(image, QColor(250, 200, 0)) > 5000);
}

// The exploded slice moves away from the rest of the pie, measured in pie
// radii so that shrinking the pie does not count.
void TestChart::explodedSliceIsPulledOut()
{
    PieChart pie;
    fillPie(pie);
    pie.setShowLegend(false);
    QList<QColor> all;
    for (int i = 1; i <= 3; ++i)
        all << colourOf(pie.Items().Item(i).Color());
    auto offset = [&](const QImage& image) {
        int area = 0;
        const QPointF centre = centroid(image, all, &area);
        const QPointF slice = centroid(image, {all[0]});
        const double radius = std::sqrt(area / M_PI);
        return QLineF(centre, slice).length() / radius;
    };
    const double before = offset(pie.renderImage());
    pie.Items().Item(1).setExploded(true);
    const double after = offset(pie.renderImage());
    QVERIFY2(after > before + 0.05, qPrintable(QStringLiteral("%1 -> %2").arg(before).arg(after)));
    pie.Items().Item(1).setExploded(false);
    QCOMPARE(offset(pie.renderImage()), before);
}

// Outside labels are the only dark pixels beyond the pie when there is no
// legend and no title.
void TestChart::pieLabelsInsideOrOutside()
{
    PieChart pie;
    fillPie(pie);
    pie.setShowLegend(false);
    pie.setCaption(QString());
    QList<QColor> all;
    for (int i = 1; i <= 3; ++i)
        all << colourOf(pie.Items().Item(i).Color());
    auto darkOutsidePie = [&](const QImage& image) {
        int area = 0;
        const QPointF centre = centroid(image, all, &area);
        const double radius = std::sqrt(area / M_PI);
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                n += qGray(image.pixel(x, y)) < 100
                     && QLineF(centre, QPointF(x, y)).length() > radius + 3;
        return n;
    };
    QCOMPARE(darkOutsidePie(pie.renderImage()), 0);
    pie.setPieLabelMode(1);
    QVERIFY(darkOutsidePie(pie.renderImage()) > 50);
}

void TestChart::pieValuesAndEscapedLabels()
{
    PieChart pie;
    place(pie);
    pie.Items().Add(QStringLiteral("Red"), 12, 1);
    pie.Items().Add(QStringLiteral("a<b &  c"), 2.5, 1);
    auto* series = firstSeries<QPieSeries>(pie);
    QVERIFY(series);
    QCOMPARE(series->slices().at(0)->label(), QStringLiteral("Red"));
    QCOMPARE(series->slices().at(1)->label(), QStringLiteral("a&lt;b &amp; &nbsp;c"));
    pie.ShowValues(true);
    series = firstSeries<QPieSeries>(pie);
    QCOMPARE(series->slices().at(0)->label(), QStringLiteral("Red: 12"));
    QCOMPARE(series->slices().at(1)->label(), QStringLiteral("a&lt;b &amp; &nbsp;c: 2.5"));
    // The legend keeps the bare labels.
    const QList<QLegendMarker*> markers = pie.chart()->legend()->markers(series);
    QCOMPARE(markers.size(), 2);
    QCOMPARE(markers.at(0)->label(), QStringLiteral("Red"));
}

void TestChart::graduatedFillShadesTheSlice()
{
    PieChart pie;
    fillPie(pie);
    const QColor blue = colourOf(pie.Items().Item(2).Color());
    const int flat = countColour(pie.renderImage(), blue);
    pie.Items().Item(2).setFillMode(2);
    const QImage image = pie.renderImage();
    QVERIFY2(countColour(image, blue) < flat / 5, "the slice is still one flat colour");
    // The shades run from a light tint towards the slice colour.
    int lighter = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            lighter += c.hue() >= 0 && std::abs(c.hue() - blue.hue()) < 8
                       && c.lightness() > blue.lightness() + 30 && c.lightness() < 250;
        }
    QVERIFY(lighter > flat / 10);
}

// ------------------------------------------------------------------- bars

// Five equal bars: standing they are five runs along a row through their
// middle; lying they cross that row as one run.
void TestChart::orientationTurnsTheBars()
{
    AxisChart bars;
    fillBars(bars, {{10, 10, 10, 10, 10}});
    bars.setShowLegend(false); // its marker has the bars' colour
    const QColor c = colourOf(bars.Series().Item(1).Color());
    QImage image = bars.renderImage();
    QRect box = colourBox(image, c);
    QCOMPARE(runsInRow(image, box.center().y(), c), 5);
    QVERIFY(box.height() > box.width() / 5);
    bars.setOrientation(1);
    image = bars.renderImage();
    box = colourBox(image, c);
    QCOMPARE(runsInRow(image, box.center().y(), c), 1);
    int runsDown = 0;
    bool inside = false;
    for (int y = 0; y < image.height(); ++y) {
        const bool hit = isColour(image.pixel(box.center().x(), y), c);
        runsDown += hit && !inside;
        inside = hit;
    }
    QCOMPARE(runsDown, 5);
}

void TestChart::orientationChangeLeavesNoOldAxes()
{
    AxisChart turned;
    fillBars(turned, {{3, 7, 12}, {2, 5, 1}});
    turned.renderImage();
    turned.setOrientation(1);
    turned.setBarStackingMode(1);
    AxisChart fresh;
    fillBars(fresh, {{3, 7, 12}, {2, 5, 1}});
    fresh.setOrientation(1);
    fresh.setBarStackingMode(1);
    QCOMPARE(turned.renderImage(), fresh.renderImage());
}

// Two series over three categories: grouped bars stand side by side on the
// axis, stacked ones on top of each other, and stacked to 100 % every stack
// reaches the same height.
void TestChart::stackingModes()
{
    AxisChart bars;
    fillBars(bars, {{4, 8, 2}, {4, 2, 10}});
    bars.setShowLegend(false);
    const QColor first = colourOf(bars.Series().Item(1).Color());
    const QColor second = colourOf(bars.Series().Item(2).Color());
    auto bottomsAndTops = [&](const QImage& image, QList<int>* tops) {
        // For each column holding the second series, where it starts and
        // where the stack ends.
        QRect box = colourBox(image, first) | colourBox(image, second);
        int secondOnAxis = 0;
        const int axisRow = box.bottom() - 1;
        for (int x = box.left(); x <= box.right(); ++x)
            secondOnAxis += isColour(image.pixel(x, axisRow), second);
        if (tops) {
            tops->clear();
            for (int x = box.left(); x <= box.right(); ++x) {
                int y = box.top();
                while (y < box.bottom() && !isColour(image.pixel(x, y), first)
                       && !isColour(image.pixel(x, y), second))
                    ++y;
                if (y < box.bottom())
                    *tops << y;
            }
        }
        return secondOnAxis;
    };
    QList<int> tops;
    QVERIFY(bottomsAndTops(bars.renderImage(), nullptr) > 30);

    bars.setBarStackingMode(1);
    QCOMPARE(bottomsAndTops(bars.renderImage(), &tops), 0);
    const int stackedSpread = *std::max_element(tops.begin(), tops.end())
                              - *std::min_element(tops.begin(), tops.end());
    QVERIFY(stackedSpread > 50);

    bars.setBarStackingMode(2);
    QCOMPARE(bottomsAndTops(bars.renderImage(), &tops), 0);
    const int percentSpread = *std::max_element(tops.begin(), tops.end())
                              - *std::min_element(tops.begin(), tops.end());
    QVERIFY2(percentSpread <= 2, qPrintable(QString::number(percentSpread)));
}

void TestChart::valueAxisHoldsEveryBar_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<double>("atLeast");
    QTest::addColumn<double>("atMost");
    QTest::addColumn<double>("minimum");
    QTest::newRow("grouped: tallest bar") << 0 << 12.0 << 15.0 << 0.0;
    QTest::newRow("stacked: tallest stack") << 1 << 25.0 << 30.0 << 0.0;
    QTest::newRow("stacked to 100%") << 2 << 100.0 << 100.0 << 0.0;
}

void TestChart::valueAxisHoldsEveryBar()
{
    QFETCH(int, mode);
    QFETCH(double, atLeast);
    QFETCH(double, atMost);
    QFETCH(double, minimum);
    AxisChart bars;
    fillBars(bars, {{3, 7, 12}, {7, 6, 13}});
    bars.setBarStackingMode(mode);
    bars.flushPending();
    auto* axis = qobject_cast<QValueAxis*>(bars.chart()->axes(Qt::Vertical).value(0));
    QVERIFY(axis);
    QVERIFY2(axis->max() >= atLeast && axis->max() <= atMost, qPrintable(QString::number(axis->max())));
    QCOMPARE(axis->min(), minimum);
    // Round steps between the ticks.
    const double step = (axis->max() - axis->min()) / (axis->tickCount() - 1);
    QCOMPARE(step, std::round(step));
}

void TestChart::barSpacing_data()
{
    QTest::addColumn<int>("spacing");
    QTest::addColumn<double>("share");
    QTest::newRow("no gap") << 0 << 1.0;
    QTest::newRow("small gap") << 1 << 0.9;
    QTest::newRow("medium gap") << 2 << 0.75;
    QTest::newRow("large gap") << 3 << 0.5;
}

// The share of a row that the bars fill follows the spacing.
void TestChart::barSpacing()
{
    QFETCH(int, spacing);
    QFETCH(double, share);
    AxisChart bars;
    fillBars(bars, {{10, 10, 10, 10}});
    bars.setBarOutlineColor(bars.Series().Item(1).Color());
    bars.setSeriesBarSpacing(spacing);
    const QColor c = colourOf(bars.Series().Item(1).Color());
    const QImage image = bars.renderImage();
    bars.setSeriesBarSpacing(0);
    const QImage full = bars.renderImage();
    const int y = colourBox(full, c).center().y();
    int filled = 0, fullFilled = 0;
    for (int x = 0; x < image.width(); ++x) {
        filled += isColour(image.pixel(x, y), c);
        fullFilled += isColour(full.pixel(x, y), c);
    }
    QVERIFY(fullFilled > 300);
    QVERIFY2(std::abs(double(filled) / fullFilled - share) < 0.03,
             qPrintable(QStringLiteral("%1 of %2").arg(filled).arg(fullFilled)));
}

void TestChart::repeatedCategoryLabelsKeepTheirBars()
{
    AxisChart bars;
    place(bars);
    BarSeries& series = bars.Series().Add(QStringLiteral("S"), 1);
    series.Values().Add(QStringLiteral("A"), 5, 0);
    series.Values().Add(QStringLiteral("A"), 5, 0);
    series.Values().Add(QString(), 5, 0);
    bars.setShowLegend(false);
    const QColor c = colourOf(series.Color());
    const QImage image = bars.renderImage();
    QCOMPARE(runsInRow(image, colourBox(image, c).center().y(), c), 3);
}

void TestChart::valueLabels()
{
    AxisChart small;
    fillBars(small, {{3, 7, 12}});
    const QImage plain = small.renderImage();
    small.ShowValues(true);
    QVERIFY(firstSeries<QAbstractBarSeries>(small)->isLabelsVisible());
    const QImage labelled = small.renderImage();
    QVERIFY(darkPixels(labelled, labelled.rect()) > darkPixels(plain, plain.rect()) + 20);

    // A huge table keeps them off: thousands of rich-text items are too slow.
    AxisChart huge;
    place(huge);
    for (int s = 0; s < 20; ++s) {
        BarSeries& series = huge.Series().Add(QStringLiteral("S%1").arg(s), 1);
        for (int i = 0; i < 60; ++i)
            series.Values().Add(QStringLiteral("C%1").arg(i), i + s, 0);
    }
    huge.ShowValues(true);
    QVERIFY(!firstSeries<QAbstractBarSeries>(huge)->isLabelsVisible());
}

// ----------------------------------------------------------- look and feel

void TestChart::legendPosition_data()
{
    QTest::addColumn<int>("pos");
    QTest::addColumn<QRectF>("where"); // share of the picture
    QTest::newRow("right") << 0 << QRectF(0.7, 0.0, 0.3, 1.0);
    QTest::newRow("left") << 1 << QRectF(0.0, 0.0, 0.3, 1.0);
    QTest::newRow("top") << 2 << QRectF(0.0, 0.0, 1.0, 0.25);
    QTest::newRow("bottom") << 3 << QRectF(0.0, 0.75, 1.0, 0.25);
}

void TestChart::legendPosition()
{
    QFETCH(int, pos);
    QFETCH(QRectF, where);
    AxisChart bars;
    fillBars(bars, {{30, 70, 120}, {20, 50, 10}});
    bars.setLegendTitle(QStringLiteral("Legend"));
    bars.setLegendPos(pos);
    const QColor c = colourOf(bars.Series().Item(2).Color());
    QImage image = bars.renderImage();
    const QList<QRect> markers = smallPatches(image, c, 400);
    QCOMPARE(markers.size(), 1);
    const QPointF centre(markers.first().center().x() / double(image.width()),
                         markers.first().center().y() / double(image.height()));
    QVERIFY2(where.contains(centre), qPrintable(QStringLiteral("marker at %1, %2")
                                                    .arg(centre.x()).arg(centre.y())));
    bars.setShowLegend(false);
    image = bars.renderImage();
    QCOMPARE(smallPatches(image, c, 400).size(), 0);
}

void TestChart::legendTitleIsDrawn()
{
    PieChart pie;
    fillPie(pie);
    pie.setLegendTitle(QString());
    const QImage without = pie.renderImage();
    const QRect legend(int(kSize.width() * 0.75), 0, int(kSize.width() * 0.25), kSize.height());
    pie.setLegendTitle(QStringLiteral("Categories"));
    const QImage with = pie.renderImage();
    QVERIFY(darkPixels(with, legend) > darkPixels(without, legend) + 40);
}

void TestChart::captionFontSizeReachesTheTitle()
{
    PieChart pie;
    fillPie(pie);
    pie.setShowLegend(false);
    // The first band of rows with dark pixels, from the top.
    auto titleHeight = [&] {
        const QImage image = pie.renderImage();
        int y = 0;
        while (y < image.height() && darkPixels(image, QRect(0, y, image.width(), 1)) == 0)
            ++y;
        const int top = y;
        while (y < image.height() && darkPixels(image, QRect(0, y, image.width(), 1)) > 0)
            ++y;
        return y - top;
    };
    pie.CaptionFont().setSize(10);
    const int small = titleHeight();
    pie.CaptionFont().setSize(24);
    const int large = titleHeight();
    QVERIFY2(large > small * 3 / 2, qPrintable(QStringLiteral("%1 -> %2").arg(small).arg(large)));
}

// The picture covers the whole background, at any size.
void TestChart::backgroundImageIsStretched()
{
    PieChart pie;
    fillPie(pie);
    QImage picture(7, 5, QImage::Format_RGB32);
    picture.fill(QColor(255, 0, 255));
    pie.setBackImage(picture);
    pie.setBackImageDrawMode(1);
    QCOMPARE(countColour(pie.renderImage(), QColor(255, 0, 255)), 0);
    pie.setShowBackImage(true);
    for (const QSize size : {kSize, QSize(900, 500)}) {
        const QImage image = pie.renderImage(size);
        QCOMPARE(image.size(), size);
        for (const QPoint p : {QPoint(1, 1), QPoint(size.width() - 2, size.height() - 2),
                               QPoint(1, size.height() - 2)})
            QVERIFY(isColour(image.pixel(p), QColor(255, 0, 255)));
    }
    pie.setShowBackImage(false);
    QCOMPARE(countColour(pie.renderImage(), QColor(255, 0, 255)), 0);
}

// ------------------------------------------------------------------ files

void TestChart::savesFormatByCodeNotName_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("magic");
    QTest::addColumn<QByteArray>("readerFormat");
    QTest::newRow("BMP under .png") << 0 << "a.png" << QByteArray("BM") << QByteArray("bmp");
    QTest::newRow("PNG under .jpg") << 1 << "b.jpg" << QByteArray("\x89PNG") << QByteArray("png");
    QTest::newRow("JPG under .gif") << 2 << "c.gif" << QByteArray("\xff\xd8\xff")
                                    << QByteArray("jpeg");
    QTest::newRow("TIF under .bmp") << 3 << "d.bmp" << QByteArray("II*\0", 4)
                                    << QByteArray("tiff");
    QTest::newRow("GIF under .tif") << 4 << "e.tif" << QByteArray("GIF8") << QByteArray("gif");
    QTest::newRow("BMP with no extension") << 0 << "bare" << QByteArray("BM") << QByteArray("bmp");
    QTest::newRow("name with trailing blanks") << 1 << "f.png  " << QByteArray("\x89PNG")
                                               << QByteArray("png");
}

void TestChart::savesFormatByCodeNotName()
{
    QFETCH(int, format);
    QFETCH(QString, name);
    QFETCH(QByteArray, magic);
    QFETCH(QByteArray, readerFormat);
    PieChart pie;
    fillPie(pie);
    const QString path = dir_.filePath(name);
    const SaveResult result = pie.SaveImage(path, format);
    QVERIFY2(result.ok, qPrintable(result.error));
    QCOMPARE(head(path, magic.size()), magic);
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    QCOMPARE(reader.format(), readerFormat);
    const QImage back = reader.read();
    QVERIFY2(!back.isNull(), qPrintable(reader.errorString()));
    QCOMPARE(back.size(), kSize);
    // The file holds the rendered picture: the slice colours survive (JPG
    // and GIF only nearly).
    const QImage shown = pie.renderImage();
    const QPoint inside = colourBox(shown, colourOf(pie.Items().Item(2).Color())).center();
    const QColor expected = shown.pixelColor(inside);
    const QColor got = back.pixelColor(inside);
    const int tolerance = (format == 2 || format == 4) ? 12 : 0;
    QVERIFY(std::abs(expected.red() - got.red()) <= tolerance);
    QVERIFY(std::abs(expected.green() - got.green()) <= tolerance);
    QVERIFY(std::abs(expected.blue() - got.blue()) <= tolerance);
}

void TestChart::identifyReadsEveryFormat()
{
    const QString identify = QStandardPaths::findExecutable(QStringLiteral("identify"));
    if (identify.isEmpty())
        QSKIP("ImageMagick's identify is not installed");
    AxisChart bars;
    fillBars(bars, {{3, 7, 12}, {2, 5, 1}});
    const char* expected[] = {"BMP", "PNG", "JPEG", "TIFF", "GIF"};
    for (int format = 0; format <= 4; ++format) {
        const QString path = dir_.filePath(QStringLiteral("identify%1.img").arg(format));
        QVERIFY(bars.SaveImage(path, format).ok);
        QProcess process;
        process.start(identify, {QStringLiteral("-format"), QStringLiteral("%m %w %h"), path});
        QVERIFY(process.waitForFinished(20000));
        QCOMPARE(process.exitCode(), 0);
        const QStringList fields =
            QString::fromLatin1(process.readAllStandardOutput()).trimmed().split(QLatin1Char(' '));
        QCOMPARE(fields.size(), 3);
        // BMP is reported as BMP3, the BMP version written.
        QVERIFY2(fields[0].startsWith(QLatin1String(expected[format])), qPrintable(fields[0]));
        QCOMPARE(fields[1], QStringLiteral("640"));
        QCOMPARE(fields[2], QStringLiteral("480"));
    }
}

void TestChart::gifKeepsFlatColoursExact()
{
    QImage flat(120, 90, QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter painter(&flat);
    painter.fillRect(10, 10, 50, 40, QColor(32, 159, 223));
    painter.fillRect(60, 40, 50, 40, QColor(201, 7, 99));
    painter.end();
    const QString path = dir_.filePath(QStringLiteral("flat.gif"));
    QString error;
    QVERIFY2(imagesave::writeImageFile(flat, path, FormatGIF, &error), qPrintable(error));
    const QImage back = QImage(path).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(back.size(), flat.size());
    for (int y = 0; y < flat.height(); ++y)
        for (int x = 0; x < flat.width(); ++x)
            QCOMPARE(back.pixel(x, y), flat.pixel(x, y));
}

// More than 256 colours go through the quantizer; a large white area must
// still come back white, not the quantizer's 248.
void TestChart::gifQuantizedKeepsWhiteWhite()
{
    QImage many(300, 200, QImage::Format_RGB32);
    many.fill(Qt::white);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 300; ++x)
            many.setPixel(x, y, qRgb(x * 255 / 299, y * 2, 128));
    const imagesave::IndexedPicture indexed = imagesave::toIndexed(many);
    QVERIFY(indexed.palette.size() <= 256);
    const QString path = dir_.filePath(QStringLiteral("many.gif"));
    QString error;
    QVERIFY2(imagesave::writeImageFile(many, path, FormatGIF, &error), qPrintable(error));
    const QImage back = QImage(path).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(back.pixel(150, 150), qRgb(255, 255, 255));
    int worst = 0;
    for (int y = 0; y < 100; y += 3)
        for (int x = 0; x < 300; x += 3) {
            const QRgb a = many.pixel(x, y), b = back.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                              std::abs(qBlue(a) - qBlue(b))});
        }
    QVERIFY2(worst <= 16, qPrintable(QString::number(worst)));
}

void TestChart::failedSaveKeepsExistingFile_data()
{
    QTest::addColumn<QString>("target");   // relative to the temporary folder
    QTest::addColumn<int>("format");
    QTest::addColumn<bool>("nullPicture"); // encoder fails half way
    QTest::newRow("missing folder") << "no/such/folder/x.png" << 1 << false;
    QTest::newRow("onto a folder") << "adir" << 0 << false;
    QTest::newRow("unknown format code") << "kept.bin" << 9 << false;
    QTest::newRow("PNG encoder fails") << "kept.png" << 1 << true;
    QTest::newRow("GIF encoder fails") << "kept.gif" << 4 << true;
}

void TestChart::failedSaveKeepsExistingFile()
{
    QFETCH(QString, target);
    QFETCH(int, format);
    QFETCH(bool, nullPicture);
    QVERIFY(QDir(dir_.path()).mkpath(QStringLiteral("adir")));
    const QString path = dir_.filePath(target);
    const bool existing = !QFileInfo(path).isDir() && QFileInfo(path).dir().exists();
    if (existing) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("keep me");
    }
    QString error;
    bool ok;
    if (nullPicture) {
        ok = imagesave::writeImageFile(QImage(), path, format, &error);
    } else {
        PieChart pie;
        fillPie(pie);
        const SaveResult result = pie.SaveImage(path, format);
        ok = result.ok;
        error = result.error;
    }
    QVERIFY(!ok);
    QVERIFY(!error.isEmpty());
    if (existing)
        QCOMPARE(head(path, 100), QByteArray("keep me"));
    else
        QVERIFY(!QFileInfo(path).isFile());
    // No temporary file left beside the target.
    const QStringList left = QFileInfo(path).dir().entryList(QDir::Files);
    for (const QString& name : left)
        QVERIFY2(!name.contains(QLatin1String(".XXXXXX")) && !name.startsWith(QLatin1String("qt_temp")),
                 qPrintable(name));
}

void TestChart::saveReplacesExistingFile()
{
    const QString path = dir_.filePath(QStringLiteral("again.bmp"));
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(100000, 'x'));
    }
    AxisChart bars;
    fillBars(bars, {{1, 2}});
    QVERIFY(bars.SaveImage(path, FormatBMP).ok);
    QCOMPARE(head(path, 2), QByteArray("BM"));
    QCOMPARE(QImage(path).convertToFormat(QImage::Format_RGB32),
             bars.renderImage().convertToFormat(QImage::Format_RGB32));
}

void TestChart::copyPutsThePictureOnTheClipboard()
{
    PieChart pie;
    fillPie(pie);
    QVERIFY(pie.CopyToClipboard());
    QCOMPARE(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32),
             pie.renderImage());
}

QTEST_MAIN(TestChart)
#include "tst_chart.moc"
