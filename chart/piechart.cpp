// SPDX-License-Identifier: GPL-3.0-or-later
#include "piechart.h"
#include "chartstyle.h"
#include "textfit.h"

#include <QChart>
#include <QCoreApplication>
#include <QFontMetricsF>
#include <QLegend>
#include <QLegendMarker>
#include <QLinearGradient>
#include <QPieSeries>
#include <QPieSlice>

#include <algorithm>
#include <cmath>
#include <utility>

namespace
{

using chartstyle::toQColor;

// Text on a slice: white on dark colours, black on light ones.
QColor labelOn(const QColor& fill)
{
    const double luma = 0.299 * fill.red() + 0.587 * fill.green() + 0.114 * fill.blue();
    return luma < 140.0 ? Qt::white : Qt::black;
}

// Slices smaller than this share of the pie have no room for a label
// inside; their labels are left to the legend.
constexpr double kInsideLabelMinShare = 0.04;
// Outside labels of neighbouring small slices sit on arms of alternating
// length so that they do not print over each other.
constexpr double kSmallSliceShare = 0.05;

// Outside labels on arms of these lengths (shares of the pie's radius).
constexpr double kLongArm = 0.35;
constexpr double kShortArm = 0.15;
// A pulled-out slice moves this share of the radius away from the centre.
constexpr double kExplodeDistance = 0.12;
// Before the first layout the pie's plot area is guessed: this share of the
// chart's width (with or without a legend beside it), and its height less
// the title's room.
constexpr double kPlotWidthWithLegend = 0.7;
constexpr double kPlotWidth = 0.95;
constexpr double kTitleRoom = 60.0;

// Graduated fill (mode 2): from a light tint at one corner of the slice to
// the slice colour at the other. Any other mode: the flat colour.
constexpr int kGradientTint = 170; // percent, as QColor::lighter takes it
QBrush sliceBrush(const QColor& fill, int fillMode)
{
    if (fillMode != 2)
        return QBrush(fill);
    QLinearGradient gradient(0, 0, 1, 1);
    gradient.setCoordinateMode(QGradient::ObjectBoundingMode);
    gradient.setColorAt(0, fill.lighter(kGradientTint));
    gradient.setColorAt(1, fill);
    return QBrush(gradient);
}

// A slice's drawn value and its label text. A slice cannot be negative;
// such values (and non-finite ones) are drawn as nothing.
std::pair<double, QString> sliceValueAndText(const PieItem& item, bool valuesShown)
{
    const double value = std::isfinite(item.Value()) ? std::max(0.0, item.Value()) : 0.0;
    QString text = textfit::shown(item.Label());
    if (valuesShown)
        text += QStringLiteral(": ") + QString::number(value, 'g', 7);
    return {value, text};
}

} // namespace

// ------------------------------------------------------------- collections

void PieItem::setColor(vp::Colour colour)
{
    color_ = colour;
    if (owner_)
        owner_->dataChanged();
}

void PieItem::setFillMode(int mode)
{
    fillMode_ = mode;
    if (owner_)
        owner_->dataChanged();
}

void PieItem::setExploded(bool exploded)
{
    exploded_ = exploded;
    if (owner_)
        owner_->dataChanged();
}

PieItem& PieItems::Add(const QString& label, double value, int)
{
    auto item = std::make_unique<PieItem>();
    item->owner_ = owner_;
    item->index_ = Count() + 1;
    item->label_ = label;
    item->value_ = value;
    item->color_ = ChartComponent::defaultColour(Count());
    items_.push_back(std::move(item));
    if (owner_)
        owner_->dataChanged();
    return *items_.back();
}

PieItem& PieItems::Item(int index)
{
    Q_ASSERT_X(index >= 1 && index <= Count(), "PieItems::Item", "index out of range");
    if (index < 1 || index > Count()) {
        detached_ = PieItem();
        return detached_;
    }
    return *items_[static_cast<std::size_t>(index - 1)];
}

const PieItem& PieItems::Item(int index) const
{
    static const PieItem none;
    Q_ASSERT_X(index >= 1 && index <= Count(), "PieItems::Item", "index out of range");
    if (index < 1 || index > Count())
        return none;
    return *items_[static_cast<std::size_t>(index - 1)];
}

// ---------------------------------------------------------------- PieChart

