// The --batch list: one chart a line, "INPUT OUTPUT [FORMAT] [WxH]", fields
// separated by blanks, a field with blanks in double quotes; empty lines and
// lines starting with # are skipped.
#pragma once

#include "job.h"
#include "result.h"

#include <istream>
#include <string>
#include <vector>

namespace render
{

// What one line of the list gives: a chart, nothing, or why it cannot be used.
struct ListLine {
    enum Kind { Skipped, Chart, Refused } kind = Skipped;
    Job job;
    std::string problem; // when Refused
};

// Line `number` of the list. Fields not on the line come from defaults
// (size, scale) and givenFormat (-1: from OUTPUT's extension, else PNG).
ListLine parseListLine(const std::string& line, int number, const Job& defaults, int givenFormat);

// Reads the whole list into jobs. A line that cannot be used is reported on
// standard error, naming the list and line, and counted in bad. Fails when
// the list cannot be read.
vp::Result readList(std::istream& in, const std::string& listName, const Job& defaults,
                    int givenFormat, std::vector<Job>& jobs, int& bad);

} // namespace render
