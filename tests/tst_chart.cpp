// SPDX-License-Identifier: GPL-3.0-or-later
// The chart component, checked through the pictures it renders and the
// files it writes: never-shown components on the offscreen platform.
#include "axischart.h"
#include "caserows.h"
#include "gifencoder.h"
#include "piechart.h"
#include "pixels.h"
#include "pngencoder.h"
#include "saveimage.h"

#include <QtCharts>
#include <QtTest>

#include <cmath>
#include <random>

namespace
{

constexpr QSize kSize(640, 480);

void place(ChartComponent& chart, QSize size = kSize)
{
    chart.setTwipsPerPixel(15, 15);
    chart.setWidth(size.width() * 15.0f);
    chart.setHeight(size.height() * 15.0f);
}

// Series k (0-based) holds values[k] over the categories A, B, C, ... or
// those named in `labels`.
void fillBars(AxisChart& bars, const QList<QList<double>>& values, const QStringList& labels = {})
{
    place(bars);
    for (int k = 0; k < values.size(); ++k) {
        BarSeries& series = bars.Series().Add(QStringLiteral("S%1").arg(k + 1), 1);
        for (int i = 0; i < values[k].size(); ++i)
            series.Values().Add(labels.value(i, QString(QChar('A' + i))), values[k][i], 0);
    }
}

// What the pointer is told over every third point of the chart's picture,
// and the share of the points drawn in one of `colours` that are told
// nothing or told of another series or slice than the one of that colour
// (colourOf names the colour of a text's series or slice).
std::pair<QSet<QString>, double> hover(ChartComponent& chart, const QList<QColor>& colours,
                                       const std::function<QColor(const QString&)>& colourOf)
{
    const QImage image = chart.renderImage();
    QSet<QString> told;
    int drawn = 0, stray = 0;
    for (int y = 1; y < image.height(); y += 3)
        for (int x = 1; x < image.width(); x += 3) {
            QRectF area;
            const QPointF at(x + 0.5, y + 0.5);
            const QString text = chart.toolTipAt(at, area);
            const QRgb p = image.pixel(x, y);
            const bool in = std::any_of(colours.begin(), colours.end(),
                                        [&](const QColor& c) { return px::same(p, c); });
            drawn += in, stray += in && (text.isEmpty() || !px::same(p, colourOf(text)));
            if (!text.isEmpty())
                told << text;
            if (!area.isEmpty() && !area.contains(at)) // a bar's area holds the point
                return {};
        }
    return {told, drawn ? double(stray) / drawn : 1.0};
}

QPieSeries* pieSeries(PieChart& pie)
{
    pie.flushPending();
    return pie.chart()->findChild<QPieSeries*>();
}

} // namespace

class TestChart : public QObject
{
    Q_OBJECT

  private slots:
    // Labels reach the chart escaped (markup, doubled and outer blanks), and
    // one over 1,000 characters as its first 999 and an ellipsis; with
    // values they carry the number, and the legend keeps the bare label.
    void pieSliceLabels()
    {
        PieChart pie;
        place(pie);
        pie.Items().Add(QStringLiteral(" Red"), 12, 1);
        pie.Items().Add(QStringLiteral("a<b &  \"c\""), 2.5, 1);
        pie.Items().Add(QString(998, 'x') + "yz" + QString(500, 'z'), 1, 1);
        QCOMPARE(pieSeries(pie)->slices().at(1)->label(),
                 QStringLiteral("a&lt;b &amp; &nbsp;&quot;c&quot;"));
        QCOMPARE(pieSeries(pie)->slices().at(2)->label(), QString(998, 'x') + "y" + QChar(0x2026));
        pie.ShowValues(true);
        QPieSeries* series = pieSeries(pie);
        QCOMPARE(series->slices().at(0)->label(), QStringLiteral("&nbsp;Red: 12"));
        QCOMPARE(series->slices().at(1)->label(),
                 QStringLiteral("a&lt;b &amp; &nbsp;&quot;c&quot;: 2.5"));
        QCOMPARE(pie.chart()->legend()->markers(series).at(0)->label(),
                 QStringLiteral("&nbsp;Red"));
    }

    // A pie is drawn by its shares: 1/8, 1/4 and 5/8 as 2, 4 and 10.
    void pieShares()
    {
        QList<QImage> pictures;
        for (const double scale : {16.0, 1.0}) {
            PieChart pie;
            place(pie);
            pie.setPieLabelMode(1);
            for (const double share : {0.125, 0.25, 0.625})
                pie.Items().Add(QStringLiteral("Slice"), share * scale, 1);
            pictures << pie.renderImage();
        }
        QCOMPARE(pictures[1], pictures[0]);
    }

