// SPDX-License-Identifier: GPL-3.0-or-later
// The chart's layout rules as plain functions: the value axis' range and the
// legend's arrangement, checked against what a user expects to see.
#include "axisrange.h"
#include "caserows.h"
#include "legendlayout.h"

#include <QtTest>

namespace
{

// The made-up legend font of the case table.
LegendFontMeasures madeUpFont(double points, int chars, bool heading)
{
    const double line = 2 * points, character = points / 2;
    return {line, character, chars * character, heading ? line + 1 : 0.0,
            heading ? 6 * 1.1 * character : 0.0}; // "Legend" in bold
}

} // namespace

class TestLayout : public QObject
{
    Q_OBJECT
  private slots:
    void axisRange_data() { caseRows("layout-axis"); }
    void axisRange()
    {
        std::vector<std::vector<double>> values; // "3,5|4,6": series by |, values by commas
        for (const QString& series : cell("values").split('|', Qt::SkipEmptyParts)) {
            std::vector<double>& row = values.emplace_back();
            for (const QString& v : series.split(','))
                row.push_back(v.toDouble()); // also "nan", "inf" and "-inf"
        }
        const AxisRange range = valueAxisRange(values, cell("stacking").toInt());
        QCOMPARE(range.low, cell("low").toDouble());
        QCOMPARE(range.high, cell("high").toDouble());
        QCOMPARE(range.step, cell("step").toDouble());
        QCOMPARE(range.ticks, cell("ticks").toInt());
    }

    void legend_data() { caseRows("layout-legend"); }
    void legend()
    {
        const int entries = cell("entries").toInt(), chars = cell("chars").toInt();
        LegendContent content{9,
                              madeUpFont(9, chars, cell("heading") == "1"),
                              {},
                              cell("heading") == "1",
                              cell("at") == "across",
                              cell("room").section('x', 0, 0).toDouble(),
                              cell("room").section('x', 1).toDouble()};
        content.labelWidths.assign(entries, content.font.widestLabel);
        const LegendLayout layout = layoutLegend(
            content, [&](double points) { return madeUpFont(points, chars, content.heading); });
        QCOMPARE(!layout.drawn, cell("qt") == "1");
        QVERIFY(layout.drawn || (layout.rows == entries && layout.shown == entries));
        if (!layout.drawn)
            return;
        QCOMPARE(layout.points, cell("points").toDouble());
        QCOMPARE(layout.columns, cell("columns").toInt());
        QCOMPARE(layout.rows, cell("rows").toInt());
        QCOMPARE(layout.shown, cell("shown").toInt());
        // In every case the block keeps to its share of the room, every entry
        // shown has a place, and entries are left out only at the smallest
        // font, the place after them saying how many.
        const double maxWidth = content.width * (content.across ? 1 : 0.4);
        QVERIFY(layout.width >= layout.columns * layout.columnWidth && layout.width <= maxWidth);
        QVERIFY(layout.height() <= content.height * (content.across ? 0.3 : 1));
        QVERIFY(layout.columns * layout.rows >= layout.shown + (layout.shown < entries));
        QVERIFY(layout.shown == entries || layout.points == 6.5);
    }
};

QTEST_GUILESS_MAIN(TestLayout)
#include "tst_layout.moc"
