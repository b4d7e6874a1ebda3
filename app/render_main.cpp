// veldraplot-render: runs the viewer's start-up without showing a window and
// saves the chart as a picture or describes what was built, for hosts that
// want a picture without a viewer, for pipelines, for many charts at once,
// for tests and for benchmarks.
#include "hostprocess.h"
#include "renderjob.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>

#include <unistd.h>

namespace
{

const char kUsage[] =
    "Usage: veldraplot-render [--folder DIR | --input FILE] [--format FORMAT] [--size WxH]\n"
    "                         [--scale N] [-o FILE] [--describe] SETTINGS_FILE\n"
    "       veldraplot-render --batch LIST [--format FORMAT] [--size WxH] [--scale N]\n"
    "                         SETTINGS_FILE\n"
    "  --folder DIR   folder holding ~VGRAPH.TMP (default: the program's folder)\n"
    "  --input FILE   read the chart definition from FILE (- for standard input)\n"
    "  --format F     jpg, bmp, tif, gif, png, svg or pdf (default: from -o's\n"
    "                 extension, else png)\n"
    "  --size WxH     chart size in pixels (default 1280x864)\n"
    "  --scale N      draw on N x N pixels per chart pixel, 1 to 4 (pixel formats)\n"
    "  -o FILE        save the chart picture to FILE (- for standard output)\n"
    "  --describe     print what start-up built as JSON\n"
    "  --batch LIST   render every line \"INPUT OUTPUT [FORMAT] [WxH]\" of LIST\n"
    "                 (- for standard input) in one run\n";

int usage(const char* format, const std::string& what = {})
{
    std::fprintf(stderr, "veldraplot-render: ");
    std::fprintf(stderr, format, what.c_str());
    std::fprintf(stderr, "\n");
    return render::kStatusUsage;
}

// Splits a list line into fields at blanks and tabs; a field in double
// quotes may hold blanks. False for an unterminated quote.
bool splitFields(const std::string& line, std::vector<std::string>& fields)
{
    std::size_t i = 0;
    for (;;) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r'))
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
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r')
                field += line[i++];
        }
        fields.push_back(field);
    }
}

// The format of a picture: the one given, else the file's extension, else PNG.
int pictureFormat(int given, const std::string& output)
{
    if (given >= 0)
        return given;
    const int guessed = render::formatCode(render::lowerSuffix(output));
    return guessed >= 0 ? guessed : 1;
}