PieChart::PieChart(QWidget* parent) : ChartComponent(parent)
{
    items_.owner_ = this;
}

PieChart::~PieChart() = default;

int PieChart::PieLabelMode() const
{
    return labelMode_;
}

void PieChart::setPieLabelMode(int mode)
{
    labelMode_ = mode == 1 ? 1 : 0;
    dataChanged();
}

PieItems& PieChart::Items()
{
    return items_;
}

const PieItems& PieChart::Items() const
{
    return items_;
}

void PieChart::ShowValues(bool show)
{
    valuesShown_ = show;
    dataChanged();
}

void PieChart::dataChanged()
{
    invalidate(StyleChanged);
}

QList<LegendEntry> PieChart::legendEntries() const
{
    QList<LegendEntry> entries;
    entries.reserve(items_.Count());
    for (const auto& item : items_.items_)
        entries.append(LegendEntry{item->label_, toQColor(item->color_)});
    return entries;
}

bool PieChart::restyleAfterLayout() const
{
    const QRectF plot = laidOutPlotArea();
    return pie_ && !plot.isEmpty() && insideLabels(plot) != insideShown_;
}

// Room for pulled-out slices and for labels on arms: Qt does not shrink the
// pie for either.
double PieChart::pieSize() const
{
    const bool exploded = std::any_of(items_.items_.begin(), items_.items_.end(),
                                      [](const auto& item) { return item->exploded_; });
    return (labelMode_ == 1 ? 0.62 : 0.78) - (exploded ? 0.1 : 0.0);
}

QList<bool> PieChart::insideLabels(const QRectF& plot) const
{
    QList<bool> shown;
    if (labelMode_ == 1)
        return shown;
    double total = 0.0;
    for (const auto& item : items_.items_)
        if (std::isfinite(item->value_) && item->value_ > 0)
            total += item->value_;
    const QFontMetricsF metrics(LegendFont().font());
    const double radius = pieSize() * std::min(plot.width(), plot.height()) / 2;
    double startAngle = 0.0;
    for (const auto& item : items_.items_) {
        const auto [value, text] = sliceValueAndText(*item, valuesShown_);
        const double share = total > 0 ? value / total : 0.0;
        // With a little room around the text; no label wider than the pie
        // fits, so none is measured further.
        const QSizeF label(textfit::advance(metrics, text, 2 * radius) + 8.0,
                           metrics.height() + 4.0);
        shown << (share >= kInsideLabelMinShare &&
                  fitsInside(label, startAngle, share * 360.0, radius));
        startAngle += share * 360.0;
    }
    return shown;
}

bool PieChart::fitsInside(QSizeF label, double startAngle, double span, double radius)
{
    if (span >= 360.0)
        return label.width() < radius && label.height() < radius;
    const double rad = M_PI / 180.0;
    const double middle = (startAngle + span / 2) * rad;
    const QPointF centre(radius / 2 * std::sin(middle), -radius / 2 * std::cos(middle));
    for (const QPointF corner : {QPointF(-1, -1), QPointF(1, -1), QPointF(1, 1), QPointF(-1, 1)}) {
        const QPointF p =
            centre + QPointF(corner.x() * label.width() / 2, corner.y() * label.height() / 2);
        if (std::hypot(p.x(), p.y()) > radius)
            return false;
        // The corner's angle, clockwise from twelve o'clock, within the slice.
        double angle = std::atan2(p.x(), -p.y()) / rad - startAngle;
        angle = std::fmod(angle + 720.0, 360.0);
        if (angle > span)
            return false;
    }
    return true;
}