    // An exploded slice moves away from the pie's centre (in pie radii, so
    // that a shrinking pie does not count). With no legend and no title,
    // outside labels are the only dark pixels beyond the pie. A graduated
    // slice is no longer one flat colour.
    void pieSlices()
    {
        PieChart pie;
        place(pie);
        pie.setShowLegend(false);
        QList<QColor> slices;
        for (const auto& [label, value] :
             {std::pair("Red", 12), std::pair("Blue", 30), std::pair("Green", 8)})
            slices << qc(pie.Items().Add(QString::fromLatin1(label), value, 1).Color());
        auto measure = [&] { // the slice's offset, the dark pixels outside
            const QImage image = pie.renderImage();
            const px::Area whole = px::area(image, [&](QRgb p) {
                return std::any_of(slices.begin(), slices.end(),
                                   [&](const QColor& c) { return px::same(p, c); });
            });
            const double radius = std::sqrt(whole.count / M_PI);
            int outside = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    outside += qGray(image.pixel(x, y)) < 100 &&
                               QLineF(whole.centre, QPointF(x, y)).length() > radius + 3;
            return std::pair(
                QLineF(whole.centre, px::area(image, slices[0]).centre).length() / radius, outside);
        };
        const auto [before, darkBefore] = measure();
        QCOMPARE(darkBefore, 0);
        pie.Items().Item(1).setExploded(true);
        const double after = measure().first;
        QVERIFY2(after > before + 0.05,
                 qPrintable(QStringLiteral("%1 -> %2").arg(before).arg(after)));
        pie.setPieLabelMode(1);
        QVERIFY(measure().second > 50);
        const QColor blue = qc(pie.Items().Item(3).Color());
        const int flat = px::area(pie.renderImage(), blue).count;
        pie.Items().Item(3).setFillMode(2);
        const QImage image = pie.renderImage();
        QVERIFY2(px::area(image, blue).count < flat / 5, "the slice is still one flat colour");
        const int lighter = px::area(image, [&](QRgb p) {
                                const QColor c(p);
                                return c.hue() >= 0 && std::abs(c.hue() - blue.hue()) < 8 &&
                                       c.lightness() > blue.lightness() + 30 && c.lightness() < 250;
                            }).count;
        QVERIFY(lighter > flat / 10);
    }

    // Five equal bars stand as five runs along a row and lie as five runs
    // down a column. Turning a drawn chart gives the picture of one built
    // turned: no axes of the old orientation remain.
    void orientation()
    {
        AxisChart bars; // categories named alike, or not at all, keep a bar each
        fillBars(bars, {{10, 10, 10, 10, 10}}, {"A", "A", "", "B", "B"});
        bars.setShowLegend(false); // its marker has the bars' colour
        const QColor c = qc(bars.Series().Item(1).Color());
        for (const int turned : {0, 1}) {
            bars.setOrientation(turned);
            const QImage image = bars.renderImage();
            const QPoint mid = px::area(image, c).box.center();
            QCOMPARE(px::runs(image, QPoint(0, mid.y()), QPoint(1, 0), c), turned ? 1 : 5);
            QCOMPARE(px::runs(image, QPoint(mid.x(), 0), QPoint(0, 1), c), turned ? 5 : 1);
        }
        AxisChart changed, fresh;
        fillBars(changed, {{3, 7, 12}, {2, 5, 1}});
        fillBars(fresh, {{3, 7, 12}, {2, 5, 1}});
        changed.renderImage();
        for (AxisChart* chart : {&changed, &fresh}) {
            chart->setOrientation(1);
            chart->setBarStackingMode(1);
        }
        QCOMPARE(changed.renderImage(), fresh.renderImage());
    }

