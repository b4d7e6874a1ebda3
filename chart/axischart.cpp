// SPDX-License-Identifier: GPL-3.0-or-later
#include "axischart.h"
#include "axisrange.h"
#include "chartstyle.h"
#include "picture.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QCoreApplication>
#include <QFontMetricsF>
#include <QGraphicsItem>
#include <QHorizontalBarSeries>
#include <QHorizontalPercentBarSeries>
#include <QHorizontalStackedBarSeries>
#include <QPainter>
#include <QPercentBarSeries>
#include <QSet>
#include <QStackedBarSeries>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace
{

using chartstyle::startFont;
using chartstyle::toQColor;

// The value axis' grid lines.
const QColor kGridLineColour(200, 200, 200);

// Standing category labels take at most this share of the chart's height
// (beside horizontal bars, of its width);
// longer ones lose their middle, so that both ends still tell them apart.
constexpr double kStandingLabelShare = 0.25;

// An empty category label that Qt Charts draws as nothing; the number keeps
// the axis' names distinct. Beside horizontal bars Qt shows, from the first
// category on, every label that clears the last one shown, empty ones too:
// one shown there would crowd out the next real label. There an empty label
// is a line far taller than any picture, so that it never fits.
QString blankCategory(const QString& tag, int i, bool tall = false)
{
    const QString comment = QStringLiteral("<!--%1%2-->").arg(tag).arg(i);
    return tall ? QStringLiteral("<div style=\"line-height:100000px\">%1</div>").arg(comment)
                : comment;
}

// Share of a category's width that its bars take, by SeriesBarSpacing.
double barWidthFor(int spacing)
{
    switch (spacing) {
    case 0:
        return 1.0;
    case 2:
        return 0.75;
    case 3:
        return 0.5;
    default:
        return 0.9;
    }
}

// Qt Charts' series for a stacking mode (0 grouped, 1 stacked, 2 stacked to
// 100 %) and orientation.
QAbstractBarSeries* makeBarSeries(int stacking, bool horizontal)
{
    switch (stacking) {
    case 1:
        if (horizontal)
            return new QHorizontalStackedBarSeries;
        return new QStackedBarSeries;
    case 2:
        if (horizontal)
            return new QHorizontalPercentBarSeries;
        return new QPercentBarSeries;
    default:
        if (horizontal)
            return new QHorizontalBarSeries;
        return new QBarSeries;
    }
}

} // namespace

// ------------------------------------------------------------------ BarsItem

// Every bar of the chart in one graphics item. Qt Charts would make an item
// of its own for each bar, with its signal connections and bookkeeping:
// for 20,000 bars most of the chart's time and memory. The rectangles are
// worked out with Qt Charts' own arithmetic, in its order, and painted in
// its order (series by series), so the picture stays the same.
class BarsItem : public QGraphicsItem
{
  public:
    struct Set {
        QBrush brush;
        QPen pen;
        const std::vector<double>* values; // the chart's, from the first category on
    };

    BarsItem(QGraphicsItem* parent, int mode, bool horizontal, double barWidth, int categories,
             int first)
        : QGraphicsItem(parent), mode_(mode), horizontal_(horizontal), barWidth_(barWidth),
          categories_(categories), first_(first)
    {
        // Above the grid and axes, as Qt Charts' bars are.
        setZValue(4);
        setFlag(ItemClipsToShape);
        setAcceptedMouseButtons(Qt::NoButton);
    }

    std::vector<Set> sets;

    // The plot area (in the chart's coordinates) and the value axis' range.
    void place(const QRectF& plot, double low, double high)
    {
        if (plot.size() != size_)
            prepareGeometryChange();
        size_ = plot.size();
        setPos(plot.topLeft());
        low_ = low;
        high_ = high;
        update();
    }

    QRectF boundingRect() const override { return QRectF(QPointF(0, 0), size_); }

    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override
    {
        int current = -1;
        forEachBar([&](int s, int, const QRectF& r) {
            if (s != current) {
                current = s;
                painter->setPen(sets[static_cast<std::size_t>(s)].pen);
                painter->setBrush(sets[static_cast<std::size_t>(s)].brush);
            }
            // Qt Charts hides empty bars (a zero value).
            if (!r.isEmpty())
                painter->drawRect(r);
        });
    }

