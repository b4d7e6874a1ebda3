#include "chartcomponent.h"
#include "chartstyle.h"

#include "saveimage.h"

#include <QChart>
#include <QClipboard>
#include <QCoreApplication>
#include <QFontMetricsF>
#include <QGraphicsLayout>
#include <QGraphicsPixmapItem>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QGuiApplication>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPainter>
#include <QResizeEvent>
#include <QTimer>

#include <cmath>

namespace
{

// A legend that cannot hold its entries shrinks its font down to this size
// (in points) before it leaves entries out.
constexpr double kSmallestLegendPoints = 6.5;
// Longer legend labels are shortened to about this many characters.
constexpr int kLongestLegendLabel = 28;
// Share of the chart that a legend at the side, or at the top or bottom,
// may take (Qt's own legend takes at most 0.4 of the width).
constexpr double kSideLegendShare = 0.4;
constexpr double kAcrossLegendShare = 0.3;

using chartstyle::startFont;
using chartstyle::toQColor;

} // namespace

// ---------------------------------------------------------------- ChartFont

ChartFont::ChartFont(std::function<void(const QFont&)> apply, const QFont& initial)
    : font_(initial), apply_(std::move(apply))
{
}

void ChartFont::setName(const QString& name)
{
    font_.setFamily(name);
    if (apply_)
        apply_(font_);
}

void ChartFont::setSize(double points)
{
    // A size of 0 or less is no font size: keep the one there is.
    if (!(points > 0.0))
        return;
    font_.setPointSizeF(points);
    if (apply_)
        apply_(font_);
}

// ----------------------------------------------------------- ChartComponent

ChartComponent::ChartComponent(QWidget* parent)
    : QChartView(parent),
      captionFont_([this](const QFont&) { invalidate(StyleChanged); }, startFont(12, true)),
      legendFont_([this](const QFont&) { invalidate(StyleChanged); }, startFont(9, false))
{
    chart_ = new QChart;
    // Saved, copied and printed pictures are taken straight after a change:
    // an animated chart would be caught half drawn.
    chart_->setAnimationOptions(QChart::NoAnimation);
    chart_->setBackgroundRoundness(0);
    // The background colour and picture are drawn beneath the chart (see
    // updateDecorations), so the chart's own background stays off.
    chart_->setBackgroundVisible(false);
    chart_->setPlotAreaBackgroundVisible(false);
    chart_->setMargins(QMargins(10, 10, 10, 10));
    chart_->layout()->setContentsMargins(0, 0, 0, 0);
    chart_->legend()->setAlignment(Qt::AlignRight);
    setChart(chart_);
    setRenderHint(QPainter::Antialiasing);
    setRenderHint(QPainter::TextAntialiasing);
    setRenderHint(QPainter::SmoothPixmapTransform);
    // Thousands of bar items that all move at each layout: a spatial index
    // only costs time here.
    scene()->setItemIndexMethod(QGraphicsScene::NoIndex);

    legendHeading_ = new QLineSeries;
    legendHeading_->setPen(QPen(Qt::transparent));
    chart_->addSeries(legendHeading_);

    backImageItem_ = new QGraphicsPixmapItem;
    backImageItem_->setZValue(-1);
    backImageItem_->setTransformationMode(Qt::SmoothTransformation);
    backImageItem_->setVisible(false);
    scene()->addItem(backImageItem_);
    frameItem_ = new QGraphicsRectItem;
    frameItem_->setZValue(10);
    frameItem_->setBrush(Qt::NoBrush);
    frameItem_->setVisible(false);
    scene()->addItem(frameItem_);

    legendBox_ = new QGraphicsRectItem(chart_);
    legendBox_->setPen(Qt::NoPen);
    legendBox_->setBrush(Qt::NoBrush);
    legendBox_->setZValue(5);
    legendBox_->setVisible(false);

    connect(chart_, &QGraphicsWidget::geometryChanged, this, &ChartComponent::updateDecorations);
    connect(chart_->legend(), &QGraphicsWidget::geometryChanged, this,
            &ChartComponent::placeLegend);
    connect(chart_, &QChart::plotAreaChanged, this, [this] {
        plotFor_ = chart_->size();
        if (restyleAfterLayout())
            invalidate(StyleChanged);
    });
    invalidate(StyleChanged);
}

