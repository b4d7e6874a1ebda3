// SPDX-License-Identifier: GPL-3.0-or-later
// Small helpers the chart classes share.
#pragma once

#include "chartstate.h"

#include <QColor>
#include <QFont>

namespace chartstyle
{

inline QColor toQColor(vp::Colour c)
{
    return QColor(vp::redOf(c), vp::greenOf(c), vp::blueOf(c));
}

// The default font at a given size, bold or not.
inline QFont startFont(double points, bool bold)
{
    QFont font;
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

} // namespace chartstyle
