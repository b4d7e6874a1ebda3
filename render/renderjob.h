// SPDX-License-Identifier: GPL-3.0-or-later
// One chart of the batch renderer, from its definition to a picture or a
// description, in a window that is never shown.
#pragma once

#include "job.h"

namespace render
{

// Starts Qt for drawing without a display (once per process).
void startQt(const char* argv0);

// Builds and saves or describes one chart. Messages go to standard error,
// prefixed with the list and line in a batch. Returns 0, or the status the
// run would end with. With keep the window is left alive: a process that
// ends right after does not spend time tearing it down.
int renderChart(const Job& job, const Run& run, bool keep);

} // namespace render