ChartComponent::~ChartComponent() = default;

vp::Colour ChartComponent::defaultColour(int index)
{
    // Ten clear, well separated colours that keep their look on white and
    // under black text.
    static constexpr vp::Colour palette[10] = {
        vp::rgb(46, 110, 182),  vp::rgb(237, 125, 49),  vp::rgb(76, 165, 80),
        vp::rgb(214, 58, 64),   vp::rgb(141, 100, 190), vp::rgb(146, 98, 78),
        vp::rgb(228, 120, 190), vp::rgb(120, 124, 130), vp::rgb(190, 186, 40),
        vp::rgb(32, 182, 200),
    };
    const int n = static_cast<int>(std::size(palette));
    return palette[((index % n) + n) % n];
}

QString ChartComponent::chartText(const QString& text)
{
    // HTML would fold runs of blanks into one and drop blanks at either end:
    // each blank that follows a blank, or starts or ends the text, becomes a
    // non-breaking one.
    // Qt Charts shortens a text that does not fit at a cost that grows with
    // the square of its length; no chart shows more than a few hundred
    // characters, so longer texts are cut first.
    constexpr int kLongestText = 1000;
    const QString shown =
        text.size() > kLongestText ? text.left(kLongestText - 1) + QChar(0x2026) : text;
    const QString escaped = shown.toHtmlEscaped();
    QString out;
    out.reserve(escaped.size() + 8);
    for (int i = 0; i < escaped.size(); ++i) {
        const QChar c = escaped.at(i);
        if (c == QLatin1Char(' ') &&
            (i == 0 || i == escaped.size() - 1 || escaped.at(i - 1) == QLatin1Char(' ')))
            out += QLatin1String("&nbsp;");
        else if (c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            out += QLatin1Char(' ');
        else
            out += c;
    }
    return out;
}

void ChartComponent::setTwipsPerPixel(double x, double y)
{
    if (x > 0.0)
        tppX_ = x;
    if (y > 0.0)
        tppY_ = y;
}

QString ChartComponent::Caption() const
{
    return caption_;
}

void ChartComponent::setCaption(const QString& caption)
{
    caption_ = caption;
    invalidate(StyleChanged);
}

QString ChartComponent::LegendTitle() const
{
    return legendTitle_;
}

void ChartComponent::setLegendTitle(const QString& title)
{
    legendTitle_ = title;
    invalidate(StyleChanged);
}

bool ChartComponent::ShowLegend() const
{
    return showLegend_;
}

void ChartComponent::setShowLegend(bool show)
{
    showLegend_ = show;
    invalidate(StyleChanged);
}

int ChartComponent::LegendPos() const
{
    return legendPos_;
}

void ChartComponent::setLegendPos(int pos)
{
    // Unknown positions are kept as given but drawn on the right.
    legendPos_ = pos;
    invalidate(StyleChanged);
}

vp::Colour ChartComponent::BackColor() const
{
    return backColor_;
}

void ChartComponent::setBackColor(vp::Colour colour)
{
    backColor_ = colour;
    invalidate(StyleChanged);
}

ChartFont& ChartComponent::CaptionFont()
{
    return captionFont_;
}

ChartFont& ChartComponent::LegendFont()
{
    return legendFont_;
}

QImage ChartComponent::BackImage() const
{
    return backImage_;
}

void ChartComponent::setBackImage(const QImage& picture)
{
    backImage_ = picture;
    backImageScaledFor_ = QSize();
    invalidate(StyleChanged);
}

bool ChartComponent::ShowBackImage() const
{
    return showBackImage_;
}

void ChartComponent::setShowBackImage(bool show)
{
    showBackImage_ = show;
    invalidate(StyleChanged);
}

int ChartComponent::BackImageDrawMode() const
{
    return backImageDrawMode_;
}

void ChartComponent::setBackImageDrawMode(int mode)
{
    backImageDrawMode_ = mode;
    backImageScaledFor_ = QSize();
    invalidate(StyleChanged);
}

float ChartComponent::Left() const
{
    return static_cast<float>(x() * tppX_);
}

void ChartComponent::setLeft(float twips)
{
    move(static_cast<int>(std::lround(twips / tppX_)), y());
}

float ChartComponent::Top() const
{
    return static_cast<float>(y() * tppY_);
}

void ChartComponent::setTop(float twips)
{
    move(x(), static_cast<int>(std::lround(twips / tppY_)));
}

// Width and Height are whole pixels: reading them back gives the size the
// chart really has, which the window uses to centre it.
float ChartComponent::Width() const
{
    return static_cast<float>(width() * tppX_);
}

void ChartComponent::setWidth(float twips)
{
    resize(std::max(1, static_cast<int>(std::lround(twips / tppX_))), height());
    followViewSize();
}

float ChartComponent::Height() const
{
    return static_cast<float>(height() * tppY_);
}

void ChartComponent::setHeight(float twips)
{
    resize(width(), std::max(1, static_cast<int>(std::lround(twips / tppY_))));
    followViewSize();
}

// A view that is not shown gets its resize event only when it is shown, so
// until then the chart would keep its old size: everything built meanwhile
// would be laid out once at that size and again at the real one (20,000
// bars take a tenth of a second each time). The chart takes the view's size
// at once instead.
void ChartComponent::followViewSize()
{
    if (!isVisible() && chart_->size() != QSizeF(size())) {
        chart_->setPos(0, 0);
        chart_->resize(size());
        invalidate(StyleChanged);
    }
}

void ChartComponent::invalidate(int change)
{
    pending_ |= change;
    if (queued_)
        return;
    queued_ = true;
    // Runs before the view next paints; renderImage() does not wait for it.
    QTimer::singleShot(0, this, [this] { flushPending(); });
}

QList<QPointer<QObject>> ChartComponent::chartObjects() const
{
    QList<QPointer<QObject>> objects;
    if (QGraphicsScene* scene = chart_->scene()) {
        for (QGraphicsItem* item : scene->items())
            if (QGraphicsObject* object = item->toGraphicsObject())
                objects.append(object);
    }
    return objects;
}

void ChartComponent::deleteRemoved(const QList<QPointer<QObject>>& objects)
{
    for (const QPointer<QObject>& object : objects)
        if (object)
            QCoreApplication::sendPostedEvents(object, QEvent::DeferredDelete);
}

void ChartComponent::flushPending()
{
    applyPending();
}

void ChartComponent::applyPending()
{
    queued_ = false;
    const int change = pending_;
    pending_ = 0;
    if (change == 0)
        return;
    if (change & DataChanged)
        rebuild();
    restyle();
    applyCommonStyle();
    viewport()->update();
}

void ChartComponent::applyCommonStyle()
{
    const QColor text = textColour();
    chart_->setTitle(chartText(caption_));
    chart_->setTitleFont(captionFont_.font());
    chart_->setTitleBrush(text);

    QLegend* legend = chart_->legend();
    switch (legendPos_) {
    case 1:
        legend->setAlignment(Qt::AlignLeft);
        break;
    case 2:
        legend->setAlignment(Qt::AlignTop);
        break;
    case 3:
        legend->setAlignment(Qt::AlignBottom);
        break;
    default:
        legend->setAlignment(Qt::AlignRight);
        break;
    }
    legend->setFont(legendFont_.font());
    legend->setLabelColor(text);
    legend->setBackgroundVisible(false);
    styleLegend(legendEntries());

    const QColor back = toQColor(backColor_);
    scene()->setBackgroundBrush(back);
    setBackgroundBrush(back);
    backImageScaledFor_ = QSize();
    updateDecorations();
}

QSizeF ChartComponent::chartSize() const
{
    return chart_->size();
}

QRectF ChartComponent::laidOutPlotArea() const
{
    return plotFor_ == chart_->size() ? chart_->plotArea() : QRectF();
}

void ChartComponent::styleLegend(const QList<LegendEntry>& entries)
{
    QLegend* legend = chart_->legend();
    qDeleteAll(legendBox_->childItems());
    legendBlock_ = QSizeF();
    legend->setPreferredSize(-1, -1);
    const int n = static_cast<int>(entries.size());
    legend->setVisible(showLegend_ && n > 0);
    const bool heading = !legendTitle_.isEmpty();
    QFont font = legendFont_.font();
    QFont bold = font;
    bold.setBold(true);

    // The room the legend may take: what the margins and the title leave.
    const QSizeF size = chartSize();
    const QMargins margins = chart_->margins();
    const qreal titleHeight =
        caption_.isEmpty() ? 0.0 : QFontMetricsF(captionFont_.font()).height() + 8.0;
    const qreal contentWidth = size.width() - margins.left() - margins.right();
    const qreal contentHeight = size.height() - margins.top() - margins.bottom() - titleHeight;
    const bool across = legendPos_ == 2 || legendPos_ == 3;

    // Qt's legend lays its entries out in one column (or row) and cuts off
    // what does not fit; it is kept only where all fit, with room to spare.
    bool own = false;
    if (legend->isVisible()) {
        const QFontMetricsF metrics(font);
        const qreal extra = metrics.height() / 2 + 18.0;
        qreal widest = heading ? QFontMetricsF(bold).horizontalAdvance(legendTitle_) + 18.0 : 0.0;
        qreal total = widest;
        for (const LegendEntry& entry : entries) {
            const qreal w = metrics.horizontalAdvance(entry.label) + extra;
            widest = std::max(widest, w);
            total += w;
        }
        own = across ? total > contentWidth
                     : (n + (heading ? 1 : 0)) * (metrics.height() + 10.0) > contentHeight ||
                           widest > kSideLegendShare * contentWidth;
    }

    // The drawn legend: first more columns, then a smaller font; only at the
    // smallest font are entries left out, and the last place says how many.
    int columns = 1, rows = n, shown = n;
    qreal row = 0, column = 0, headHeight = 0, marker = 0;
    if (own) {
        const qreal maxWidth = across ? contentWidth : kSideLegendShare * contentWidth;
        const qreal maxHeight = across ? kAcrossLegendShare * contentHeight : contentHeight;
        for (double points = font.pointSizeF();; points -= 0.5) {
            const bool last = points <= kSmallestLegendPoints;
            font.setPointSizeF(std::max(points, kSmallestLegendPoints));
            bold.setPointSizeF(font.pointSizeF());
            const QFontMetricsF metrics(font);
            row = std::ceil(metrics.height() + 3.0);
            marker = std::round(metrics.height() * 0.6);
            headHeight = heading ? std::ceil(QFontMetricsF(bold).height() + 4.0) : 0.0;
            qreal text = 0.0;
            for (const LegendEntry& entry : entries)
                text = std::max(text, metrics.horizontalAdvance(entry.label));
            text = std::min(text, metrics.averageCharWidth() * kLongestLegendLabel);
            column = std::min(std::ceil(marker + 5.0 + text + 12.0), maxWidth);
            const int maxColumns = std::max(1, static_cast<int>(maxWidth / column));
            const int maxRows = std::max(1, static_cast<int>((maxHeight - headHeight) / row));
            if (across) {
                columns = std::min(n, maxColumns);
                rows = (n + columns - 1) / columns;
            } else {
                rows = std::min(n, maxRows);
                columns = (n + rows - 1) / rows;
                rows = (n + columns - 1) / columns;
            }
            if (columns <= maxColumns && rows <= maxRows)
                break;
            if (last) {
                columns = maxColumns;
                rows = maxRows;
                shown = std::max(0, columns * rows - 1);
                break;
            }
        }
    }

    // The legend heading: the first entry, in bold, with no marker drawn.
    const QColor text = textColour();
    for (QLegendMarker* marker : legend->markers(legendHeading_)) {
        marker->setFont(bold);
        marker->setLabel(chartText(legendTitle_));
        marker->setBrush(QColor(Qt::transparent));
        marker->setPen(QPen(Qt::transparent));
        marker->setLabelBrush(text);
        marker->setVisible(heading && !own);
    }
    // Qt's legend, when it cannot hold the entries, still keeps the room
    // free but draws nothing. Its entries are hidden then: laying out their
    // texts would cost as much as drawing all bars.
    for (QLegendMarker* marker : legend->markers())
        if (marker->series() != legendHeading_)
            marker->setVisible(!own);
    legend->setOpacity(own ? 0.0 : 1.0);
    if (!own) {
        legendBox_->setVisible(false);
        return;
    }

    auto addText = [&](const QString& label, const QFont& f, qreal x, qreal y, qreal width) {
        auto* item = new QGraphicsSimpleTextItem(
            QFontMetricsF(f).elidedText(label, Qt::ElideRight, width), legendBox_);
        item->setFont(f);
        item->setBrush(text);
        item->setPos(x, y + (row - QFontMetricsF(f).height()) / 2);
    };
    qreal width = columns * column;
    if (heading) {
        width = std::max(width, std::min(QFontMetricsF(bold).horizontalAdvance(legendTitle_),
                                         across ? contentWidth : kSideLegendShare * contentWidth));
        addText(legendTitle_, bold, 0, 0, width);
    }
    const qreal textWidth = column - marker - 5.0 - 12.0;
    for (int i = 0; i <= shown && i < n; ++i) {
        const int c = across ? i % columns : i / rows;
        const int r = across ? i / columns : i % rows;
        const qreal x = c * column, y = headHeight + r * row;
        if (i == shown) {
            addText(QStringLiteral("+%1 more").arg(n - shown), font, x, y, column);
            break;
        }
        auto* box = new QGraphicsRectItem(x, y + (row - marker) / 2, marker, marker, legendBox_);
        box->setBrush(entries.at(i).colour);
        box->setPen(QPen(entries.at(i).colour.darker(140), 1.0));
        addText(entries.at(i).label, font, x + marker + 5.0, y, textWidth);
    }
    legendBlock_ = QSizeF(width, headHeight + rows * row);
    // Qt's legend, drawing nothing, keeps that room free.
    if (across)
        legend->setPreferredHeight(legendBlock_.height() + 6.0);
    else
        legend->setPreferredWidth(legendBlock_.width() + 10.0);
    placeLegend();
}

// The drawn legend sits in the room Qt's legend was given: centred on it
// along its length, as Qt centres its own entries.
void ChartComponent::placeLegend()
{
    QLegend* legend = chart_->legend();
    if (legendBlock_.isEmpty() || !legend->isVisible()) {
        legendBox_->setVisible(false);
        return;
    }
    const QRectF room = legend->geometry();
    const bool across = legendPos_ == 2 || legendPos_ == 3;
    const qreal x = across ? room.center().x() - legendBlock_.width() / 2 : room.left() + 5.0;
    const qreal y = across ? room.top() + 3.0
                           : std::max(room.top(), room.center().y() - legendBlock_.height() / 2);
    legendBox_->setPos(std::round(x), std::round(y));
    legendBox_->setVisible(true);
}

void ChartComponent::setSmoothShapes(bool smooth)
{
    smoothShapes_ = smooth;
    setRenderHint(QPainter::Antialiasing, smooth);
}

void ChartComponent::setFramePen(const QPen& pen)
{
    framePen_ = pen;
    updateDecorations();
}

// The background picture and the frame follow the chart's size: they are
// scene items beneath and above the chart, so that the screen, the saved
// picture and the clipboard all show them.
void ChartComponent::updateDecorations()
{
    const QRectF rect(chart_->pos(), chart_->size());

    const bool showPicture = showBackImage_ && !backImage_.isNull() && !rect.isEmpty();
    if (showPicture && backImageScaledFor_ != rect.size().toSize()) {
        const QSize size = rect.size().toSize();
        QPixmap pixmap;
        if (backImageDrawMode_ == 1) {
            // Stretched over the whole background.
            pixmap = QPixmap::fromImage(
                backImage_.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        } else {
            // Any other mode: the picture at its own size, repeated.
            pixmap = QPixmap(size);
            pixmap.fill(toQColor(backColor_));
            QPainter painter(&pixmap);
            painter.fillRect(QRect(QPoint(0, 0), size), QBrush(backImage_));
        }
        backImageItem_->setPixmap(pixmap);
        backImageScaledFor_ = size;
    }
    backImageItem_->setPos(rect.topLeft());
    backImageItem_->setVisible(showPicture);

    const bool showFrame = framePen_.style() != Qt::NoPen && !rect.isEmpty();
    if (showFrame) {
        const qreal half = framePen_.widthF() / 2.0;
        frameItem_->setPen(framePen_);
        frameItem_->setRect(rect.adjusted(half, half, -half, -half));
    }
    frameItem_->setVisible(showFrame);
}

// Qt Charts only posts its layout requests: run them now, or a picture
// shows the new data under the old title and legend.
void ChartComponent::layOut()
{
    QCoreApplication::sendPostedEvents();
    if (chart_->layout())
        chart_->layout()->activate();
}

void ChartComponent::resizeEvent(QResizeEvent* event)
{
    flushPending();
    QChartView::resizeEvent(event);
    // Label rotation and the like depend on the size.
    invalidate(StyleChanged);
}

void ChartComponent::renderTo(QPaintDevice* device, QSize size)
{
    const bool ownSize = !size.isValid() || size.isEmpty();
    if (ownSize)
        size = this->size();
    size = size.expandedTo(QSize(1, 1));

    // The size first: legend, label thinning and the room for texts depend
    // on it.
    const QSizeF before = chart_->size();
    if (before != QSizeF(size)) {
        chart_->setPos(0, 0);
        chart_->resize(size);
        pending_ |= StyleChanged;
    }
    applyPending();
    layOut();
    if (restyleAfterLayout()) {
        pending_ |= StyleChanged;
        applyPending();
        layOut();
    }

    {
        QPainter painter(device);
        const QRectF area(QPointF(0, 0), QSizeF(size));
        painter.fillRect(area, toQColor(backColor_));
        painter.setRenderHint(QPainter::Antialiasing, smoothShapes_);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        scene()->render(&painter, area, QRectF(chart_->pos(), QSizeF(size)));
    }
    // A picture of another size than the view's must not leave the view's
    // chart at that size.
    if (!ownSize && !before.isEmpty() && before != QSizeF(size)) {
        chart_->resize(before);
        invalidate(StyleChanged);
    }
}

imageio::Picture ChartComponent::picture(QSize size, int scale)
{
    imageio::Picture picture;
    picture.size =
        (!size.isValid() || size.isEmpty() ? this->size() : size).expandedTo(QSize(1, 1));
    picture.scale = scale;
    picture.title = Caption();
    picture.paint = [this, size](QPaintDevice* device) { renderTo(device, size); };
    return picture;
}

QImage ChartComponent::renderImage(QSize size, int scale)
{
    return imageio::rasterize(picture(size, scale));
}

vp::Result ChartComponent::SaveImage(const std::string& fileName, int format)
{
    return imageio::saveImage(picture(), format, fileName);
}

bool ChartComponent::CopyToClipboard()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return false;
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return false;
    clipboard->setImage(renderImage());
    return true;
}

void ChartComponent::Refresh()
{
    flushPending();
    viewport()->update();
}
