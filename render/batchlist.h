// SPDX-License-Identifier: GPL-3.0-or-later
// The --batch list: one chart a line, "INPUT OUTPUT [FORMAT] [WxH]", fields
// separated by blanks, a field with blanks in double quotes; empty lines and
// lines whose first field is an unquoted #... are skipped.
#pragma once

#include "job.h"
#include "result.h"

#include <map>
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

// Files a run reads, by fileIdentity, with what each is ("the settings file").
using ReadFiles = std::map<std::string, std::string>;

// Reads the whole list (its text) into jobs. A line that cannot be used is
// reported on standard error, naming the list and line, and counted in bad;
// so is, before anything is drawn, a line whose output another line writes
// already or that is one of `reads` or an input of the list.
void readList(const std::string& text, const std::string& listName, const Job& defaults,
              int givenFormat, ReadFiles reads, std::vector<Job>& jobs, int& bad);

} // namespace render
