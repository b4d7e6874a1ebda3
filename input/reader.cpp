// SPDX-License-Identifier: GPL-3.0-or-later
#include "reader.h"

#include "linesplit.h"
#include "seqfile.h"

namespace vp
{

namespace
{

constexpr int kMaxTableRows = 200;   // rows of the data table
constexpr int kMaxSeries = 254;      // series tables end at 256; series N+1 is the label
constexpr int kMaxStackedRows = 100; // the item-category table ends at 100
constexpr const char* kContinuousMessage =
    "One variable appears to be continuous rather than categorical. Perhaps you meant to "
    "display a histogram (See Graph menu).";

Result failed(std::string problem)
{
    return Result::failure(std::move(problem), kReadFailed);
}

Result categoryLimit()
{
    return Result::failure(kContinuousMessage, kCategoryLimit);
}

// Wraps a SeqFile so that each read names, on failure, what it was reading.
class Reader
{
  public:
    bool open(const std::string& path, Result& result)
    {
        if (file_.open(path))
            return true;
        result = Result::failure(file_.errorText(),
                                 file_.error() == SeqError::Missing ? kFileMissing : kReadFailed);
        return false;
    }

    SeqFile& file() { return file_; }

    // `where` completes "the file ends ...".
    bool field(std::string& out, const std::string& where, Result& result)
    {
        if (file_.readField(out))
            return true;
        result = failed(problem(where, {}));
        return false;
    }

    bool line(std::string& out, const std::string& where, Result& result)
    {
        if (file_.readLine(out))
            return true;
        result = failed(problem(where, {}));
        return false;
    }

    // A non-negative whole number; `what` names it in the problem text.
    bool count(std::int16_t& out, const std::string& what, const std::string& where, Result& result)
    {
        if (!file_.readWholeNumber(out)) {
            result = failed(problem(where, what));
            return false;
        }
        if (out < 0) {
            result = failed(what + " is negative: " + std::to_string(out));
            return false;
        }
        return true;
    }

  private:
    std::string problem(const std::string& where, const std::string& what) const
    {
        switch (file_.error()) {
        case SeqError::EndOfFile:
            return "the file ends " + where;
        case SeqError::NotANumber:
        case SeqError::OutOfRange:
            return what + ": " + file_.errorText();
        default:
            return file_.errorText();
        }
    }

