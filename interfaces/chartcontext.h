// SPDX-License-Identifier: GPL-3.0-or-later
// What the window hands to the parts that act on the chart after start-up
// (the options panel and the menu commands): the chart state, the platform,
// the two chart components and the file dialog they share. None of them
// knows the window.
#pragma once

#include "chartstate.h"
#include "platform.h"

class AxisChart;
class ChartComponent;
class PieChart;

struct ChartContext {
    vp::ChartState& state;
    vp::VplotGlobal& global;
    Platform& platform;
    PieChart& pie;
    AxisChart& bar;
    // The shared open/save dialog: settings made by the background-image
    // browse stay for the save commands and the other way round.
    FileDialogState& fileDialog;

    // The component the current kind acts on: the pie for
    // "SIMPLEPIECHART", the bar component for every other kind.
    ChartComponent& currentChart() const;
};
