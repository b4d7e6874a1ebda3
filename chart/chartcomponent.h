// SPDX-License-Identifier: GPL-3.0-or-later
// The chart component: what the program needs of a chart that it configures
// property by property. ChartComponent holds what the bar chart and the pie
// chart share; AxisChart and PieChart add their own properties and
// collections. All drawing is done by Qt Charts.
//
// Every property write shows on the chart at once, without a further call.
// Placement (Left, Top, Width, Height) is in twips; the component converts
// with the twips-per-pixel factor the window gives it.
#pragma once

#include "chartstate.h"
#include "imageformat.h"
#include "picture.h"
#include "result.h"

#include <QChartView>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPen>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <string>
#include <vector>

struct LegendContent;
struct LegendLayout;
class QGraphicsPixmapItem;
class QGraphicsRectItem;
class QLineSeries;

// One entry of the legend: a slice's or a series' label and colour.
struct LegendEntry {
    QString label;
    QColor colour;
};

// A font that a component owns and hands out: setting its name or size
// changes the chart text that uses it.
class ChartFont
{
  public:
    explicit ChartFont(std::function<void(const QFont&)> apply, const QFont& initial);
    QString Name() const { return font_.family(); }
    void setName(const QString& name);
    double Size() const { return font_.pointSizeF(); }
    void setSize(double points);
    const QFont& font() const { return font_; }

  private:
    QFont font_;
    std::function<void(const QFont&)> apply_;
};

class ChartComponent : public QChartView
{
    Q_OBJECT
  public:
    explicit ChartComponent(QWidget* parent = nullptr);
    ~ChartComponent() override;

    // Twips per pixel of the screen the chart is shown on (15 at 96 DPI).
    void setTwipsPerPixel(double x, double y);

    QString Caption() const;
    void setCaption(const QString& caption);
    QString LegendTitle() const;
    void setLegendTitle(const QString& title);
    bool ShowLegend() const;
    void setShowLegend(bool show);
    // 0 right, 1 left, 2 top, 3 bottom.
    int LegendPos() const;
    void setLegendPos(int pos);
    vp::Colour BackColor() const;
    void setBackColor(vp::Colour colour);
    ChartFont& CaptionFont();
    ChartFont& LegendFont();
    const ChartFont& LegendFont() const { return legendFont_; }
    QImage BackImage() const;
    void setBackImage(const QImage& picture);
    bool ShowBackImage() const;
    void setShowBackImage(bool show);
    // 1: the picture is stretched over the whole chart background.
    int BackImageDrawMode() const;
    void setBackImageDrawMode(int mode);

    float Left() const;
    void setLeft(float twips);
    float Top() const;
    void setTop(float twips);
    float Width() const;
    void setWidth(float twips);
    float Height() const;
    void setHeight(float twips);
    // Visible is QWidget's own setVisible(); this reads the designed state,
    // true even while the window itself is not shown yet.
    bool Visible() const { return !isHidden(); }

    // Shows or hides the value numbers on the bars or slices.
    virtual void ShowValues(bool show) = 0;
    bool valuesShown() const { return valuesShown_; }

    // What the pointer at `at` (in the chart's own coordinates, those of its
    // picture) is shown: a bar's category, series and value, a slice's
    // label, value and share; empty over anything else. `area` becomes the
    // bar's rectangle (empty for a slice), where the text stays true.
    virtual QString toolTipAt(const QPointF& at, QRectF& area) const;

    // The chart's numbers: a heading over the category labels, the value
    // columns' names, the category labels, and each column's values (a
    // column shorter than the labels leaves its last cells empty).
    struct Table {
        QString heading;
        QStringList columns;
        QStringList rows;
        std::vector<std::vector<double>> values;
    };
    virtual Table table() const { return {}; }
    // The table as tab-separated text, a line per row under a line of
    // column names; empty for a chart without values columns. A tab or line
    // break inside a text becomes a blank, so that it cannot split a cell.
    QString tableText() const;
    // The chart's kind as the description and screen readers say it.
    virtual QString kindName() const = 0;
    // What the chart is, its title and its numbers, in a few sentences that
    // name at most kDescribedValues values: what screen readers describe.
    QString description() const;
    static constexpr int kDescribedValues = 60;
    // A value as the tooltips, the table and the description write it: the
    // shortest text that reads back as the same 32-bit float.
    static QString valueText(double value);

    // Writes exactly the picture shown, encoded as the format code says, to
    // fileName (bytes, as the file system takes them). The file is replaced
    // only when the picture is complete. A failure's message says why; the
    // caller names the file.
    vp::Result SaveImage(const std::string& fileName, int format);
    // Puts the same picture on the system clipboard.
    bool CopyToClipboard();
    // Draws the chart anew.
    void Refresh();