    SeqFile file_;
};

// The kind field: kept as written and parsed once into chartKind.
bool kindField(Reader& in, ChartState& state, Result& r)
{
    if (!in.field(state.chartKindText, "inside its header, before the chart kind", r))
        return false;
    state.chartKind = parseChartKind(state.chartKindText);
    return true;
}

// Header fields 1 to 5 of the simple kinds: header, kind, unused, title, N.
bool readSimpleHeader(Reader& in, ChartState& state, Result& r)
{
    std::string text;
    return in.field(text, "before its header", r) && kindField(in, state, r) &&
           in.field(text, "inside its header, before the chart title", r) &&
           in.field(state.chartTitle, "inside its header, before the chart title", r) &&
           in.count(state.seriesCount, "the number of series",
                    "inside its header, before the number of series", r);
}

bool checkSeriesCount(const ChartState& state, Result& r)
{
    if (state.seriesCount <= kMaxSeries)
        return true;
    r = failed("the number of series is " + std::to_string(state.seriesCount) + "; at most " +
               std::to_string(kMaxSeries) + " series are supported");
    return false;
}

bool readNames(Reader& in, std::string* names, int count, const std::string& what, Result& r)
{
    for (int i = 1; i <= count; ++i) {
        const std::string where = "inside the list of " + what + " (after " +
                                  std::to_string(i - 1) + " of " + std::to_string(count) + ")";
        if (!in.field(names[i], where, r))
            return false;
    }
    return true;
}

void startData(ChartState& state, ChartData& data)
{
    state.rowCount = 0;
    state.lineValues.fill(0.0);
    state.lineFields.fill(std::string());
    data = ChartData();
    data.columns = state.seriesCount;
}

// Splits state.dataLine into the next row of the data table.
void splitInto(ChartState& state)
{
    state.fieldCount = static_cast<std::int16_t>(state.seriesCount + 1);
    getnums(state);
}

float toFloat(double v)
{
    constexpr double kMax = 3.4028234663852886e38; // FLT_MAX
    return static_cast<float>(v > kMax ? kMax : (v < -kMax ? -kMax : v));
}

void storeRow(const ChartState& state, ChartData& data)
{
    for (int s = 1; s <= state.seriesCount; ++s)
        data.table.push_back(toFloat(state.lineValues[static_cast<std::size_t>(s)]));
    ++data.rows;
}

void buildLists(const ChartState& state, ChartData& data)
{
    data.values.clear();
    data.labels.clear();
    for (int i = 1; i <= state.rowCount; ++i) {
        data.values.push_back(data.value(i, 1));
        data.labels.push_back(state.rowLabels[static_cast<std::size_t>(i)]);
    }
}

// The variable line "A,B,C": series variable A, item variable B, note C; the
// caption "Count by A & B (C)" when A is not blank.
void takeVariableLine(const std::string& line, ChartState& state)
{
    constexpr std::size_t none = std::string::npos;
    const std::size_t first = line.find(',');
    const std::size_t second = first == none ? none : line.find(',', first + 1);
    state.seriesVariable = first == none ? std::string() : line.substr(0, first);
    state.itemVariable =
        second == none ? std::string() : line.substr(first + 1, second - first - 1);
    state.captionNote = second == none ? std::string() : line.substr(second + 1);
    state.chartCaption = trimBlanks(state.seriesVariable).empty()
                             ? std::string()
                             : "Count by " + state.seriesVariable + " & " + state.itemVariable +
                                   " (" + trimBlanks(state.captionNote) + ")";
}

// The number of series with their names, and the number of item categories.
// More series than the series tables hold (also a count beyond 16 bits) get
// the category advice at once, whatever else is wrong with the file. Up to
// that, the category limit is checked after each data line, so a table of
// 201 to 254 series without data lines is read and shown empty.
bool readStackedCounts(Reader& in, ChartState& state, VplotGlobal& global, Result& r)
{
    const bool counted = in.count(state.seriesCount, "the number of series",
                                  "inside its header, before the number of series", r);
    const SeqFile& file = in.file();
    if (counted ? state.seriesCount > kMaxSeries
                : file.error() == SeqError::OutOfRange && file.badField().front() != '-') {
        r = categoryLimit();
        return false;
    }
    if (!counted || !checkSeriesCount(state, r) ||
        !readNames(in, state.seriesNames.data(), state.seriesCount, "series names", r) ||
        !in.count(global.itemCategoryCount, "the number of item categories",
                  "before the number of item categories", r))
        return false;
    if (global.itemCategoryCount <= kMaxStackedRows)
        return true;
    r = failed("the number of item categories is " + std::to_string(global.itemCategoryCount) +
               "; at most " + std::to_string(kMaxStackedRows) + " are supported");
    return false;
}

// The data lines of a two-way table, each labelled with its item category.
Result readStackedRows(Reader& in, ChartState& state, const VplotGlobal& global, ChartData& data)
{
    Result r;
    while (!in.file().atEnd()) {
        ++state.rowCount;
        if (!in.line(state.dataLine, "inside a data line", r))
            return r;
        splitInto(state);
        if (state.seriesCount > state.categoryLimit || state.rowCount > state.categoryLimit)
            return categoryLimit();
        // Rows past the category table are only counted (the limit above
        // still applies to them); the file is refused after the loop.
        if (state.rowCount > kMaxTableRows)
            break;
        if (state.rowCount <= kMaxStackedRows) {
            storeRow(state, data);
            state.rowLabels[static_cast<std::size_t>(state.rowCount)] =
                global.itemCategoryNames[static_cast<std::size_t>(state.rowCount)];
        }
    }
    if (state.rowCount > kMaxStackedRows)
        return failed("the file has more than " + std::to_string(kMaxStackedRows) +
                      " data lines; a two-way table holds at most " +
                      std::to_string(kMaxStackedRows) + " categories");
    return r;
}

} // namespace

std::string applyFolderRule(std::string folder, char separator)
{
    if (folder.find(separator) != std::string::npos && folder.back() != separator)
        folder.push_back(separator);
    return folder;
}

std::string definitionPath(const ChartState& state)
{
    if (!state.definitionFile.empty())
        return state.definitionFile;
    return applyFolderRule(trimTrailingBlanks(state.appFolder), '/') + kDefinitionFileName;
}

Result readSettingsFile(const std::string& path)
{
    SettingsValues ignored;
    return readSettingsFile(path, ignored);
}

Result readSettingsFile(const std::string& path, SettingsValues& out, char separator)
{
    Result r;
    Reader in;
    if (!in.open(path, r))
        return r;
    std::string folder;
    std::int16_t length = 0;
    if (!in.field(folder, "before its first field (a folder)", r) ||
        !in.field(out.name, "after its first field; three fields are needed", r) ||
        !in.file().readWholeNumber(length)) {
        if (r.ok()) {
            const SeqError e = in.file().error();
            r = failed(e == SeqError::EndOfFile
                           ? "the file ends after its second field; three fields are needed"
                           : "the third field: " + in.file().errorText());
        }
        return r;
    }
    out.folder = applyFolderRule(trimTrailingBlanks(folder), separator);
    out.blanks.assign(length > 0 ? static_cast<std::size_t>(length) : 0, ' ');
    return r;
}

Result firstReading(ChartState& state, std::string& captionText, char separator)
{
    state.appFolder = applyFolderRule(trimTrailingBlanks(state.appFolder), separator);
    Result r;
    Reader in;
    if (!in.open(definitionPath(state), r))
        return r;
    std::string header;
    std::string unused;
    std::string caption;
    if (in.field(header, "before its header", r) && kindField(in, state, r) &&
        in.field(unused, "inside its header, before the chart title", r) &&
        in.field(caption, "inside its header, before the chart title", r))
        captionText = caption;
    return r;
}

Result readSimpleKind(ChartState& state, ChartData& data)
{
    Result r;
    Reader in;
    if (!in.open(definitionPath(state), r) || !readSimpleHeader(in, state, r) ||
        !checkSeriesCount(state, r) ||
        !readNames(in, state.seriesNames.data(), state.seriesCount, "series names", r))
        return r;

    startData(state, data);
    const std::size_t labelField = static_cast<std::size_t>(state.seriesCount) + 1;
    while (!in.file().atEnd()) {
        if (state.rowCount == kMaxTableRows)
            return failed("the file has more than " + std::to_string(kMaxTableRows) +
                          " data lines; at most " + std::to_string(kMaxTableRows) +
                          " are supported");
        ++state.rowCount;
        if (!in.line(state.dataLine, "inside a data line", r))
            return r;
        splitInto(state);
        storeRow(state, data);
        state.rowLabels[static_cast<std::size_t>(state.rowCount)] =
            trimBlanks(state.lineFields[labelField]);
    }
    buildLists(state, data);
    return r;
}

Result readStackedKind(ChartState& state, VplotGlobal& global, ChartData& data)
{
    Result r;
    Reader in;
    std::string header;
    std::string variables;
    if (!in.open(definitionPath(state), r) || !in.field(header, "before its header", r) ||
        !kindField(in, state, r) ||
        !in.line(variables, "inside its header, before the variable line", r))
        return r;
    takeVariableLine(variables, state);
    global.itemCategoryNames.fill(std::string());
    global.itemCategoryCount = 0;
    if (!in.field(state.chartTitle, "inside its header, before the chart title", r) ||
        !readStackedCounts(in, state, global, r) ||
        !readNames(in, global.itemCategoryNames.data(), global.itemCategoryCount, "item categories",
                   r))
        return r;
    startData(state, data);
    r = readStackedRows(in, state, global, data);
    if (r)
        buildLists(state, data);
    return r;
}

namespace
{
struct KindName {
    ChartKind kind;
    const char* name;
};
constexpr KindName kKindNames[] = {
    {ChartKind::SimplePie, "SIMPLEPIECHART"},
    {ChartKind::SimpleBar, "SIMPLEBARCHART"},
    {ChartKind::StackedBar, "WSTACKEDBAR"},
    {ChartKind::Pie, "PIECHART"},
    {ChartKind::Bar, "BARCHART"},
};
} // namespace

ChartKind parseChartKind(const std::string& text)
{
    for (const KindName& known : kKindNames)
        if (text == known.name)
            return known.kind;
    return ChartKind::Other;
}

std::string chartKindName(ChartKind kind)
{
    for (const KindName& known : kKindNames)
        if (kind == known.kind)
            return known.name;
    return std::string();
}

} // namespace vp
