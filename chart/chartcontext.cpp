// SPDX-License-Identifier: GPL-3.0-or-later
#include "chartcontext.h"

#include "axischart.h"
#include "piechart.h"

ChartComponent& ChartContext::currentChart() const
{
    if (state.chartKind == vp::ChartKind::SimplePie)
        return pie;
    return bar;
}
