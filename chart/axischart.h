// SPDX-License-Identifier: GPL-3.0-or-later
// The bar chart component: one or more series of bars over the categories
// of the data lines, grouped or stacked, vertical or horizontal.
#pragma once

#include "chartcomponent.h"

#include <QList>
#include <QString>
#include <memory>
#include <vector>

class QAbstractAxis;
class QAbstractBarSeries;
class QBarSet;
class QBarCategoryAxis;
class QValueAxis;

class AxisChart;
class BarsItem;

// One bar of a series: its category label and value.
struct BarValue {
    QString label;
    double value = 0.0;
};

class BarValues
{
  public:
    // Appends one bar (the third argument is always 0).
    void Add(const QString& label, double value, int kind = 0);
    int Count() const { return static_cast<int>(values_.size()); }
    const BarValue& Item(int index) const; // 1-based

  private:
    friend class AxisChart;
    friend class BarSeries;
    friend class BarSeriesCollection;
    AxisChart* owner_ = nullptr;
    std::vector<BarValue> values_;
};

class BarSeries
{
  public:
    QString Name() const { return name_; }
    vp::Colour Color() const { return color_; }
    void setColor(vp::Colour colour);
    BarValues& Values() { return values_; }
    const BarValues& Values() const { return values_; }

  private:
    friend class AxisChart;
    friend class BarSeriesCollection;
    AxisChart* owner_ = nullptr;
    QString name_;
    vp::Colour color_ = 0;
    BarValues values_;
};

class BarSeriesCollection
{
  public:
    // Appends one series (the second argument is always 1); it already
    // carries a colour from the component's default palette.
    BarSeries& Add(const QString& name, int kind = 1);
    // 1-based. The program only asks for series it added: an index out of
    // range stops a debug build; a release build gets an empty series of
    // this collection's own, reached by no chart.
    BarSeries& Item(int index);
    const BarSeries& Item(int index) const;
    int Count() const { return static_cast<int>(series_.size()); }

  private:
    friend class AxisChart;
    AxisChart* owner_ = nullptr;
    std::vector<std::unique_ptr<BarSeries>> series_;
    BarSeries detached_;
};

class AxisChart : public ChartComponent
{
    Q_OBJECT
  public:
    explicit AxisChart(QWidget* parent = nullptr);
    ~AxisChart() override;

    QString ItemAxisLabel() const;
    void setItemAxisLabel(const QString& label);
    QString UnitAxisLabel() const;
    void setUnitAxisLabel(const QString& label);
    bool ShowUnitAxisGridLines() const;
    void setShowUnitAxisGridLines(bool show);
    // 0 vertical, 1 horizontal.
    int Orientation() const;
    void setOrientation(int orientation);
    // 0 grouped, 1 stacked, 2 stacked to 100%.
    int BarStackingMode() const;
    void setBarStackingMode(int mode);
    // 0..3: no gap, small, medium, large gap between the series' bars.
    int SeriesBarSpacing() const;
    void setSeriesBarSpacing(int spacing);
    vp::Colour BorderColor() const;
    void setBorderColor(vp::Colour colour);
    vp::Colour BarOutlineColor() const;
    void setBarOutlineColor(vp::Colour colour);
    // Colour of the chart's text (title, axes, legend).
    vp::Colour ForeColor() const;
    void setForeColor(vp::Colour colour);
    // Colour of the value numbers.
    vp::Colour ValuesTextColor() const;
    void setValuesTextColor(vp::Colour colour);

    ChartFont& ItemAxisLabelFont();
    ChartFont& UnitAxisLabelFont();
    ChartFont& ItemFont();
    ChartFont& ValuesFont();

    BarSeriesCollection& Series();
    const BarSeriesCollection& Series() const;

    void ShowValues(bool show) override;
    QString toolTipAt(const QPointF& at, QRectF& area) const override;
    Table table() const override;
    QString kindName() const override;

    // Called by the collections when data or a colour changed.
    void dataChanged();
    // Called when a series colour changed: the series is rebuilt as for new
    // data, since any change of a set's look rebuilds it (see styleSets).
    void colourChanged();

    // Value labels are left out above this many bars: each one is a rich
    // text item of its own, far too slow and big for large tables.
    static constexpr int kMaxValueLabels = 1000;
    // Category labels longer than this many characters are shortened.
    static constexpr int kMaxCategoryLabel = 40;

  protected:
    void rebuild() override;
    void restyle() override;
    QColor textColour() const override;
    QList<LegendEntry> legendEntries() const override;
    bool restyleAfterLayout() const override;

  private:
    // How the category axis is labelled at the present size: every step-th
    // label is shown, standing on end or not, at most `band` pixels long,
    // with `pad` empty categories at either end so that the labels of the
    // first and last categories have room.
    struct CategoryLabels {
        int step = 1;
        int pad = 0;
        bool standing = false;
        int band = 0;
        bool operator==(const CategoryLabels& o) const
        {
            return step == o.step && pad == o.pad && standing == o.standing && band == o.band;
        }
    };
    void removeBars();
    void collectLabels(int categories);
    QList<QBarSet*> makeSets(int size, int pad) const;
    // Every series' values, series by series.
    std::vector<std::vector<double>> seriesValues() const;
    CategoryLabels categoryLabels(int categories) const;
    QStringList categoryNames(const CategoryLabels& shown) const;
    int categoryCount() const;
    void styleSets(QAbstractBarSeries* series, const QList<QBarSet*>& sets, int categories) const;
    void styleAxes(int categories);
    void styleAxis(QAbstractAxis& axis, const QString& title, const QFont& titleFont) const;
    void placeBars();

    BarSeriesCollection series_;
    QString itemAxisLabel_;
    QString unitAxisLabel_;
    bool unitGridLines_ = true;
    int orientation_ = 0;
    int stackingMode_ = 0;
    int barSpacing_ = 1;
    vp::Colour borderColor_ = vp::rgb(0, 0, 0);
    vp::Colour barOutlineColor_ = vp::rgb(0, 0, 0);
    vp::Colour foreColor_ = vp::rgb(0, 0, 0);
    vp::Colour valuesTextColor_ = vp::rgb(0, 0, 0);
    ChartFont itemAxisLabelFont_;
    ChartFont unitAxisLabelFont_;
    ChartFont itemFont_;
    ChartFont valuesFont_;

    // The category labels of the chart built last, and how they are shown.
    QStringList labels_;
    CategoryLabels labelled_;
    // Every series' values as of the last rebuild: our bars and the value
    // axis' range read them.
    std::vector<std::vector<double>> values_;
    QAbstractBarSeries* bars_ = nullptr;
    // Every bar's rectangle; drawn here when Qt's series holds no values
    // (see rebuild).
    BarsItem* painted_ = nullptr;
    QBarCategoryAxis* itemAxis_ = nullptr;
    QValueAxis* unitAxis_ = nullptr;
};
