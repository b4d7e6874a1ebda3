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

#include <QChartView>
#include <QFont>
#include <QImage>
#include <QString>

#include <functional>

// Image format codes of SaveImage.
enum ImageFormat : int {
    FormatBMP = 0,
    FormatPNG = 1,
    FormatJPG = 2,
    FormatTIF = 3,
    FormatGIF = 4,
};

// A font that a component owns and hands out: setting its name or size
// changes the chart text that uses it.
class ChartFont {
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

// Outcome of SaveImage: empty error when the file was written.
struct SaveResult {
    bool ok = true;
    QString error;
};

class ChartComponent : public QChartView {
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

    // Writes exactly the picture shown, encoded as the format code says.
    // The file is replaced only when the picture is complete.
    SaveResult SaveImage(const QString& fileName, int format);
    // Puts the same picture on the system clipboard.
    bool CopyToClipboard();
    // Draws the chart anew.
    void Refresh();

    // The picture shown, at the component's size (or the given size).
    QImage renderImage(QSize size = QSize()) const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    QChart* chart_ = nullptr;
    bool valuesShown_ = false;
    // Called whenever the chart must be laid out again (data or property).
    virtual void rebuild() {}

private:
    void updateBackground();
    double tppX_ = 15.0;
    double tppY_ = 15.0;
    QString caption_;
    QString legendTitle_;
    int legendPos_ = 0;
    vp::Colour backColor_ = vp::rgb(255, 255, 255);
    QImage backImage_;
    bool showBackImage_ = false;
    int backImageDrawMode_ = 0;
    ChartFont captionFont_;
    ChartFont legendFont_;
};
