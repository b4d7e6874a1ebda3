// SPDX-License-Identifier: GPL-3.0-or-later
// The example chart installed with the viewer, which `veldraplot --example`
// (the desktop menu's command) opens instead of a host's chart.
#pragma once

#include <string>

namespace vp
{

// The installed examples folder for the program in programFolder: beside the
// shared data of its installation, else the build tree's link to the source
// examples. Empty when neither holds settings.ini and pie/~VGRAPH.TMP.
std::string bundledExamples(const std::string& programFolder);

// Where an installed program looks first, for the message when nothing is found.
std::string installedExamples(const std::string& programFolder);

// What a user who started the viewer without a host reads when there is no
// example: how a host starts VELDRAPLOT.
std::string noExampleMessage(const std::string& programFolder);

} // namespace vp
