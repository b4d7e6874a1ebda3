// SPDX-License-Identifier: GPL-3.0-or-later
// The chart state: everything the main window knows about the chart for the
// whole run. Plain C++ (no Qt) so the reader and splitter can be tested and
// fuzzed on their own.
//
// Tables are fixed-size and indexed from 0; slices, series and data lines are
// numbered from 1 and entry 0 is not used unless a handler says so.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vp
{

// A 24-bit colour packed as red + 256 * green + 65536 * blue.
using Colour = std::int32_t;

constexpr Colour rgb(int r, int g, int b)
{
    auto clamp = [](int c) { return c < 0 ? 0 : (c > 255 ? 255 : c); };
    return clamp(r) + 256 * clamp(g) + 65536 * clamp(b);
}
constexpr int redOf(Colour c)
{
    return c & 0xff;
}
constexpr int greenOf(Colour c)
{
    return (c >> 8) & 0xff;
}
constexpr int blueOf(Colour c)
{
    return (c >> 16) & 0xff;
}

// One of the six chart fonts. Created on first use with the platform's default
// font (the options panel fills it in); only name and size ever reach the chart.
struct FontChoice {
    bool created = false;
    std::string name;
    double size = 0.0; // points, fractional
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikethrough = false;
};

// The chart kinds of a definition file. Only the first three are built;
// "PIECHART" and "BARCHART" are known to the options panel only, and any
// other kind builds nothing.
enum class ChartKind { SimplePie, SimpleBar, StackedBar, Pie, Bar, Other };

// The kind a definition file's kind field names (exact, case-sensitive).
ChartKind parseChartKind(const std::string& text);
// The kind field text of a known kind; an empty text for Other.
std::string chartKindName(ChartKind kind);

// The three kinds that are drawn: options and printing act only on them.
constexpr bool isDrawnKind(ChartKind kind)
{
    return kind == ChartKind::SimplePie || kind == ChartKind::SimpleBar ||
           kind == ChartKind::StackedBar;
}

struct ChartState {
    // Start-up values.
    std::string appFolder;
    // When not empty, the chart definition is read from this path instead of
    // appFolder's definition file (the batch renderer's --input).
    std::string definitionFile;
    std::string settingsPath;
    std::int16_t categoryLimit = 0;

    // Read from the definition file.
    ChartKind chartKind = ChartKind::Other;
    std::string chartKindText; // the kind field as the file has it
    std::string chartTitle;
    std::string chartCaption;
    std::string seriesVariable;
    std::string itemVariable;
    std::string captionNote;
    std::int16_t seriesCount = 0;
    std::array<std::string, 257> seriesNames{};
    std::int16_t rowCount = 0;
    std::array<std::string, 257> rowLabels{};

    // Fields of the line splitter.
    std::string dataLine;
    std::int16_t fieldCount = 0;
    std::array<double, 256> lineValues{};
    std::array<std::string, 256> lineFields{};

    // Colour tables and chart-wide colours.
    std::array<Colour, 257> itemColors{};
    std::array<Colour, 257> brightColors{};
    std::array<Colour, 256> pastelColors{};
    std::array<Colour, 257> grayColors{};
    Colour chartBackColor = 0;
    Colour barOutlineColor = 0;
    Colour chartBorderColor = 0;
    Colour chartForeColor = 0;
    Colour valuesTextColor = 0;

    // The six chart fonts.
    FontChoice titleFont;
    FontChoice itemAxisFont;
    FontChoice unitAxisFont;
    FontChoice valuesFont;
    FontChoice legendFont;
    FontChoice itemFont;

    // Image tab.
    std::string backImagePath;

    // Reference-line entries (a hidden row of the bar options; read by nothing).
    std::array<std::string, 11> refLineLabels{};
    std::array<std::string, 11> refLineValues{};
    std::array<Colour, 11> refLineColors{};

    // The file names last given to the save commands (five pixel formats,
    // SVG and PDF).
    std::string jpgFileName;
    std::string bmpFileName;
    std::string tifFileName;
    std::string gifFileName;
    std::string pngFileName;
    std::string svgFileName;
    std::string pdfFileName;

    // Copy being printed.
    std::int16_t printCopyIndex = 0;
};

// Values shared between the main window and the printer dialog, plus the
// item-category list of a two-way table.
struct VplotGlobal {
    std::array<std::string, 101> itemCategoryNames{};
    std::int16_t itemCategoryCount = 0;

    std::int16_t printCopies = 0;
    std::int16_t printLandscape = 0;
    std::int16_t printRequested = 0;

    // Drive kept by ChangeToFolder.
    std::string currentDrive;
};

// What start-up keeps while it builds a chart: the value of data line r
// (1-based) in series s (1-based) as a 32-bit float, plus the first-column
// value list and the label list (positions 0 .. rowCount - 1).
struct ChartData {
    int rows = 0;
    int columns = 0;
    std::vector<float> table; // rows * columns, row-major, line r at (r - 1)

    float value(int line, int series) const
    {
        if (line < 1 || line > rows || series < 1 || series > columns)
            return 0.0f;
        return table[static_cast<std::size_t>(line - 1) * columns + (series - 1)];
    }

    std::vector<double> values;      // first column of lines 1..rowCount
    std::vector<std::string> labels; // rowLabels(1..rowCount)
};

} // namespace vp
