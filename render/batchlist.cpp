#include "batchlist.h"

#include "imageformat.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

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
bool splitFields(const std::string& line, std::vector<std::string>& fields)
{
    std::size_t i = 0;
    for (;;) {
        while (i < line.size() && isBlank(line[i]))
            ++i;
        if (i >= line.size())
            return true;
        std::string field;
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
    if (!splitFields(line, fields))
        return refusedLine("a double quote is not closed");
    if (fields.empty() || fields[0][0] == '#')
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
        return refusedLine("\"" + fields[bad] +
                           "\" is neither a format (jpg, bmp, tif, gif, png, svg, pdf) nor a size"
                           " WxH with each side from " +
                           std::to_string(kMinSide) + " to " + std::to_string(kMaxSide));
    if (job.input == "-" || job.output == "-")
        return refusedLine("standard input and output cannot be used in a batch list");
    if (job.output.empty())
        return refusedLine("the output file name is empty");
    job.format = imageio::formatForFile(format, job.output);
    if (imageio::isVectorFormat(job.format))
        job.scale = 1; // vectors have no pixels to multiply
    else if (!job.fitsScaled())
        return refusedLine("the size times --scale is more than " + std::to_string(kMaxSide) +
                           " pixels on a side");
    return chart;
}

vp::Result readList(std::istream& in, const std::string& listName, const Job& defaults,
                    int givenFormat, std::vector<Job>& jobs, int& bad)
{
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        const ListLine read = parseListLine(line, number, defaults, givenFormat);
        if (read.kind == ListLine::Chart)
            jobs.push_back(read.job);
        if (read.kind != ListLine::Refused)
            continue;
        std::fprintf(stderr, "VELDRAPLOT: %s:%d: %s\n", listName.c_str(), number,
                     read.problem.c_str());
        ++bad;
    }
    if (in.bad())
        return vp::Result::failure("Cannot read the list " + listName + ": " +
                                   std::strerror(errno));
    return {};
}

} // namespace render