    // The bars are centred on their categories. The second series' bars stand
    // on the axis when grouped; stacked they
    // sit on top, where only the tallest stack reaches the top of the bars
    // (so the value axis holds it); stacked to 100 % every stack reaches it.
    void stackingModes()
    {
        AxisChart bars;
        fillBars(bars, {{4, 8, 2}, {4, 2, 10}});
        bars.setShowLegend(false);
        const QColor first = qc(bars.Series().Item(1).Color()),
                     second = qc(bars.Series().Item(2).Color());
        auto runsOfSecond = [&](int mode) { // along the axis, along the top
            bars.setBarStackingMode(mode);
            const QImage image = bars.renderImage();
            const QRect box = px::area(image, first).box | px::area(image, second).box;
            // In every mode the bars stand centred in the plot area.
            if (qAbs(box.center().x() - bars.chart()->plotArea().center().x()) > 2)
                return std::pair(-1, -1);
            return std::pair(px::runs(image, QPoint(0, box.bottom() - 1), QPoint(1, 0), second),
                             px::runs(image, QPoint(0, box.top() + 3), QPoint(1, 0), second));
        };
        QCOMPARE(runsOfSecond(0), std::pair(3, 1));
        QCOMPARE(runsOfSecond(1), std::pair(0, 1));
        QCOMPARE(runsOfSecond(2), std::pair(0, 3));
        auto* axis = qobject_cast<QValueAxis*>(bars.chart()->axes(Qt::Vertical).value(0));
        QVERIFY(axis && axis->max() == 100);
        const int plain = px::dark(bars.renderImage()); // value labels add dark text
        bars.ShowValues(true);
        QVERIFY(px::dark(bars.renderImage()) > plain + 20);
    }

    // Over a bar the pointer is told its category, series and value, and
    // nowhere else, whether our item or Qt Charts (with value labels) draws
    // the bars, grouped or stacked, upright or lying.
    void hoverTellsBars()
    {
        for (const int mode : {0, 1, 2})
            for (const int turned : {0, 1})
                for (const bool labelled : {false, true}) {
                    AxisChart bars;
                    fillBars(bars, {{4, 3, 2}, {5, 1, 0}});
                    bars.setShowLegend(false);
                    bars.setBarStackingMode(mode);
                    bars.setOrientation(turned);
                    bars.ShowValues(labelled);
                    const QList<QColor> colours{qc(bars.Series().Item(1).Color()),
                                                qc(bars.Series().Item(2).Color())};
                    const auto [told, stray] = hover(bars, colours, [&](const QString& text) {
                        return colours.value(text.section('\n', 1).mid(1, 1).toInt() - 1);
                    });
                    QCOMPARE(told, QSet<QString>({"A\nS1: 4", "B\nS1: 3", "C\nS1: 2", "A\nS2: 5",
                                                  "B\nS2: 1"}));
                    QVERIFY2(stray < 0.01, qPrintable(QStringLiteral("%1%2%3: %4")
                                                          .arg(mode)
                                                          .arg(turned)
                                                          .arg(labelled)
                                                          .arg(stray)));
                }
    }

    // Over a slice, pulled out or not, the pointer is told its label, value
    // and share of the pie.
    void hoverTellsSlices()
    {
        PieChart pie;
        place(pie);
        pie.setShowLegend(false);
        QMap<QString, QColor> colours;
        for (const auto& [label, value] :
             {std::pair("Red", 12.0), std::pair("Blue", 30.5), std::pair("Green", 7.5)})
            colours[label] = qc(pie.Items().Add(QString::fromLatin1(label), value, 1).Color());
        pie.Items().Item(3).setExploded(true);
        for (const int outside : {0, 1}) {
            pie.setPieLabelMode(outside);
            const auto [told, stray] = hover(pie, colours.values(), [&](const QString& text) {
                return colours.value(text.section('\n', 0, 0));
            });
            QCOMPARE(told, QSet<QString>(
                               {"Red\n12 (24.0%)", "Blue\n30.5 (61.0%)", "Green\n7.5 (15.0%)"}));
            QVERIFY2(stray < 0.01, qPrintable(QString::number(stray)));
        }
    }

    void barSpacing_data() { caseRows("tst_chart-spacing"); }
    // The share of a row through the bars that they fill, against spacing 0.
    void barSpacing()
    {
        const int spacing = cell("spacing").toInt();
        const double share = cell("share").toDouble();
        AxisChart bars;
        fillBars(bars, {{10, 10, 10, 10}});
        bars.setBarOutlineColor(bars.Series().Item(1).Color());
        const QColor c = qc(bars.Series().Item(1).Color());
        bars.setSeriesBarSpacing(spacing);
        const QImage image = bars.renderImage();
        bars.setSeriesBarSpacing(0);
        const QImage full = bars.renderImage();
        const QRect row(0, px::area(full, c).box.center().y(), kSize.width(), 1);
        const int filled = px::area(image.copy(row), c).count,
                  fullFilled = px::area(full.copy(row), c).count;
        QVERIFY(fullFilled > 300);
        QVERIFY2(std::abs(double(filled) / fullFilled - share) < 0.03,
                 qPrintable(QStringLiteral("%1 of %2").arg(filled).arg(fullFilled)));
    }

