// The chart's layout rules as plain functions: the value axis' range and the
// legend's arrangement, checked against what a user expects to see.
#include "axisrange.h"
#include "legendlayout.h"
#include "testfiles.h"

#include <QtTest>

namespace
{

// "3,5|4,6": series separated by |, values by commas.
std::vector<std::vector<double>> seriesValues(const QString& text)
{
    std::vector<std::vector<double>> values;
    for (const QString& series : text.split('|', Qt::SkipEmptyParts)) {
        std::vector<double>& row = values.emplace_back();
        for (const QString& value : series.split(','))
            row.push_back(value == "nan"    ? std::nan("")
                          : value == "inf"  ? HUGE_VAL
                          : value == "-inf" ? -HUGE_VAL
                                            : value.toDouble());
    }
    return values;
}

// The made-up legend font of the case table.
LegendFontMeasures madeUpFont(double points, int chars, bool heading)
{
    LegendFontMeasures font;
    font.lineHeight = 2 * points;
    font.averageCharWidth = points / 2;
    font.widestLabel = chars * font.averageCharWidth;
    font.headingHeight = heading ? 2 * points + 1 : 0.0;
    font.headingWidth = heading ? 6 * 0.55 * points : 0.0; // "Legend" in bold
    return font;
}

} // namespace

class TestLayout : public QObject
{
    Q_OBJECT
  private slots:
    void axisRange_data() { caseRows("layout-axis"); }
    void axisRange()
    {
        const AxisRange range =
            valueAxisRange(seriesValues(cell("values")), cell("stacking").toInt());
        QCOMPARE(range.low, cell("low").toDouble());
        QCOMPARE(range.high, cell("high").toDouble());
        QCOMPARE(range.step, cell("step").toDouble());
        QCOMPARE(range.ticks, cell("ticks").toInt());
    }

    void legend_data() { caseRows("layout-legend"); }
    void legend()
    {
        const int entries = cell("entries").toInt(), chars = cell("chars").toInt();
        LegendContent content;
        content.points = 9;
        content.heading = cell("heading") == "1";
        content.across = cell("at") == "across";
        content.width = cell("room").section('x', 0, 0).toDouble();
        content.height = cell("room").section('x', 1).toDouble();
        content.font = madeUpFont(content.points, chars, content.heading);
        content.labelWidths.assign(entries, content.font.widestLabel);
        const LegendLayout layout = layoutLegend(
            content, [&](double points) { return madeUpFont(points, chars, content.heading); });
        QCOMPARE(!layout.drawn, cell("qt") == "1");
        if (!layout.drawn) {
            QVERIFY(layout.columns == 1 && layout.rows == entries && layout.shown == entries);
            return;
        }
        QCOMPARE(layout.points, cell("points").toDouble());
        QCOMPARE(layout.columns, cell("columns").toInt());
        QCOMPARE(layout.rows, cell("rows").toInt());
        QCOMPARE(layout.shown, cell("shown").toInt());
        // Whatever the case: the block keeps to its share of the room, every
        // entry shown has a place, and entries are left out only at the
        // smallest font, with the place after them saying how many.
        const double maxWidth = content.across ? content.width : 0.4 * content.width;
        const double maxHeight = content.across ? 0.3 * content.height : content.height;
        QVERIFY(layout.columns * layout.columnWidth <= maxWidth && layout.width <= maxWidth);
        QVERIFY(layout.height() <= maxHeight);
        QVERIFY(layout.columns * layout.rows >= layout.shown + (layout.shown < entries));
        QVERIFY(layout.shown == entries || layout.points == 6.5);
        // Marker, gaps and the text (cut to about 28 characters) fill a column.
        QVERIFY(layout.columnWidth >= layout.markerSize + std::min(chars, 28) * layout.points / 2 ||
                layout.columnWidth == maxWidth);
    }
};

QTEST_GUILESS_MAIN(TestLayout)
#include "tst_layout.moc"