// Reads the batch list into jobs; a line that cannot be used is reported
// (naming it) and counted in bad.
bool readList(std::istream& in, const std::string& listName, const render::Job& defaults,
              int givenFormat, std::vector<render::Job>& jobs, int& bad)
{
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        std::vector<std::string> fields;
        auto refuse = [&](const std::string& why) {
            std::fprintf(stderr, "VELDRAPLOT: %s:%d: %s\n", listName.c_str(), number, why.c_str());
            ++bad;
        };
        if (!splitFields(line, fields)) {
            refuse("a double quote is not closed");
            continue;
        }
        if (fields.empty() || fields[0][0] == '#')
            continue;
        if (fields.size() < 2 || fields.size() > 4) {
            refuse("give INPUT OUTPUT [FORMAT] [WxH]");
            continue;
        }
        render::Job job = defaults;
        job.line = number;
        job.input = fields[0];
        job.output = fields[1];
        int format = givenFormat;
        bool ok = true;
        for (std::size_t k = 2; k < fields.size() && ok; ++k) {
            const int code = render::formatCode(fields[k]);
            if (code >= 0)
                format = code;
            else if (!render::parseSize(fields[k].c_str(), job.width, job.height)) {
                refuse("\"" + fields[k] +
                       "\" is neither a format (jpg, bmp, tif, gif, png, svg, pdf) nor a size"
                       " WxH with each side from 16 to 20000");
                ok = false;
            }
        }
        if (ok && (job.input == "-" || job.output == "-")) {
            refuse("standard input and output cannot be used in a batch list");
            ok = false;
        }
        if (ok && job.output.empty()) {
            refuse("the output file name is empty");
            ok = false;
        }
        if (!ok)
            continue;
        job.format = pictureFormat(format, job.output);
        if (render::isVector(job.format))
            job.scale = 1; // vectors have no pixels to multiply
        else if (job.width * job.scale > 20000 || job.height * job.scale > 20000) {
            refuse("the size times --scale is more than 20000 pixels on a side");
            continue;
        }
        jobs.push_back(job);
    }
    if (in.bad()) {
        std::fprintf(stderr, "VELDRAPLOT: Cannot read the list %s: %s\n", listName.c_str(),
                     std::strerror(errno));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    vp::occupyClosedStandardStreams();
    // File names are kept as the bytes given.
    std::string folder, settings, format, batch;
    bool outputWanted = false, settingsGiven = false, folderGiven = false, inputGiven = false,
         batchGiven = false;
    render::Job job;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto next = [&](const char* what) -> const char* {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "veldraplot-render: %s needs a value\n%s", what, kUsage);
                std::exit(render::kStatusUsage);
            }
            return argv[++i];
        };
        if (arg == "--folder") {
            folder = next("--folder");
            folderGiven = true;
        } else if (arg == "--format")
            format = next("--format");
        else if (arg == "--size") {
            const char* size = next("--size");
            if (!render::parseSize(size, job.width, job.height))
                return usage("bad --size %s: give WxH, each from 16 to 20000", size);
        } else if (arg == "--scale") {
            const std::string scale = next("--scale");
            if (scale.size() != 1 || scale[0] < '1' || scale[0] > '4')
                return usage("bad --scale %s: give a whole number from 1 to 4", scale);
            job.scale = scale[0] - '0';
        } else if (arg == "--input") {
            job.input = next("--input");
            inputGiven = true;
        } else if (arg == "--batch") {
            batch = next("--batch");
            batchGiven = true;
        } else if (arg == "-o") {
            job.output = next("-o");
            outputWanted = true;
        } else if (arg == "--describe")
            job.describe = true;
        else if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (!settingsGiven) {
            settings = arg;
            settingsGiven = true;
        } else {
            std::fprintf(stderr, "veldraplot-render: unexpected argument %s\n%s", argv[i], kUsage);
            return render::kStatusUsage;
        }
    }
    if (!settingsGiven) {
        std::fputs(kUsage, stderr);
        return render::kStatusUsage;
    }
    if (outputWanted && job.output.empty())
        return usage("-o needs a file name");
    if (inputGiven && job.input.empty())
        return usage("--input needs a file name");
    if (inputGiven && folderGiven)
        return usage("--input and --folder both say where the chart definition is: give one");
    if (batchGiven && (inputGiven || folderGiven || outputWanted || job.describe))
        return usage("--batch takes inputs and outputs from its list: --input, --folder, -o"
                     " and --describe cannot be given with it");
    if (batchGiven && batch.empty())
        return usage("--batch needs a list file name");
    if (job.describe && job.output == "-")
        return usage("--describe and -o - would both write to standard output: give one");
    int given = -1;
    if (!format.empty()) {
        given = render::formatCode(format);
        if (given < 0)
            return usage("unknown format %s", format);
    }
    if (!batchGiven) {
        job.format = pictureFormat(given, job.output);
        if (job.scale > 1 && render::isVector(job.format))
            return usage("--scale multiplies pixels: SVG and PDF are drawn as vectors");
        if (job.width * job.scale > 20000 || job.height * job.scale > 20000)
            return usage("--size times --scale gives more than 20000 pixels on a side");
    }

    // A folder text needs a separator for the folder rule to end it with
    // one: "examples" must not become "examples~VGRAPH.TMP".
    render::Run run;
    run.settings = settings;
    if (folder.empty())
        folder = vp::programFolder(argv[0]);
    else if (folder[0] != '/') {
        std::string cwd(PATH_MAX, '\0');
        if (::getcwd(cwd.data(), cwd.size()))
            folder = std::string(cwd.c_str()) + "/" + folder;
    }
    run.folder = folder;

    if (batchGiven) {
        std::vector<render::Job> jobs;
        int bad = 0;
        run.list = batch == "-" ? std::string("standard input") : batch;
        bool read = false;
        if (batch == "-")
            read = readList(std::cin, run.list, job, given, jobs, bad);
        else {
            std::ifstream list(batch, std::ios::binary);
            if (!list) {
                std::fprintf(stderr, "VELDRAPLOT: Cannot read the list %s: %s\n", batch.c_str(),
                             std::strerror(errno));
                return render::kStatusFailed;
            }
            read = readList(list, run.list, job, given, jobs, bad);
        }
        // Every worker inherits the configuration read here.
        vp::loadFontConfiguration();
        const int status = render::runBatch(jobs, run, argv[0]);
        return read && bad == 0 && status == 0 ? 0 : render::kStatusFailed;
    }

    render::startQt(argv[0]);
    const int status = render::renderChart(job, run, true);
    // Tearing the window down would only hand memory back to a process that
    // is about to end; with 20,000 bars that alone took a tenth of a second.
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(status);
}
