// SPDX-License-Identifier: GPL-3.0-or-later
#include "batchlist.h"

#include "imageformat.h"

#include <sstream>

namespace render
{
namespace
{

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

// Splits a list line into fields at blanks and tabs; a field in double
// quotes may hold blanks. False for an unterminated quote.
bool splitFields(const std::string& line, std::vector<std::string>& fields, bool& firstQuoted)
{
    std::size_t i = 0;
    for (;;) {
        while (i < line.size() && isBlank(line[i]))
            ++i;
        if (i >= line.size())
            return true;
        std::string field;
        if (fields.empty())
            firstQuoted = line[i] == '"';
        if (line[i] == '"') {
            const std::size_t end = line.find('"', i + 1);
            if (end == std::string::npos)
                return false;
            field = line.substr(i + 1, end - i - 1);
            i = end + 1;
        } else {
            while (i < line.size() && !isBlank(line[i]))
                field += line[i++];
        }
        fields.push_back(field);
    }
}

ListLine refusedLine(const std::string& why)
{
    ListLine refused;
    refused.kind = ListLine::Refused;
    refused.problem = why;
    return refused;
}

// The optional fields after INPUT and OUTPUT: a format or a size each.
// Returns the number of the first field that is neither, or 0.
std::size_t takeOptionalFields(const std::vector<std::string>& fields, Job& job, int& format)
{
    for (std::size_t k = 2; k < fields.size(); ++k) {
        const int code = imageio::formatFromName(fields[k]);
        if (code >= 0)
            format = code;
        else if (!parseSize(fields[k].c_str(), job.width, job.height))
            return k;
    }
    return 0;
}

} // namespace

ListLine parseListLine(const std::string& line, int number, const Job& defaults, int givenFormat)
{
    std::vector<std::string> fields;
    bool quoted = false;
    if (line.find('\0') != std::string::npos)
        return refusedLine("the line holds a NUL byte");
    if (!splitFields(line, fields, quoted))
        return refusedLine("a double quote is not closed");
    if (fields.empty() || (!quoted && fields[0][0] == '#'))
        return {};
    if (fields.size() < 2 || fields.size() > 4)
        return refusedLine("give INPUT OUTPUT [FORMAT] [WxH]");
    ListLine chart{ListLine::Chart, defaults, {}};
    Job& job = chart.job;
    job.line = number;
    job.input = fields[0];
    job.output = fields[1];
    int format = givenFormat;
    const std::size_t bad = takeOptionalFields(fields, job, format);
    if (bad > 0)
        return refusedLine("\"" + fields[bad] + "\" is neither a format (" + kFormatNames +
                           ") nor a size WxH with"
                           " each side from " +
                           std::to_string(kMinSide) + " to " + std::to_string(kMaxSide));
    if (job.input == "-" || job.output == "-")
        return refusedLine("standard input and output cannot be used in a batch list");
    if (job.input.empty() || job.output.empty())
        return refusedLine(std::string("the ") + (job.input.empty() ? "input" : "output") +
                           " file name is empty");
    job.format = imageio::formatForFile(format, job.output);
    if (job.format < 0)
        return refusedLine("cannot tell the format of " + job.output + ": ." +
                           imageio::lowerSuffix(job.output) + " is none of " + kFormatNames +
                           "; give it on the line or with --format");
    if (imageio::isVectorFormat(job.format))
        job.scale = 1; // vectors have no pixels to multiply
    else if (!job.fitsScaled())
        return refusedLine("the size times --scale is more than " + std::to_string(kMaxSide) +
                           " pixels on a side");
    return chart;
}

void readList(const std::string& text, const std::string& listName, const Job& defaults,
              int givenFormat, ReadFiles reads, std::vector<Job>& jobs, int& bad)
{
    auto refuse = [&](int number, const std::string& problem) {
        printMessage("VELDRAPLOT", listName + ":" + std::to_string(number) + ": " + problem);
        ++bad;
    };
    std::vector<Job> charts;
    std::istringstream in(text);
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        const ListLine read = parseListLine(line, number, defaults, givenFormat);
        if (read.kind == ListLine::Refused)
            refuse(number, read.problem);
        if (read.kind != ListLine::Chart)
            continue;
        charts.push_back(read.job);
        reads.emplace(fileIdentity(read.job.input), "the input of line " + std::to_string(number));
    }
    std::map<std::string, int> written; // the line writing each output
    for (const Job& job : charts) {
        const std::string output = fileIdentity(job.output);
        const auto read = reads.find(output);
        const std::string named = "the output \"" + job.output + "\" ";
        if (read != reads.end()) {
            refuse(job.line, named + "is " + read->second);
        } else if (const auto writer = written.emplace(output, job.line); !writer.second) {
            refuse(job.line, named + "is written by line " + std::to_string(writer.first->second));
        } else {
            jobs.push_back(job);
        }
    }
}

} // namespace render