    // The bar painted last under a point of the item: its set, its index in
    // the set's values and its rectangle. False where there is none.
    bool barAt(const QPointF& at, int& set, int& index, QRectF& rect) const
    {
        bool found = false;
        forEachBar([&](int s, int i, const QRectF& r) {
            if (!r.isEmpty() && r.contains(at))
                found = true, set = s, index = i, rect = r;
        });
        return found;
    }

  private:
    // Calls visit(set, index, rectangle) for every bar, in the order they
    // are painted; index counts the set's own values (negative, or past
    // them, in the empty categories at either end, whose bars are empty).
    template <class Visit> void forEachBar(Visit&& visit) const
    {
        if (size_.isEmpty() || categories_ <= 0 || !(high_ > low_))
            return;
        const Mapping map(*this);
        const int setCount = static_cast<int>(sets.size());
        // What each category's stack has reached so far, above and below 0.
        std::vector<double> positive(static_cast<std::size_t>(categories_), 0.0);
        std::vector<double> negative(positive.size(), 0.0);
        const std::vector<double> total = mode_ == 2 ? categoryTotals() : std::vector<double>();
        for (int s = 0; s < setCount; ++s) {
            const Set& set = sets[static_cast<std::size_t>(s)];
            for (int c = 0; c < categories_; ++c) {
                const int i = c - first_;
                const double value = i >= 0 && i < static_cast<int>(set.values->size())
                                         ? (*set.values)[static_cast<std::size_t>(i)]
                                         : 0.0;
                const std::size_t at = static_cast<std::size_t>(c);
                visit(s, i,
                      mode_ == 0 ? groupedBar(map, s, setCount, c, value)
                      : mode_ == 1
                          ? stackedBar(map, s, c, value, value < 0 ? negative[at] : positive[at])
                          : percentBar(map, s, c, value, positive[at], total[at]));
            }
        }
    }

    // The plot's mapping from values to positions: categories are centred on
    // whole numbers, from -0.5 to categories - 0.5.
    struct Mapping {
        explicit Mapping(const BarsItem& item)
            : horizontal(item.horizontal_), height(item.size_.height())
        {
            const double cLow = -0.5, cHigh = item.categories_ - 0.5;
            xLow = horizontal ? item.low_ : cLow;
            const double xHigh = horizontal ? item.high_ : cHigh;
            yLow = horizontal ? cLow : item.low_;
            const double yHigh = horizontal ? cHigh : item.high_;
            dx = item.size_.width() / (xHigh - xLow);
            dy = item.size_.height() / (yHigh - yLow);
        }
        QPointF at(double x, double y) const
        {
            return QPointF((x - xLow) * dx, height - (y - yLow) * dy);
        }
        // A point given as (category position, value), whichever way the
        // bars lie.
        QPointF point(double c, double v) const { return horizontal ? at(v, c) : at(c, v); }

        bool horizontal;
        double height;
        double xLow, yLow, dx, dy;
    };

    static QRectF spanning(const QPointF& a, const QPointF& b)
    {
        QRectF r;
        r.setTopLeft(a);
        r.setBottomRight(b);
        return r.normalized();
    }

    // Bar s of setCount side by side in category c, from 0 to the value.
    QRectF groupedBar(const Mapping& map, int s, int setCount, int c, double value) const
    {
        const double w = barWidth_;
        const double from = c - w / 2 + double(s) / setCount * w;
        const double to = c - w / 2 + double(s + 1) / setCount * w;
        return horizontal_ ? spanning(map.point(from, 0), map.point(to, value))
                           : spanning(map.point(from, value), map.point(to, 0));
    }

    // The value on top of (below, when negative) what the stack has
    // reached, `sum`, which then grows by it.
    QRectF stackedBar(const Mapping& map, int s, int c, double value, double& sum) const
    {
        const double w = barWidth_;
        const QRectF r =
            horizontal_
                ? spanning(map.point(c + w / 2, s ? sum : 0.0), map.point(c - w / 2, value + sum))
                : spanning(map.point(c - w / 2, value + sum), map.point(c + w / 2, s ? sum : 0.0));
        sum += value;
        return r;
    }