    void legendPosition_data() { caseRows("tst_chart-legend"); }
    // The legend lies where its position puts it and goes when switched off.
    void legendPosition()
    {
        const QStringList w = cell("where").split(' ');
        AxisChart bars;
        fillBars(bars, {{30, 70, 120}, {20, 50, 10}});
        bars.setLegendTitle(QStringLiteral("Legend"));
        bars.setLegendPos(cell("pos").toInt());
        bars.renderImage();
        QLegend* legend = bars.chart()->legend();
        const QPointF c = legend->geometry().center();
        QVERIFY2(legend->isVisible() &&
                     QRectF(w[0].toDouble(), w[1].toDouble(), w[2].toDouble(), w[3].toDouble())
                         .contains(QPointF(c.x() / kSize.width(), c.y() / kSize.height())),
                 qPrintable(QStringLiteral("legend at %1, %2").arg(c.x()).arg(c.y())));
        bars.setShowLegend(false);
        bars.renderImage();
        QVERIFY(!legend->isVisible());
    }

    void layoutFits_data() { caseRows("tst_chart-layout"); }
    // Every drawn text lies inside the picture. The legend lists its entries
    // from the first, any left out counted as "+N more"; category labels
    // are every k-th from the first to the last k, and do not touch; the
    // tallest bar (20) stays below the top of the value axis.
    void layoutFits()
    {
        const int series = cell("series").toInt(), count = cell("count").toInt(),
                  orientation = cell("orientation").toInt();
        const QString name = cell("label");
        const QSize size(cell("size").section('x', 0, 0).toInt(),
                         cell("size").section('x', 1).toInt());
        PieChart pie;
        AxisChart bars;
        ChartComponent& chart = series ? static_cast<ChartComponent&>(bars) : pie;
        for (int k = 1; k <= series; ++k) {
            BarSeries& s = bars.Series().Add(QStringLiteral("Series %1").arg(k), 1);
            for (int i = 1; i <= count; ++i)
                s.Values().Add(name + QString::number(i), (i + k) % 4 ? (i * 7 + k) % 19 + 1 : 20,
                               0);
        }
        for (int i = 1; i <= count && !series; ++i)
            pie.Items().Add(name + QString::number(i), i % 7 + 1, 1);
        bars.setOrientation(orientation);
        chart.setLegendTitle(QStringLiteral("Legend"));
        chart.setShowLegend(true);
        place(chart, size);
        chart.renderImage();
        // Graphics items grow with the entries and categories, not with
        // their product: no item per bar.
        const int items = static_cast<int>(chart.scene()->items().size());
        QVERIFY2(items < 10 * (series + count) + 100, qPrintable(QString::number(items)));
        QSet<QString> texts;
        QMap<int, QRectF> labels; // category number -> where its label is
        for (QGraphicsItem* item : chart.scene()->items()) {
            const auto* rich = dynamic_cast<QGraphicsTextItem*>(item);
            const auto* plain = dynamic_cast<QGraphicsSimpleTextItem*>(item);
            const QString text = rich ? rich->toPlainText() : plain ? plain->text() : QString();
            if (text.trimmed().isEmpty() || !item->isVisible() || item->effectiveOpacity() == 0)
                continue;
            QVERIFY2(QRectF(QPoint(), size).contains(item->sceneBoundingRect()), qPrintable(text));
            texts << text;
            if (series && text.startsWith(name.left(4)))
                labels[text.section(' ', -1).toInt()] = item->sceneBoundingRect();
        }
        const auto more = std::find_if(texts.begin(), texts.end(),
                                       [](const QString& t) { return t.endsWith(" more"); });
        const int entries = series ? series : count,
                  left = more == texts.end() ? 0 : more->mid(1).section(' ', 0, 0).toInt();
        QVERIFY(left < entries && (left == 0 || cell("whole") == "0") && texts.contains("Legend"));
        for (int i = 1; i <= entries - left; ++i)
            QVERIFY2(
                texts.contains((series ? QStringLiteral("Series ") : name) + QString::number(i)),
                qPrintable(QString::number(i)));
        if (!series)
            return;
        const QList<int> shown = labels.keys();
        const int step = shown.size() > 1 ? shown[1] - shown[0] : count;
        QVERIFY(!shown.isEmpty() && shown.first() == 1 && shown.last() + step > count);
        for (int j = 1; j < shown.size(); ++j)
            QVERIFY(shown[j] - shown[j - 1] == step &&
                    !labels[shown[j]].intersects(labels[shown[j - 1]]));
        QVERIFY(qobject_cast<QValueAxis*>(
                    chart.chart()->axes(orientation ? Qt::Horizontal : Qt::Vertical).value(0))
                    ->max() > 20);
    }