void PieChart::restyle()
{
    if (pie_) {
        const QList<QPointer<QObject>> before = chartObjects();
        chart_->removeSeries(pie_);
        delete pie_;
        pie_ = nullptr;
        deleteRemoved(before);
    }
    if (items_.Count() == 0)
        return;

    double total = 0.0;
    for (const auto& item : items_.items_)
        if (std::isfinite(item->value_) && item->value_ > 0)
            total += item->value_;

    // The pie's plot area: from the last layout at this size, else the
    // chart's size less the room that title and legend usually take.
    QRectF plot = laidOutPlotArea();
    if (plot.isEmpty()) {
        const QSizeF whole = chartSize();
        plot = QRectF(0, 0, whole.width() * (ShowLegend() ? kPlotWidthWithLegend : kPlotWidth),
                      whole.height() - kTitleRoom);
    }
    insideShown_ = insideLabels(plot);

    pie_ = new QPieSeries;
    pie_->setPieSize(pieSize());
    bool longArm = false;
    for (std::size_t i = 0; i < items_.items_.size(); ++i)
        pie_->append(makeSlice(*items_.items_[i], total, static_cast<int>(i), longArm));
    chart_->addSeries(pie_);

    // The legend lists the labels alone, also when the slices show values.
    // Its markers keep a thin dark outline: left to Qt, they take the
    // slices' white pen, but only once the pie is built anew after a layout.
    const QList<QLegendMarker*> markers = chart_->legend()->markers(pie_);
    for (int i = 0; i < markers.size() && i < items_.Count(); ++i) {
        markers.at(i)->setLabel(chartText(items_.items_[static_cast<std::size_t>(i)]->label_));
        markers.at(i)->setPen(QPen(Qt::black, 1.0));
    }
}

// Slice `index` of a pie whose positive values sum to `total`. Outside
// labels of neighbouring small slices take turns on a long arm (longArm
// says whether the last one did).
QPieSlice* PieChart::makeSlice(const PieItem& item, double total, int index, bool& longArm) const
{
    const auto [value, text] = sliceValueAndText(item, valuesShown_);
    const double share = total > 0 ? value / total : 0.0;
    auto* slice = new QPieSlice(chartText(text), value);

    const QColor fill = toQColor(item.color_);
    slice->setBrush(sliceBrush(fill, item.fillMode_));
    slice->setPen(QPen(Qt::white, 1.0));
    slice->setLabelFont(LegendFont().font());
    if (labelMode_ == 1) {
        slice->setLabelPosition(QPieSlice::LabelOutside);
        slice->setLabelColor(Qt::black);
        slice->setLabelArmLengthFactor(
            share < kSmallSliceShare && (longArm = !longArm) ? kLongArm : kShortArm);
        slice->setLabelVisible(value > 0);
    } else {
        // A label inside is clipped to its slice: it is shown only where it
        // fits whole.
        slice->setLabelPosition(QPieSlice::LabelInsideHorizontal);
        slice->setLabelColor(labelOn(fill));
        slice->setLabelVisible(insideShown_.value(index));
    }
    slice->setExploded(item.exploded_);
    slice->setExplodeDistanceFactor(kExplodeDistance);
    return slice;
}

QString PieChart::kindName() const
{
    return QStringLiteral("Pie chart");
}

// The slice under the point as Qt Charts draws it: the pie centred in the
// plot area, a pulled-out slice moved along its middle.
QString PieChart::toolTipAt(const QPointF& at, QRectF&) const
{
    if (!pie_)
        return {};
    const QRectF plot = chart_->plotArea();
    const double radius = pieSize() * std::min(plot.width(), plot.height()) / 2;
    const double rad = M_PI / 180.0;
    const QList<QPieSlice*> slices = pie_->slices();
    for (int i = 0; i < slices.size() && i < items_.Count(); ++i) {
        const QPieSlice& slice = *slices.at(i);
        const double middle = (slice.startAngle() + slice.angleSpan() / 2) * rad;
        const double out = slice.isExploded() ? slice.explodeDistanceFactor() * radius : 0.0;
        const QPointF d =
            at - plot.center() - QPointF(out * std::sin(middle), -out * std::cos(middle));
        // The point's angle, clockwise from twelve o'clock, within the slice.
        const double angle =
            std::fmod(std::atan2(d.x(), -d.y()) / rad - slice.startAngle() + 720.0, 360.0);
        if (std::hypot(d.x(), d.y()) > radius || angle >= slice.angleSpan())
            continue;
        const PieItem& item = *items_.items_[static_cast<std::size_t>(i)];
        return toldText(item.label_) + QLatin1Char('\n') + valueText(item.value_) +
               QStringLiteral(" (%1%)").arg(slice.percentage() * 100, 0, 'f', 1);
    }
    return {};
}

ChartComponent::Table PieChart::table() const
{
    Table table;
    table.heading = LegendTitle();
    table.columns << QStringLiteral("Value");
    std::vector<double>& values = table.values.emplace_back();
    for (const auto& item : items_.items_) {
        table.rows << item->label_;
        values.push_back(item->value_);
    }
    return table;
}