    // As stackedBar, in percent of the category's total.
    QRectF percentBar(const Mapping& map, int s, int c, double value, double& sum,
                      double categorySum) const
    {
        const double w = barWidth_;
        const double newSum = value + sum;
        const double upper = newSum > 0 ? 100 * newSum / categorySum : 0.0;
        const double lower = sum > 0 ? 100 * sum / categorySum : 0.0;
        sum = newSum;
        return horizontal_
                   ? spanning(map.point(c - w / 2, s ? lower : 0.0), map.point(c + w / 2, upper))
                   : spanning(map.point(c - w / 2, upper), map.point(c + w / 2, s ? lower : 0.0));
    }

    // Each category's sum over all sets.
    std::vector<double> categoryTotals() const
    {
        std::vector<double> total(static_cast<std::size_t>(categories_), 0.0);
        for (const Set& set : sets)
            for (std::size_t i = 0; i < set.values->size(); ++i)
                total[i + static_cast<std::size_t>(first_)] += (*set.values)[i];
        return total;
    }

    int mode_;
    bool horizontal_;
    double barWidth_;
    int categories_; // with the empty ones at either end
    int first_;      // the first category that holds values
    QSizeF size_;
    double low_ = 0.0;
    double high_ = 0.0;
};

// ------------------------------------------------------------- collections

void BarValues::Add(const QString& label, double value, int)
{
    values_.push_back(BarValue{label, value});
    if (owner_)
        owner_->dataChanged();
}

const BarValue& BarValues::Item(int index) const
{
    static const BarValue none;
    Q_ASSERT_X(index >= 1 && index <= Count(), "BarValues::Item", "index out of range");
    if (index < 1 || index > Count())
        return none;
    return values_[static_cast<std::size_t>(index - 1)];
}

void BarSeries::setColor(vp::Colour colour)
{
    if (colour == color_)
        return;
    color_ = colour;
    if (owner_)
        owner_->colourChanged();
}

BarSeries& BarSeriesCollection::Add(const QString& name, int)
{
    auto series = std::make_unique<BarSeries>();
    series->owner_ = owner_;
    series->values_.owner_ = owner_;
    series->name_ = name;
    series->color_ = ChartComponent::defaultColour(Count());
    series_.push_back(std::move(series));
    if (owner_)
        owner_->dataChanged();
    return *series_.back();
}

BarSeries& BarSeriesCollection::Item(int index)
{
    Q_ASSERT_X(index >= 1 && index <= Count(), "BarSeriesCollection::Item", "index out of range");
    if (index < 1 || index > Count()) {
        detached_ = BarSeries();
        return detached_;
    }
    return *series_[static_cast<std::size_t>(index - 1)];
}

const BarSeries& BarSeriesCollection::Item(int index) const
{
    static const BarSeries none;
    Q_ASSERT_X(index >= 1 && index <= Count(), "BarSeriesCollection::Item", "index out of range");
    if (index < 1 || index > Count())
        return none;
    return *series_[static_cast<std::size_t>(index - 1)];
}

// --------------------------------------------------------------- AxisChart

AxisChart::AxisChart(QWidget* parent)
    : ChartComponent(parent),
      itemAxisLabelFont_([this](const QFont&) { invalidate(StyleChanged); }, startFont(9, true)),
      unitAxisLabelFont_([this](const QFont&) { invalidate(StyleChanged); }, startFont(9, true)),
      itemFont_([this](const QFont&) { invalidate(StyleChanged); }, startFont(8, false)),
      valuesFont_([this](const QFont&) { invalidate(DataChanged); }, startFont(8, false))
{
    series_.owner_ = this;
    setSmoothShapes(false);
    connect(chart_, &QChart::plotAreaChanged, this, &AxisChart::placeBars);
}

AxisChart::~AxisChart() = default;

QString AxisChart::ItemAxisLabel() const
{
    return itemAxisLabel_;
}
QString AxisChart::UnitAxisLabel() const
{
    return unitAxisLabel_;
}
bool AxisChart::ShowUnitAxisGridLines() const
{
    return unitGridLines_;
}
int AxisChart::Orientation() const
{
    return orientation_;
}
int AxisChart::BarStackingMode() const
{
    return stackingMode_;
}
int AxisChart::SeriesBarSpacing() const
{
    return barSpacing_;
}
vp::Colour AxisChart::BorderColor() const
{
    return borderColor_;
}
vp::Colour AxisChart::BarOutlineColor() const
{
    return barOutlineColor_;
}
vp::Colour AxisChart::ForeColor() const
{
    return foreColor_;
}
vp::Colour AxisChart::ValuesTextColor() const
{
    return valuesTextColor_;
}
ChartFont& AxisChart::ItemAxisLabelFont()
{
    return itemAxisLabelFont_;
}
ChartFont& AxisChart::UnitAxisLabelFont()
{
    return unitAxisLabelFont_;
}
ChartFont& AxisChart::ItemFont()
{
    return itemFont_;
}
ChartFont& AxisChart::ValuesFont()
{
    return valuesFont_;
}
BarSeriesCollection& AxisChart::Series()
{
    return series_;
}
const BarSeriesCollection& AxisChart::Series() const
{
    return series_;
}

