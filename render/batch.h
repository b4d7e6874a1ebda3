// SPDX-License-Identifier: GPL-3.0-or-later
// Many charts in one run: the parent process starts no Qt of its own; the
// charts are shared out among worker processes (workerpool.h), one per
// processor, each with its own QApplication (Qt's widgets and graphics
// scenes belong to one thread of one process).
#pragma once

#include "renderjob.h"

#include <vector>

namespace render
{

// Renders every job, each chart on its own: a failed chart is reported and
// the run goes on; a worker that dies is reported for its chart and
// replaced. Must run before Qt is started. Returns 0 when all succeeded,
// else kStatusFailed.
int runBatch(const std::vector<Job>& jobs, const Run& run, const char* argv0);

} // namespace render
