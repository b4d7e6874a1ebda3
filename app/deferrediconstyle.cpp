// SPDX-License-Identifier: GPL-3.0-or-later
#include "deferrediconstyle.h"

#include <QGuiApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPointer>
#include <QStyleOption>
#include <QWidget>

namespace
{

// Stands for one standard icon of a style until something needs its
// pixels or sizes; then asks the style for it and hands everything on.
class DeferredIconEngine : public QIconEngine
{
  public:
    DeferredIconEngine(const QStyle* style, QStyle::StandardPixmap icon,
                       Qt::LayoutDirection direction)
        : style_(style), icon_(icon), direction_(direction)
    {
    }

    // QIcon hands an engine sizes in device pixels: the real icon is asked
    // for exactly those (a device pixel ratio of 1), or, for a scaled
    // pixmap, for the logical size at that ratio.
    // QIcon::paint has placed the rectangle already: the pixmap fills it.
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatio() : 1.0;
        painter->drawPixmap(rect, real().pixmap(rect.size(), ratio, mode, state));
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return real().pixmap(size, 1.0, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override
    {
        if (scale <= 1.0)
            return pixmap(size, mode, state);
        return real().pixmap((QSizeF(size) / scale).toSize(), scale, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return real().isNull() ? QSize() : pixmap(size, mode, state).size();
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return real().availableSizes(mode, state);
    }
    bool isNull() override { return real().isNull(); }
    QString key() const override { return QStringLiteral("DeferredIconEngine"); }
    QIconEngine* clone() const override
    {
        auto* copy = new DeferredIconEngine(style_, icon_, direction_);
        copy->loaded_ = loaded_;
        copy->real_ = real_;
        return copy;
    }

  private:
    QIcon& real()
    {
        if (!loaded_) {
            loaded_ = true;
            if (style_) {
                QStyleOption option;
                option.direction = direction_;
                real_ = style_->standardIcon(icon_, &option);
            }
        }
        return real_;
    }

    QPointer<const QStyle> style_;
    QStyle::StandardPixmap icon_;
    Qt::LayoutDirection direction_;
    bool loaded_ = false;
    QIcon real_;
};

} // namespace

QIcon DeferredIconStyle::standardIcon(StandardPixmap icon, const QStyleOption* option,
                                      const QWidget* widget) const
{
    const Qt::LayoutDirection direction = option   ? option->direction
                                          : widget ? widget->layoutDirection()
                                                   : QGuiApplication::layoutDirection();
    return QIcon(new DeferredIconEngine(baseStyle(), icon, direction));
}
