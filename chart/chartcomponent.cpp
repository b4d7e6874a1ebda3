#include "chartcomponent.h"
#include "chartstyle.h"

#include "imagesave.h"

#include <QChart>
#include <QClipboard>
#include <QCoreApplication>
#include <QGraphicsLayout>
#include <QGraphicsPixmapItem>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QGuiApplication>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPainter>
#include <QResizeEvent>
#include <QTimer>

#include <cmath>

namespace {

// More legend entries than this do not fit beside a chart: Qt's legend then
// drops texts and cuts entries off, so the legend is left out instead.
constexpr int kMaxLegendEntries = 40;

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

    connect(chart_, &QGraphicsWidget::geometryChanged, this,
            &ChartComponent::updateDecorations);
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
    const QString shown = text.size() > kLongestText
                              ? text.left(kLongestText - 1) + QChar(0x2026)
                              : text;
    const QString escaped = shown.toHtmlEscaped();
    QString out;
    out.reserve(escaped.size() + 8);
    for (int i = 0; i < escaped.size(); ++i) {
        const QChar c = escaped.at(i);
        if (c == QLatin1Char(' ')
            && (i == 0 || i == escaped.size() - 1 || escaped.at(i - 1) == QLatin1Char(' ')))
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

void ChartComponent::flushPending() const
{
    const_cast<ChartComponent*>(this)->applyPending();
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
    const int entries = legendEntries();
    legend->setVisible(showLegend_ && entries > 0 && entries <= kMaxLegendEntries);
    legend->setFont(legendFont_.font());
    legend->setLabelColor(text);
    legend->setBackgroundVisible(false);

    // The legend heading: the first entry, in bold, with no marker drawn.
    const QList<QLegendMarker*> heading = legend->markers(legendHeading_);
    for (QLegendMarker* marker : heading) {
        QFont bold = legendFont_.font();
        bold.setBold(true);
        marker->setFont(bold);
        marker->setLabel(chartText(legendTitle_));
        marker->setBrush(QColor(Qt::transparent));
        marker->setPen(QPen(Qt::transparent));
        marker->setLabelBrush(text);
        marker->setVisible(!legendTitle_.isEmpty());
    }

    const QColor back = toQColor(backColor_);
    scene()->setBackgroundBrush(back);
    setBackgroundBrush(back);
    backImageScaledFor_ = QSize();
    updateDecorations();
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
            pixmap = QPixmap::fromImage(backImage_.scaled(size, Qt::IgnoreAspectRatio,
                                                          Qt::SmoothTransformation));
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

void ChartComponent::resizeEvent(QResizeEvent* event)
{
    flushPending();
    QChartView::resizeEvent(event);
    // Label rotation and the like depend on the size.
    invalidate(StyleChanged);
}

QImage ChartComponent::renderImage(QSize size) const
{
    auto* self = const_cast<ChartComponent*>(this);
    const bool ownSize = !size.isValid() || size.isEmpty();
    if (ownSize)
        size = self->size();
    size = size.expandedTo(QSize(1, 1));

    self->applyPending();
    const QSizeF before = chart_->size();
    if (before != QSizeF(size)) {
        chart_->setPos(0, 0);
        chart_->resize(size);
    }
    // Qt Charts only posts its layout requests: run them now, or the picture
    // shows the new data under the old title and legend.
    QCoreApplication::sendPostedEvents();
    if (chart_->layout())
        chart_->layout()->activate();

    QImage image(size, QImage::Format_RGB32);
    if (image.isNull()) // not enough memory
        return image;
    image.fill(toQColor(backColor_));
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing, smoothShapes_);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        self->scene()->render(&painter, QRectF(QPointF(0, 0), QSizeF(size)),
                              QRectF(chart_->pos(), QSizeF(size)));
    }
    // A picture of another size than the view's must not leave the view's
    // chart at that size.
    if (!ownSize && !before.isEmpty() && before != QSizeF(size))
        chart_->resize(before);
    return image;
}

SaveResult ChartComponent::SaveImage(const std::string& fileName, int format)
{
    const QImage picture = renderImage();
    if (picture.isNull())
        return SaveResult{false, QStringLiteral("not enough memory for a picture of %1 x %2 pixels")
                                     .arg(width())
                                     .arg(height())};
    QString error;
    if (!imagesave::writeImageFile(picture, fileName, format, &error))
        return SaveResult{false, error};
    return SaveResult{};
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