void AxisChart::setItemAxisLabel(const QString& label)
{
    itemAxisLabel_ = label;
    invalidate(StyleChanged);
}

void AxisChart::setUnitAxisLabel(const QString& label)
{
    unitAxisLabel_ = label;
    invalidate(StyleChanged);
}

void AxisChart::setShowUnitAxisGridLines(bool show)
{
    unitGridLines_ = show;
    invalidate(StyleChanged);
}

// Orientation and stacking pick another Qt series class, so they rebuild;
// the options panel writes them at every Ok, so unchanged values do not.
void AxisChart::setOrientation(int orientation)
{
    orientation = orientation == 1 ? 1 : 0;
    if (orientation == orientation_)
        return;
    orientation_ = orientation;
    invalidate(DataChanged);
}

void AxisChart::setBarStackingMode(int mode)
{
    mode = std::clamp(mode, 0, 2);
    if (mode == stackingMode_)
        return;
    stackingMode_ = mode;
    invalidate(DataChanged);
}

void AxisChart::setSeriesBarSpacing(int spacing)
{
    spacing = std::clamp(spacing, 0, 3);
    if (spacing == barSpacing_)
        return;
    barSpacing_ = spacing;
    invalidate(DataChanged);
}

void AxisChart::setBorderColor(vp::Colour colour)
{
    borderColor_ = colour;
    invalidate(StyleChanged);
}

void AxisChart::setBarOutlineColor(vp::Colour colour)
{
    if (colour == barOutlineColor_)
        return;
    barOutlineColor_ = colour;
    invalidate(DataChanged);
}

void AxisChart::setForeColor(vp::Colour colour)
{
    foreColor_ = colour;
    invalidate(StyleChanged);
}

void AxisChart::setValuesTextColor(vp::Colour colour)
{
    if (colour == valuesTextColor_)
        return;
    valuesTextColor_ = colour;
    invalidate(DataChanged);
}

void AxisChart::ShowValues(bool show)
{
    if (show == valuesShown_)
        return;
    valuesShown_ = show;
    invalidate(DataChanged);
}

void AxisChart::dataChanged()
{
    invalidate(DataChanged);
}

void AxisChart::colourChanged()
{
    invalidate(DataChanged);
}

QColor AxisChart::textColour() const
{
    return toQColor(foreColor_);
}

QList<LegendEntry> AxisChart::legendEntries() const
{
    QList<LegendEntry> entries;
    entries.reserve(series_.Count());
    for (const auto& s : series_.series_)
        entries.append(LegendEntry{s->name_, toQColor(s->color_)});
    return entries;
}

bool AxisChart::restyleAfterLayout() const
{
    return bars_ && !laidOutPlotArea().isEmpty() && !(categoryLabels(categoryCount()) == labelled_);
}

