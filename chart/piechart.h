// SPDX-License-Identifier: GPL-3.0-or-later
// The pie chart component: one slice per data line.
#pragma once

#include "chartcomponent.h"

#include <QString>
#include <memory>
#include <vector>

class PieChart;
class QPieSeries;
class QPieSlice;

class PieItem
{
  public:
    QString Label() const { return label_; }
    double Value() const { return value_; }
    vp::Colour Color() const { return color_; }
    void setColor(vp::Colour colour);
    // 2: graduated colours (a gradient of the slice colour).
    int FillMode() const { return fillMode_; }
    void setFillMode(int mode);
    // The slice is drawn pulled out of the pie.
    bool Exploded() const { return exploded_; }
    void setExploded(bool exploded);

  private:
    friend class PieChart;
    friend class PieItems;
    PieChart* owner_ = nullptr;
    int index_ = 0;
    QString label_;
    double value_ = 0.0;
    vp::Colour color_ = 0;
    int fillMode_ = 0;
    bool exploded_ = false;
};

class PieItems
{
  public:
    // Appends one slice (the third argument is always 1); it already carries
    // a colour from the component's default palette.
    PieItem& Add(const QString& label, double value, int kind = 1);
    // 1-based. The program only asks for slices it added: an index out of
    // range stops a debug build; a release build gets an empty slice of this
    // collection's own, reached by no chart.
    PieItem& Item(int index);
    const PieItem& Item(int index) const;
    int Count() const { return static_cast<int>(items_.size()); }

  private:
    friend class PieChart;
    PieChart* owner_ = nullptr;
    std::vector<std::unique_ptr<PieItem>> items_;
    PieItem detached_;
};

class PieChart : public ChartComponent
{
    Q_OBJECT
  public:
    explicit PieChart(QWidget* parent = nullptr);
    ~PieChart() override;

    // 0 labels inside the slices, 1 outside.
    int PieLabelMode() const;
    void setPieLabelMode(int mode);

    PieItems& Items();
    const PieItems& Items() const;

    void ShowValues(bool show) override;
    QString toolTipAt(const QPointF& at, QRectF& area) const override;
    Table table() const override;
    QString kindName() const override;

    // Called by the slices when data or a look changed.
    void dataChanged();

  protected:
    // A pie has at most a few hundred slices: every change builds it anew.
    void restyle() override;
    QList<LegendEntry> legendEntries() const override;
    bool restyleAfterLayout() const override;

  private:
    // Whether a label of this size, centred half way out along the slice
    // from startAngle (degrees clockwise from twelve o'clock) over span,
    // lies wholly inside the slice of a pie of this radius.
    static bool fitsInside(QSizeF label, double startAngle, double span, double radius);
    // Per slice, whether its label fits inside it in the given plot area.
    QList<bool> insideLabels(const QRectF& plot) const;
    double pieSize() const;
    QPieSlice* makeSlice(const PieItem& item, double total, int index, bool& longArm) const;
    QList<bool> insideShown_;
    PieItems items_;
    int labelMode_ = 0;
    QPieSeries* pie_ = nullptr;
};
