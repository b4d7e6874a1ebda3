// SPDX-License-Identifier: GPL-3.0-or-later
// The batch renderer's --describe: what start-up built, as JSON.
#pragma once

#include <QJsonObject>

class frmsimplechart;

namespace render
{

// The chart kind and titles, the pie's and the bar chart's properties with
// their slices, series and values, and the options panel's lists.
QJsonObject describe(const frmsimplechart& window);

} // namespace render