AxisChart::CategoryLabels AxisChart::categoryLabels(int categories) const
{
    CategoryLabels result;
    if (categories <= 0)
        return result;
    const bool horizontal = orientation_ == 1;
    const QSizeF size = chartSize();
    QRectF plot = laidOutPlotArea();
    if (plot.isEmpty()) // before the first layout: what axes, title and legend usually leave
        plot = QRectF(0, 0, size.width() * (ShowLegend() ? 0.75 : 0.88), size.height() * 0.7);
    const qreal extent = horizontal ? plot.height() : plot.width();
    const QFontMetricsF metrics(itemFont_.font());
    qreal widest = 0;
    for (const QString& label : labels_)
        widest = std::max(widest, metrics.horizontalAdvance(label));
    // Labels stand on end when they do not fit side by side. Standing ones,
    // and those beside a horizontal chart's bars, are shortened here:
    // Qt would cut them to the category's breadth, leaving only "...".
    result.standing = !horizontal && widest > size.width() * 0.75 / categories;
    if (result.standing || horizontal)
        result.band =
            static_cast<int>((horizontal ? size.width() : size.height()) * kStandingLabelShare);
    if (!horizontal && !result.standing)
        return result;
    // A label's breadth along the axis, with the margins Qt draws it with.
    const qreal breadth = metrics.height() + 4.0;
    // Qt leaves out the label of an end category narrower than the label,
    // and any label that reaches past the axis' end: empty categories at
    // either end give the first and last labels room.
    qreal slot = extent / categories;
    if (slot < breadth + 1.0) {
        for (int i = 0; i < 3; ++i) {
            slot = extent / (categories + 2 * result.pad);
            const qreal room = breadth / 2 + 2.0;
            result.pad = std::max(1, static_cast<int>(std::ceil(room / slot - 0.5)));
        }
        slot = extent / (categories + 2 * result.pad);
    }
    // Every step-th label, as many as fit without touching.
    result.step = std::max(1, static_cast<int>(std::ceil((breadth + 2.0) / slot)));
    return result;
}

int AxisChart::categoryCount() const
{
    int count = 0;
    for (const auto& s : series_.series_)
        count = std::max(count, s->values_.Count());
    return count;
}

void AxisChart::rebuild()
{
    removeBars();
    values_ = seriesValues();
    if (series_.Count() == 0)
        return;

    const int categories = categoryCount();
    collectLabels(categories);
    // Empty categories at either end, when the labels need them (see
    // categoryLabels); their bars are zero, which Qt Charts leaves out.
    labelled_ = categoryLabels(categories);
    const int pad = labelled_.pad;
    const QStringList names = categoryNames(labelled_);

    // Qt Charts draws the bars itself only when it also draws their value
    // labels (at most kMaxValueLabels of them). Otherwise its sets stay
    // empty, there for the legend and the axes, and one item of ours paints
    // every bar.
    const bool labelled =
        valuesShown_ && (categories + 2 * pad) * series_.Count() <= kMaxValueLabels;
    const QList<QBarSet*> sets = makeSets(labelled ? categories + 2 * pad : 0, pad);

    const bool horizontal = orientation_ == 1;
    bars_ = makeBarSeries(stackingMode_, horizontal);
    bars_->append(sets);
    styleSets(bars_, sets, categories + 2 * pad);
    chart_->addSeries(bars_);

    itemAxis_ = new QBarCategoryAxis;
    itemAxis_->append(names);
    unitAxis_ = new QValueAxis;
    chart_->addAxis(itemAxis_, horizontal ? Qt::AlignLeft : Qt::AlignBottom);
    chart_->addAxis(unitAxis_, horizontal ? Qt::AlignBottom : Qt::AlignLeft);
    bars_->attachAxis(itemAxis_);
    bars_->attachAxis(unitAxis_);

    // Where Qt Charts draws the bars, ours stay hidden: the pointer finds
    // the bars in them all the same.
    painted_ = new BarsItem(chart_, stackingMode_, horizontal, bars_->barWidth(),
                            categories + 2 * pad, pad);
    painted_->setVisible(!labelled);
    painted_->sets.reserve(sets.size());
    for (int k = 0; k < sets.size(); ++k)
        painted_->sets.push_back(BarsItem::Set{sets.at(k)->brush(), sets.at(k)->pen(),
                                               &values_[static_cast<std::size_t>(k)]});
}

// The series, our bars and both axes leave the chart.
void AxisChart::removeBars()
{
    const QList<QPointer<QObject>> before = chartObjects();
    if (bars_) {
        chart_->removeSeries(bars_);
        delete bars_;
        bars_ = nullptr;
    }
    delete painted_;
    painted_ = nullptr;
    for (QAbstractAxis* axis : chart_->axes()) {
        chart_->removeAxis(axis);
        delete axis;
    }
    itemAxis_ = nullptr;
    unitAxis_ = nullptr;
    deleteRemoved(before);
}

// Category labels come from the longest series; styleAxes() shows them. A
// very long label loses its middle here so that it cannot squeeze the plot;
// its ends still tell it apart.
void AxisChart::collectLabels(int categories)
{
    const BarSeries* longest = nullptr;
    for (const auto& s : series_.series_)
        if (!longest || s->values_.Count() > longest->values_.Count())
            longest = s.get();
    labels_.clear();
    labels_.reserve(categories);
    for (int i = 0; i < categories; ++i) {
        QString label = longest->values_.values_[static_cast<std::size_t>(i)].label;
        if (label.size() > kMaxCategoryLabel)
            label = label.left(kMaxCategoryLabel / 2) + QChar(0x2026) +
                    label.right(kMaxCategoryLabel / 2 - 1);
        labels_ << imageio::pictureText(label);
    }
}