    // Few colours come back exactly; more than 256 go through the quantizer,
    // stay near the original, and a large white area stays white (not 248).
    void gifColours()
    {
        QImage image(300, 200, QImage::Format_RGB32);
        image.fill(Qt::white);
        QByteArray bytes; // used twice: the smaller second picture replaces the first
        for (const int tolerance : {16, 0}) {
            for (int y = 0; y < 150; ++y) // below the red-green plane, a blue ramp
                for (int x = 0; x < 300; ++x)
                    image.setPixel(x, y,
                                   !tolerance ? qRgb(201, 7, 99)
                                   : y < 100  ? qRgb(x * 255 / 299, y * 2, 128)
                                              : qRgb(128, 128, x * 255 / 299));
            QByteArray fresh;
            QVERIFY(imageio::encodeImage(image, FormatGIF, &bytes) &&
                    imageio::encodeImage(image, FormatGIF, &fresh));
            QCOMPARE(bytes, fresh);
            const QImage back =
                QImage::fromData(bytes, "GIF").convertToFormat(QImage::Format_RGB32);
            QCOMPARE(back.size(), image.size());
            for (int y = 0; y < 200; ++y)
                for (int x = 0; x < 300; ++x)
                    QVERIFY(px::distance(image.pixelColor(x, y), back.pixelColor(x, y)) <=
                            tolerance);
            QCOMPARE(back.pixel(295, 195), qRgb(255, 255, 255));
        }
    }

    // A device that takes no bytes (a buffer open for reading only): the
    // encoders fail, saying what failed.
    void refusingDevice()
    {
        QImage image(8, 8, QImage::Format_RGB32);
        image.fill(Qt::red);
        QBuffer gifOut, pngOut;
        QVERIFY(gifOut.open(QIODevice::ReadOnly) && pngOut.open(QIODevice::ReadOnly));
        const vp::Result gif = imageio::writeGif(image, &gifOut),
                         png = imageio::encodePng(image, &pngOut);
        QVERIFY2(!gif && QString::fromStdString(gif.message()).contains("write"),
                 gif.message().c_str());
        QVERIFY2(!png && !png.message().empty(), png.message().c_str());
    }

    // A save writes the same bytes whatever the process's hash seed (a new
    // one is drawn before each): the GIF's palette and the PDF's fonts do
    // not follow it, and the PDF is dated by SOURCE_DATE_EPOCH.
    void savesSameBytes()
    {
        qputenv("SOURCE_DATE_EPOCH", "86400");
        const auto unset = qScopeGuard([] { qunsetenv("SOURCE_DATE_EPOCH"); });
        AxisChart bars; // few enough colours for GIF's exact palette
        fillBars(bars, {{3, 5, 2}, {4, 1, 6}});
        bars.setCaption(QStringLiteral("Title in bold"));
        QTemporaryDir dir;
        const std::string path = dir.filePath("chart").toStdString();
        for (int format = FormatBMP; format <= FormatPDF; ++format) {
            QByteArray first;
            for (int run = 0; run < 6; ++run) {
                QHashSeed::resetRandomGlobalSeed();
                QVERIFY(bars.SaveImage(path, format));
                QFile file(QString::fromStdString(path));
                QVERIFY(file.open(QIODevice::ReadOnly));
                const QByteArray bytes = file.readAll();
                QVERIFY2(run == 0 || bytes == first, qPrintable(QString::number(format)));
                first = bytes;
            }
            QCOMPARE(format != FormatPDF || first.contains("/CreationDate (D:19700102000000Z)"),
                     true);
        }
    }

    // PNG comes back pixel for pixel at any size, however many bands its rows
    // are deflated in (noise above, where runs break; a flat area below).
    void pngExact()
    {
        for (const QSize size : {QSize(1, 1), QSize(41, 300), QSize(1283, 867)}) {
            QImage image(size, QImage::Format_RGB32);
            image.fill(qRgb(250, 250, 250));
            std::mt19937 random(static_cast<unsigned>(size.width()));
            for (int y = 0; y < size.height() / 2; ++y)
                for (int x = 0; x < size.width(); ++x)
                    image.setPixel(x, y, random() | 0xff000000u);
            for (const int threads : {1, 3, 4}) {
                imageio::setEncoderThreads(threads);
                QByteArray bytes;
                const vp::Result encoded = imageio::encodeImage(image, FormatPNG, &bytes);
                QVERIFY2(encoded, encoded.message().c_str());
                QCOMPARE(QImage::fromData(bytes, "PNG").convertToFormat(QImage::Format_RGB32),
                         image);
            }
        }
        imageio::setEncoderThreads(0);
    }
};

QTEST_MAIN(TestChart)
#include "tst_chart.moc"
