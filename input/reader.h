// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the settings file and the chart definition file "~VGRAPH.TMP".
//
// Every function reports a problem as a failed Result whose message says
// what is wrong, in words a user understands; the caller puts the file name
// in front and shows it.
#pragma once

#include "chartstate.h"
#include "result.h"

#include <string>

namespace vp
{

// The codes of a failed reading.
enum ReadFailure : int {
    kReadFailed = 1,    // the file is unreadable or malformed
    kFileMissing = 2,   // no file exists at the path (or it is empty)
    kCategoryLimit = 3, // a two-way table with more than categoryLimit series or rows
};

// The name of the chart definition file inside the program's folder.
inline const char* const kDefinitionFileName = "~VGRAPH.TMP";

// Folder rule: a text that contains the separator and does not end with it
// gets one appended. A text without any separator stays as it is.
std::string applyFolderRule(std::string folder, char separator);

// The three settings fields: the folder (trailing blanks removed, folder rule
// applied), the text, and a text of as many blanks as the whole number says.
struct SettingsValues {
    std::string folder;
    std::string name;
    std::string blanks;
};

// Reads the three settings fields (folder text, text, whole number). A
// missing file or an empty path fails with kFileMissing.
Result readSettingsFile(const std::string& path);
Result readSettingsFile(const std::string& path, SettingsValues& out, char separator = '/');

// First reading: header, chartKind, then two more fields. captionText gets
// the fourth field (shown in txtCaption). Trims and re-applies the folder
// rule to state.appFolder before opening the file.
Result firstReading(ChartState& state, std::string& captionText, char separator = '/');

// Kind-specific reading of "SIMPLEPIECHART" and "SIMPLEBARCHART". Refuses
// more than 254 series or more than 200 data lines. The readings start
// lineValues from 0 and fill data with what the file holds.
Result readSimpleKind(ChartState& state, ChartData& data);

// Kind-specific reading of "WSTACKEDBAR", with the category limit
// (state.categoryLimit: more series or more rows, checked after each data
// line is split, give kCategoryLimit; so does a number of series beyond the
// series tables, as soon as it is read). Otherwise refuses more than 100
// item categories and more than 100 data lines.
Result readStackedKind(ChartState& state, VplotGlobal& global, ChartData& data);

// Full path of the definition file for the state's appFolder (or the
// state's definitionFile when one is set).
std::string definitionPath(const ChartState& state);

} // namespace vp