// One set per series, named for the legend. With `size` > 0 each set holds
// that many values, its own from index `pad` on and zeros around them. All
// sets are filled before the series joins the chart: appending sets to a
// series already in a chart rebuilds its bar items every time.
QList<QBarSet*> AxisChart::makeSets(int size, int pad) const
{
    QList<QBarSet*> sets;
    sets.reserve(series_.Count());
    for (const auto& s : series_.series_) {
        auto* set = new QBarSet(chartText(s->name_));
        if (size > 0) {
            QList<qreal> values(size, 0.0);
            for (int i = 0; i < s->values_.Count(); ++i)
                values[pad + i] = s->values_.values_[static_cast<std::size_t>(i)].value;
            set->append(values);
        }
        sets << set;
    }
    return sets;
}

std::vector<std::vector<double>> AxisChart::seriesValues() const
{
    std::vector<std::vector<double>> values;
    values.reserve(series_.series_.size());
    for (const auto& s : series_.series_) {
        std::vector<double>& row = values.emplace_back();
        row.reserve(s->values_.values_.size());
        for (const BarValue& v : s->values_.values_)
            row.push_back(v.value);
    }
    return values;
}

// Our bars follow the plot area and the value axis' range.
void AxisChart::placeBars()
{
    if (painted_ && unitAxis_)
        painted_->place(chart_->plotArea(), unitAxis_->min(), unitAxis_->max());
}

// The category axis' names: every step-th label shown (the others blank),
// standing ones shortened to the room they may take.
QStringList AxisChart::categoryNames(const CategoryLabels& shown) const
{
    const QFontMetricsF metrics(itemFont_.font());
    QStringList names;
    names.reserve(labels_.size() + 2 * shown.pad);
    QSet<QString> seen;
    const bool tall = orientation_ == 1;
    for (int i = 0; i < shown.pad; ++i)
        names << blankCategory(QStringLiteral("a"), i, tall);
    for (int i = 0; i < labels_.size(); ++i) {
        QString name;
        if (i % shown.step == 0) {
            const QString& label = labels_.at(i);
            name = chartText(shown.band > 0
                                 ? metrics.elidedText(label, Qt::ElideMiddle, shown.band - 10)
                                 : label);
        }
        // Repeated and empty labels need a distinct name all the same.
        if (name.isEmpty() || seen.contains(name))
            name += blankCategory(QString(), i, tall && name.isEmpty());
        seen.insert(name);
        names << name;
    }
    for (int i = 0; i < shown.pad; ++i)
        names << blankCategory(QStringLiteral("z"), i, tall);
    return names;
}

void AxisChart::restyle()
{
    // Resizing can call for other empty end categories: those are data.
    if (bars_ && categoryLabels(categoryCount()).pad != labelled_.pad)
        rebuild();
    setFramePen(QPen(toQColor(borderColor_), 1.0));
    styleAxes(categoryCount());
    placeBars();
}

// The sets' looks are given while the series is still outside the chart:
// each set's brush, pen or label change makes Qt Charts revisit every bar of
// the series, so styling many sets in a chart is slow. Any change of a
// set's look therefore rebuilds the series.
void AxisChart::styleSets(QAbstractBarSeries* series, const QList<QBarSet*>& sets,
                          int categories) const
{
    const double barWidth = barWidthFor(barSpacing_);
    series->setBarWidth(barWidth);

    // An outline would fill bars only a few pixels wide: below 4 pixels the
    // bars go without one.
    const bool horizontal = orientation_ == 1;
    const double extent = horizontal ? height() * 0.8 : width() * 0.8;
    const int count = static_cast<int>(sets.size());
    const double barPixels =
        extent / std::max(1, categories) * barWidth / (stackingMode_ == 0 ? std::max(1, count) : 1);
    const bool outlined = barPixels >= 4.0;

    const bool labels = valuesShown_ && categories * count <= kMaxValueLabels;
    series->setLabelsVisible(labels);
    if (labels) {
        series->setLabelsFormat(QStringLiteral("@value"));
        series->setLabelsPrecision(7);
        series->setLabelsPosition(stackingMode_ == 0 ? QAbstractBarSeries::LabelsOutsideEnd
                                                     : QAbstractBarSeries::LabelsCenter);
    }
    for (int i = 0; i < count && i < series_.Count(); ++i) {
        QBarSet* set = sets.at(i);
        const QColor fill = toQColor(series_.series_[static_cast<std::size_t>(i)]->color_);
        set->setBrush(fill);
        set->setPen(outlined ? QPen(toQColor(barOutlineColor_), 1.0) : QPen(Qt::NoPen));
        set->setLabelColor(toQColor(valuesTextColor_));
        set->setLabelFont(valuesFont_.font());
    }
}

