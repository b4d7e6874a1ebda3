// SPDX-License-Identifier: GPL-3.0-or-later
#include "textfit.h"

#include "picture.h"

namespace textfit
{
namespace
{

// The first beginning tried; each next one is four times as long.
constexpr qsizetype kFirstPart = 256;

// The shortest of the text's first 256, 1024 or 4096 characters that is
// wider than room, else the text as shown.
QString fittingPart(const QFontMetricsF& metrics, const QString& text, qreal room)
{
    for (qsizetype n = kFirstPart; n < text.size() && n < kLongestShown; n *= 4) {
        QString part = text.left(n);
        if (metrics.horizontalAdvance(part) > room)
            return part;
    }
    return text.size() > kLongestShown ? text.left(kLongestShown - 1) + QChar(0x2026) : text;
}

} // namespace

QString shown(const QString& text)
{
    return imageio::pictureText(
        text.size() > kLongestShown ? text.left(kLongestShown - 1) + QChar(0x2026) : text);
}

qreal advance(const QFontMetricsF& metrics, const QString& text, qreal room)
{
    return metrics.horizontalAdvance(fittingPart(metrics, text, room));
}

QString elided(const QFontMetricsF& metrics, const QString& text, qreal width)
{
    // A beginning wider than width loses its end where the whole text would.
    return metrics.elidedText(fittingPart(metrics, text, width), Qt::ElideRight, width);
}

} // namespace textfit
