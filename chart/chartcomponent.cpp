// SPDX-License-Identifier: GPL-3.0-or-later
#include "chartcomponent.h"
#include "chartstyle.h"
#include "legendlayout.h"
#include "textfit.h"

#include "saveimage.h"

#include <QAccessibleWidget>
#include <QBuffer>
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
#include <QHelpEvent>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QMimeData>
#include <QPainter>
#include <QResizeEvent>
#include <QTextDocument>
#include <QTimer>
#include <QToolTip>

#include <charconv>
#include <cmath>

namespace
{

// The chart's title takes a line of its font and this much more.
constexpr double kTitleSpacing = 8.0;
// The room Qt's emptied legend keeps free around the drawn legend: added
// to its height at the top or bottom, to its width at a side; and where in
// that room the drawn legend starts.
constexpr double kAcrossLegendPadding = 6.0;
constexpr double kSideLegendPadding = 10.0;
constexpr double kAcrossLegendTop = 3.0;
constexpr double kSideLegendLeft = 5.0;
// A drawn legend marker's outline: its colour this much darker (in percent,
// as QColor::darker takes it).
constexpr int kMarkerOutlineDarker = 140;

// The legend font's measures; the widest entry text is left to the caller.
// Texts wider than room (the chart's width) count as that wide at least:
// the legend's layout treats them all alike.
LegendFontMeasures measureFont(const QFont& font, bool heading, const QString& title, qreal room)
{
    const QFontMetricsF metrics(font);
    LegendFontMeasures measures;
    measures.lineHeight = metrics.height();
    measures.averageCharWidth = metrics.averageCharWidth();
    if (heading) {
        QFont bold = font;
        bold.setBold(true);
        const QFontMetricsF boldMetrics(bold);
        measures.headingHeight = boldMetrics.height();
        measures.headingWidth = textfit::advance(boldMetrics, title, room);
    }
    return measures;
}

double widestLabel(const QFont& font, const QList<LegendEntry>& entries, qreal room)
{
    const QFontMetricsF metrics(font);
    double widest = 0.0;
    for (const LegendEntry& entry : entries)
        widest = std::max(widest, textfit::advance(metrics, entry.label, room));
    return widest;
}

using chartstyle::startFont;
using chartstyle::toQColor;

// A cell of the copied table keeps this many characters at most; a label in
// the description at most kLongestTold.
constexpr int kLongestCell = 1000;
constexpr int kLongestTold = 80;
// The description names this many series at most.
constexpr int kToldSeries = 20;

// A text as a cell or a description shows it: control characters (tabs and
// line breaks among them) become blanks, and one longer than `longest`
// characters loses its middle.
QString plainText(const QString& text, int longest)
{
    QString plain = text.size() > longest ? text.left(longest / 2) + QChar(0x2026) +
                                                text.right(longest - longest / 2 - 1)
                                          : text;
    for (QChar& c : plain)
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            c = QLatin1Char(' ');
    return plain;
}

// Screen readers announce a chart component as a chart, named by its kind
// and described as it is when they ask.
class ChartAccessible : public QAccessibleWidget
{
  public:
    explicit ChartAccessible(ChartComponent* chart) : QAccessibleWidget(chart, QAccessible::Chart)
    {
    }
    QString text(QAccessible::Text t) const override
    {
        const auto* chart = static_cast<const ChartComponent*>(widget());
        return t == QAccessible::Name          ? chart->kindName()
               : t == QAccessible::Description ? chart->description()
                                               : QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* chartAccessible(const QString&, QObject* object)
{
    auto* chart = qobject_cast<ChartComponent*>(object);
    return chart ? new ChartAccessible(chart) : nullptr;
}

// The copied chart: its picture, offered as PNG before anything else (X11
// programs see the formats in this order, and a paste takes the first one
// it can use), and its numbers as text.
class ChartMimeData : public QMimeData
{
  public:
    QStringList formats() const override
    {
        return QStringList(QStringLiteral("image/png")) + QMimeData::formats();
    }

  protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override
    {
        if (mimeType != QLatin1String("image/png"))
            return QMimeData::retrieveData(mimeType, type);
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        qvariant_cast<QImage>(imageData()).save(&buffer, "PNG");
        return png;
    }
};

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
    static const bool accessible = (QAccessible::installFactory(chartAccessible), true);
    Q_UNUSED(accessible);
    chart_ = new QChart;
    // Saved, copied and printed pictures are taken straight after a change,
    // so the chart keeps Qt's default of no animation.
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
    const QString shown = imageio::pictureText(
        text.size() > kLongestText ? text.left(kLongestText - 1) + QChar(0x2026) : text);
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
// would be laid out once at that size and again at the real one, which for
// thousands of bars is slow. The chart takes the view's size at once
// instead.
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

// The room the legend may take (what the margins and the title leave) and
// its entries' texts, measured in the legend font.
LegendContent ChartComponent::legendContent(const QList<LegendEntry>& entries) const
{
    LegendContent content;
    const QFont font = legendFont_.font();
    content.points = font.pointSizeF();
    content.heading = !legendTitle_.isEmpty();
    content.across = legendPos_ == 2 || legendPos_ == 3;
    const QSizeF size = chartSize();
    const QMargins margins = chart_->margins();
    const qreal titleHeight =
        caption_.isEmpty() ? 0.0 : QFontMetricsF(captionFont_.font()).height() + kTitleSpacing;
    content.width = size.width() - margins.left() - margins.right();
    content.height = size.height() - margins.top() - margins.bottom() - titleHeight;

    content.font = measureFont(font, content.heading, textfit::shown(legendTitle_), size.width());
    const QFontMetricsF metrics(font);
    content.labelWidths.reserve(entries.size());
    for (const LegendEntry& entry : entries) {
        content.labelWidths.push_back(textfit::advance(metrics, entry.label, size.width()));
        content.font.widestLabel = std::max(content.font.widestLabel, content.labelWidths.back());
    }
    return content;
}

void ChartComponent::styleLegend(QList<LegendEntry> entries)
{
    for (LegendEntry& entry : entries)
        entry.label = textfit::shown(entry.label);
    QLegend* legend = chart_->legend();
    qDeleteAll(legendBox_->childItems());
    legendBlock_ = QSizeF();
    legend->setPreferredSize(-1, -1);
    legend->setVisible(showLegend_ && !entries.isEmpty());
    LegendLayout layout;
    if (legend->isVisible()) {
        const QFont base = legendFont_.font();
        const bool heading = !legendTitle_.isEmpty();
        const QString title = textfit::shown(legendTitle_);
        const qreal room = chartSize().width();
        layout = layoutLegend(legendContent(entries), [&](double points) {
            QFont font = base;
            font.setPointSizeF(points);
            LegendFontMeasures measures = measureFont(font, heading, title, room);
            measures.widestLabel = widestLabel(font, entries, room);
            return measures;
        });
    }

    // The legend heading: the first entry, in bold, with no marker drawn.
    QFont bold = legendFont_.font();
    if (layout.drawn)
        bold.setPointSizeF(layout.points);
    bold.setBold(true);
    const QColor text = textColour();
    for (QLegendMarker* marker : legend->markers(legendHeading_)) {
        marker->setFont(bold);
        marker->setLabel(chartText(legendTitle_));
        marker->setBrush(QColor(Qt::transparent));
        marker->setPen(QPen(Qt::transparent));
        marker->setLabelBrush(text);
        marker->setVisible(!legendTitle_.isEmpty() && !layout.drawn);
    }
    // Qt's legend, when it cannot hold the entries, still keeps the room
    // free but draws nothing. Its entries are hidden then: laying out their
    // texts would cost as much as drawing all bars.
    for (QLegendMarker* marker : legend->markers())
        if (marker->series() != legendHeading_)
            marker->setVisible(!layout.drawn);
    legend->setOpacity(layout.drawn ? 0.0 : 1.0);
    if (!layout.drawn) {
        legendBox_->setVisible(false);
        return;
    }
    drawLegend(entries, layout);
}

// The drawn legend: the heading, then each entry's marker and text, column
// by column at a side and row by row at the top or bottom.
void ChartComponent::drawLegend(const QList<LegendEntry>& entries, const LegendLayout& layout)
{
    QFont font = legendFont_.font();
    font.setPointSizeF(layout.points);
    QFont bold = font;
    bold.setBold(true);
    const QColor text = textColour();
    const bool across = legendPos_ == 2 || legendPos_ == 3;
    const qreal row = layout.rowHeight, column = layout.columnWidth, marker = layout.markerSize;
    auto addText = [&](const QString& label, const QFont& f, qreal x, qreal y, qreal width) {
        auto* item = new QGraphicsSimpleTextItem(textfit::elided(QFontMetricsF(f), label, width),
                                                 legendBox_);
        item->setFont(f);
        item->setBrush(text);
        item->setPos(x, y + (row - QFontMetricsF(f).height()) / 2);
    };
    if (!legendTitle_.isEmpty())
        addText(textfit::shown(legendTitle_), bold, 0, 0, layout.width);
    const qreal textWidth = column - marker - kLegendMarkerGap - kLegendColumnGap;
    const int n = static_cast<int>(entries.size());
    for (int i = 0; i <= layout.shown && i < n; ++i) {
        const int c = across ? i % layout.columns : i / layout.rows;
        const int r = across ? i / layout.columns : i % layout.rows;
        const qreal x = c * column, y = layout.headingHeight + r * row;
        if (i == layout.shown) {
            addText(QStringLiteral("+%1 more").arg(n - layout.shown), font, x, y, column);
            break;
        }
        auto* box = new QGraphicsRectItem(x, y + (row - marker) / 2, marker, marker, legendBox_);
        box->setBrush(entries.at(i).colour);
        box->setPen(QPen(entries.at(i).colour.darker(kMarkerOutlineDarker), 1.0));
        addText(entries.at(i).label, font, x + marker + kLegendMarkerGap, y, textWidth);
    }
    legendBlock_ = QSizeF(layout.width, layout.height());
    // Qt's legend, drawing nothing, keeps that room free.
    if (across)
        chart_->legend()->setPreferredHeight(legendBlock_.height() + kAcrossLegendPadding);
    else
        chart_->legend()->setPreferredWidth(legendBlock_.width() + kSideLegendPadding);
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
    const qreal x =
        across ? room.center().x() - legendBlock_.width() / 2 : room.left() + kSideLegendLeft;
    const qreal y = across ? room.top() + kAcrossLegendTop
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

QSize ChartComponent::layOutFor(QSize size)
{
    const bool ownSize = !size.isValid() || size.isEmpty();
    if (ownSize)
        size = this->size();
    size = size.expandedTo(QSize(1, 1));

    // The size first: legend, label thinning and the room for texts depend
    // on it.
    const QSizeF before = chart_->size();
    if (before != QSizeF(size)) {
        // A picture of another size than the view's must not leave the
        // view's chart at that size (see renderTo).
        if (!ownSize && !before.isEmpty() && sizeBeforePicture_.isEmpty())
            sizeBeforePicture_ = before;
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
    return size;
}

void ChartComponent::renderTo(QPaintDevice* device, QSize size)
{
    size = layOutFor(size);
    {
        QPainter painter(device);
        const QRectF area(QPointF(0, 0), QSizeF(size));
        painter.fillRect(area, toQColor(backColor_));
        painter.setRenderHint(QPainter::Antialiasing, smoothShapes_);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        scene()->render(&painter, area, QRectF(chart_->pos(), QSizeF(size)));
    }
    if (!sizeBeforePicture_.isEmpty()) {
        chart_->resize(sizeBeforePicture_);
        sizeBeforePicture_ = QSizeF();
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
    picture.prepare = [this, size] { layOutFor(size); };
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

// The picture, and the numbers beside it for a spreadsheet or a text.
bool ChartComponent::CopyToClipboard()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return false;
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return false;
    auto* data = new ChartMimeData;
    data->setImageData(renderImage());
    if (const QString table = tableText(); !table.isEmpty())
        data->setText(table);
    clipboard->setMimeData(data);
    return true;
}

void ChartComponent::Refresh()
{
    flushPending();
    viewport()->update();
}

QString ChartComponent::toolTipAt(const QPointF&, QRectF&) const
{
    return {};
}

QString ChartComponent::toldText(const QString& text)
{
    return plainText(text, kLongestTold);
}

// Tooltips change nothing: no state, no redraw.
bool ChartComponent::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        QRectF area;
        const QString text = toolTipAt(chart_->mapFromScene(mapToScene(help->pos())), area);
        if (!text.isEmpty()) {
            const QRect shown =
                area.isEmpty() ? QRect() : mapFromScene(chart_->mapToScene(area)).boundingRect();
            QToolTip::showText(help->globalPos(), Qt::convertFromPlainText(text), viewport(),
                               shown);
            return true;
        }
    }
    return QChartView::viewportEvent(event);
}

QString ChartComponent::valueText(double value)
{
    char text[64];
    const float single = static_cast<float>(value);
    const char* end = static_cast<double>(single) == value
                          ? std::to_chars(text, text + sizeof text, single).ptr
                          : std::to_chars(text, text + sizeof text, value).ptr;
    return QString::fromLatin1(text, end - text);
}

QString ChartComponent::tableText() const
{
    const Table table = this->table();
    if (table.columns.isEmpty())
        return {};
    QString text = plainText(table.heading, kLongestCell);
    for (const QString& column : table.columns)
        text += QLatin1Char('\t') + plainText(column, kLongestCell);
    for (std::size_t r = 0; r < static_cast<std::size_t>(table.rows.size()); ++r) {
        text += QLatin1Char('\n') + plainText(table.rows[r], kLongestCell);
        for (const std::vector<double>& values : table.values)
            text += QLatin1Char('\t') + (r < values.size() ? valueText(values[r]) : QString());
    }
    return text + QLatin1Char('\n');
}

QString ChartComponent::description() const
{
    const Table table = this->table();
    QString text = kindName();
    if (!caption_.isEmpty())
        text += QStringLiteral(": ") + plainText(caption_, kLongestTold);
    text += QLatin1Char('.');
    if (table.columns.size() > 1) {
        QStringList names;
        for (const QString& column : table.columns.mid(0, kToldSeries))
            names << plainText(column, kLongestTold);
        if (table.columns.size() > kToldSeries)
            names << QStringLiteral("%1 more").arg(table.columns.size() - kToldSeries);
        text += QStringLiteral(" Series ") + names.join(QStringLiteral(", ")) + QLatin1Char('.');
    }
    QStringList rows;
    int told = 0;
    std::size_t r = 0;
    for (; r < static_cast<std::size_t>(table.rows.size()) && told < kDescribedValues; ++r) {
        QStringList cells;
        for (const std::vector<double>& values : table.values) {
            if (r >= values.size())
                continue;
            if (told++ == kDescribedValues) {
                cells << QString(QChar(0x2026));
                break;
            }
            cells << valueText(values[r]);
        }
        rows << plainText(table.rows[r], kLongestTold) + QStringLiteral(": ") +
                    cells.join(QStringLiteral(", "));
    }
    if (!rows.isEmpty())
        text += QLatin1Char(' ') + rows.join(QStringLiteral("; ")) + QLatin1Char('.');
    if (r < static_cast<std::size_t>(table.rows.size()))
        text += QStringLiteral(" %1 more categories.").arg(table.rows.size() - r);
    return text;
}
