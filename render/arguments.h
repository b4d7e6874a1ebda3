// SPDX-License-Identifier: GPL-3.0-or-later
// The renderer's command line: a plain function from the arguments to the
// options they give, or why they cannot be used. Each option is one row of
// a table (arguments.cpp): a new option is a new row.
#pragma once

#include "job.h"
#include "result.h"

#include <string>
#include <vector>

namespace render
{

extern const char kUsage[];

struct Options {
    Job job;                       // the chart's input, output, format, size, scale, --describe
    std::string folder;            // as given; empty: the program's folder
    std::string settings;          // the settings file; empty: none
    std::string batch;             // the --batch list
    int timeout = kDefaultTimeout; // seconds a chart may take; 0: no limit
    bool batchGiven = false;
    bool help = false;    // --help: nothing else was looked at
    bool version = false; // --version: nothing else was looked at
    std::string format;   // --format as given
    int givenFormat = -1; // its code, -1 when not given
    bool folderGiven = false;
    bool inputGiven = false;
    bool outputGiven = false;
};

struct ParsedArguments {
    Options options;
    vp::Result result; // a refusal's message follows "veldraplot-render: "
};

// The arguments after the program name, as the bytes given.
ParsedArguments parseArguments(const std::vector<std::string>& args);

} // namespace render