    // The picture shown, at the component's size (or the given size), on
    // scale x scale pixels per chart pixel (1 to 4).
    QImage renderImage(QSize size = QSize(), int scale = 1);
    // Draws the picture shown onto any paint device (a picture, an SVG or
    // PDF generator), laid out at the component's size (or the given size)
    // in the device's logical pixels.
    void renderTo(QPaintDevice* device, QSize size = QSize());
    // The picture shown as the encoders take it: at the component's size
    // (or the given size), scale x scale pixels per chart pixel for the
    // pixel formats, titled with the caption.
    imageio::Picture picture(QSize size = QSize(), int scale = 1);

    // Applies every pending change to the Qt Charts objects now. The view
    // does this by itself before it next paints; rendering does it too.
    void flushPending();

    // Colour i (0-based) of the palette that new slices and series take.
    static vp::Colour defaultColour(int index);
    // A data text made safe for Qt Charts, which draws every text as HTML:
    // markup characters escaped, runs of blanks kept, and the characters no
    // picture format can carry replaced (imageio::pictureText).
    static QString chartText(const QString& text);

  protected:
    void resizeEvent(QResizeEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    // A data text as tooltips and the description show it: on one line, a
    // long one shortened in the middle.
    static QString toldText(const QString& text);
    QChart* chart_ = nullptr;
    bool valuesShown_ = false;

    // What a property write invalidates. Changes are collected and applied
    // once, before the next paint or render, so that filling a chart with
    // thousands of Add calls builds the Qt Charts objects only once.
    enum Change { StyleChanged = 1, DataChanged = 2 };
    void invalidate(int change);

    // Qt Charts drops the graphics of removed series and axes only through
    // deleteLater(), so a picture taken before the event loop runs again
    // would still show them. chartObjects() notes the chart's own objects
    // before a removal; deleteRemoved() then deletes those of them that were
    // scheduled for deletion, and nothing else in the program.
    QList<QPointer<QObject>> chartObjects() const;
    static void deleteRemoved(const QList<QPointer<QObject>>& objects);

    // Re-creates the series (and axes) from the component's own model.
    virtual void rebuild() {}
    // Applies colours, fonts and labels to the series built last.
    virtual void restyle() {}
    // Colour of the title and the legend text.
    virtual QColor textColour() const { return Qt::black; }
    // The legend entries the data gives (the heading not counted).
    virtual QList<LegendEntry> legendEntries() const { return {}; }
    // True when the last layout gave a plot area other than the one the
    // size-dependent choices (label thinning, room for texts) assumed: the
    // chart is then styled and laid out once more.
    virtual bool restyleAfterLayout() const { return false; }
    // The chart's size, and the plot area of the last layout when it was
    // made at this size (else an empty rectangle).
    QSizeF chartSize() const;
    QRectF laidOutPlotArea() const;
    // A frame drawn around the whole chart; Qt::NoPen for none.
    void setFramePen(const QPen& pen);
    // Smooth edges for shapes (text is always smoothed). Bars are upright
    // rectangles and look sharper, and paint faster, without.
    void setSmoothShapes(bool smooth);

  private:
    void applyPending();
    void followViewSize();
    void applyCommonStyle();
    void updateDecorations();
    void layOut();
    // The legend: Qt's own when every entry fits in one column (one row at
    // the top or bottom) at the chosen font; otherwise it is drawn here, in
    // columns and with a smaller font as needed, over the room that Qt's
    // emptied legend keeps free.
    void styleLegend(QList<LegendEntry> entries);
    LegendContent legendContent(const QList<LegendEntry>& entries) const;
    void drawLegend(const QList<LegendEntry>& entries, const LegendLayout& layout);
    void placeLegend();
    // Lays the chart out for a picture of the given size (its own when
    // empty), and returns that size.
    QSize layOutFor(QSize size);
    double tppX_ = 15.0;
    double tppY_ = 15.0;
    QString caption_;
    QString legendTitle_;
    bool showLegend_ = true;
    int legendPos_ = 0;
    vp::Colour backColor_ = vp::rgb(255, 255, 255);
    QImage backImage_;
    bool showBackImage_ = false;
    int backImageDrawMode_ = 0;
    ChartFont captionFont_;
    ChartFont legendFont_;

    int pending_ = 0;
    bool queued_ = false;
    // An empty series whose legend entry carries the legend heading; it is
    // always the chart's first series so that its entry comes first.
    QLineSeries* legendHeading_ = nullptr;
    QGraphicsPixmapItem* backImageItem_ = nullptr;
    QGraphicsRectItem* frameItem_ = nullptr;
    // The drawn legend (children of an invisible box), shown when Qt's
    // legend cannot hold every entry.
    QGraphicsRectItem* legendBox_ = nullptr;
    QSizeF legendBlock_;
    // The chart size at which the plot area was last laid out.
    QSizeF plotFor_;
    // The chart's size before a picture of another size was laid out, to go
    // back to once it is drawn.
    QSizeF sizeBeforePicture_;
    QPen framePen_ = QPen(Qt::NoPen);
    QSize backImageScaledFor_;
    bool smoothShapes_ = true;
};