void AxisChart::styleAxes(int categories)
{
    if (!itemAxis_ || !unitAxis_)
        return;
    styleAxis(*itemAxis_, itemAxisLabel_, itemAxisLabelFont_.font());
    itemAxis_->setGridLineVisible(false);
    styleAxis(*unitAxis_, unitAxisLabel_, unitAxisLabelFont_.font());
    unitAxis_->setGridLineVisible(unitGridLines_);
    unitAxis_->setGridLinePen(QPen(kGridLineColour, 1.0));
    unitAxis_->setMinorGridLineVisible(false);

    // The category labels at this size (the empty end categories stay as
    // built).
    CategoryLabels shown = categoryLabels(categories);
    shown.pad = labelled_.pad;
    labelled_ = shown;
    const QStringList names = categoryNames(shown);
    if (itemAxis_->categories() != names)
        itemAxis_->setCategories(names);
    itemAxis_->setLabelsAngle(shown.standing ? -90 : 0);
    itemAxis_->setTruncateLabels(shown.band == 0);

    // A round value range that holds every bar (stacked: every stack) and 0.
    const AxisRange range = valueAxisRange(values_, stackingMode_);
    unitAxis_->setLabelFormat(stackingMode_ == 2 ? QStringLiteral("%g%%")
                                                 : QStringLiteral("%.10g"));
    unitAxis_->setRange(range.low, range.high);
    unitAxis_->setTickCount(range.ticks);
}

// An axis' title, labels and line, in the fore colour.
void AxisChart::styleAxis(QAbstractAxis& axis, const QString& title, const QFont& titleFont) const
{
    const QColor fore = toQColor(foreColor_);
    axis.setTitleText(chartText(title));
    axis.setTitleVisible(!title.isEmpty());
    axis.setTitleFont(titleFont);
    axis.setTitleBrush(fore);
    axis.setLabelsFont(itemFont_.font());
    axis.setLabelsBrush(fore);
    axis.setLinePen(QPen(fore, 1.0));
}

QString AxisChart::kindName() const
{
    static const char* const kinds[] = {"Bar chart", "Stacked bar chart", "100% stacked bar chart"};
    return QString::fromLatin1(kinds[stackingMode_]) +
           (orientation_ == 1 ? QStringLiteral(", horizontal") : QString());
}

QString AxisChart::toolTipAt(const QPointF& at, QRectF& area) const
{
    int set = 0, index = 0;
    QRectF bar;
    if (!painted_ || !painted_->barAt(painted_->mapFromParent(at), set, index, bar))
        return {};
    area = painted_->mapRectToParent(bar);
    const BarSeries& series = *series_.series_[static_cast<std::size_t>(set)];
    const BarValue& value = series.values_.values_[static_cast<std::size_t>(index)];
    return toldText(value.label) + QLatin1Char('\n') + toldText(series.name_) +
           QStringLiteral(": ") + valueText(value.value);
}

// A row per category, labelled as the category axis is; a column per series.
ChartComponent::Table AxisChart::table() const
{
    Table table;
    table.heading = itemAxisLabel_;
    const BarSeries* longest = nullptr;
    for (const auto& s : series_.series_) {
        table.columns << s->name_;
        std::vector<double>& column = table.values.emplace_back();
        column.reserve(s->values_.values_.size());
        for (const BarValue& v : s->values_.values_)
            column.push_back(v.value);
        if (!longest || s->values_.Count() > longest->values_.Count())
            longest = s.get();
    }
    if (longest)
        for (const BarValue& v : longest->values_.values_)
            table.rows << v.label;
    return table;
}
