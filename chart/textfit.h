// SPDX-License-Identifier: GPL-3.0-or-later
// Measuring and shortening data texts at a cost that does not grow with
// their length. A label may be a mebibyte long, but a picture is at most
// 20000 pixels wide: only a text's beginning can ever be shown, so only a
// beginning is measured, the shortest one that is already wider than the
// room it has to fit. Wherever a text fits whole the result is exact.
#pragma once

#include <QFontMetricsF>
#include <QString>

namespace textfit
{

// No chart measures or draws more of a text than this many characters:
// more than the widest picture holds in any legible font.
constexpr qsizetype kLongestShown = 16384;

// The text as the chart draws it: at most kLongestShown characters (a
// longer one ends in an ellipsis), and only characters every picture
// format can carry (imageio::pictureText).
QString shown(const QString& text);

// The text's advance in the font, or, for a text wider than room, at least
// room: that of a beginning of it wider than room.
qreal advance(const QFontMetricsF& metrics, const QString& text, qreal room);

// The text shortened with an ellipsis at its end to width, as
// QFontMetricsF::elidedText does.
QString elided(const QFontMetricsF& metrics, const QString& text, qreal width);

} // namespace textfit
