// veldraplot-render: runs the viewer's start-up without showing a window and
// saves the chart as a picture or describes what was built, for hosts that
// want a picture without a viewer, for pipelines, for many charts at once,
// for tests and for benchmarks.
#include "arguments.h"
#include "batch.h"
#include "batchlist.h"
#include "hostprocess.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>

#include <unistd.h>

namespace
{

int refuse(const vp::Result& refused)
{
    if (!refused.message().empty())
        std::fprintf(stderr, "veldraplot-render: %s\n", refused.message().c_str());
    if (refused.code() == render::kRefusedWithUsage)
        std::fputs(render::kUsage, stderr);
    return render::kStatusUsage;
}

// The folder charts without an input are read from, absolute. A folder text
// needs a separator for the folder rule to end it with one: "examples" must
// not become "examples~VGRAPH.TMP".
std::string absoluteFolder(const std::string& folder, const char* argv0)
{
    if (folder.empty())
        return vp::programFolder(argv0);
    if (folder[0] == '/')
        return folder;
    std::string cwd(PATH_MAX, '\0');
    if (!::getcwd(cwd.data(), cwd.size()))
        return folder;
    return std::string(cwd.c_str()) + "/" + folder;
}

int renderList(const render::Options& options, render::Run& run, const char* argv0)
{
    std::vector<render::Job> jobs;
    int bad = 0;
    const bool fromStdin = options.batch == "-";
    run.list = fromStdin ? std::string("standard input") : options.batch;
    std::ifstream file;
    if (!fromStdin) {
        file.open(options.batch, std::ios::binary);
        if (!file) {
            std::fprintf(stderr, "VELDRAPLOT: Cannot read the list %s: %s\n", options.batch.c_str(),
                         std::strerror(errno));
            return render::kStatusFailed;
        }
    }
    const vp::Result read = render::readList(fromStdin ? std::cin : file, run.list, options.job,
                                             options.givenFormat, jobs, bad);
    if (!read)
        std::fprintf(stderr, "VELDRAPLOT: %s\n", read.message().c_str());
    // Every worker inherits the configuration read here.
    vp::loadFontConfiguration();
    const int status = render::runBatch(jobs, run, argv0);
    return read && bad == 0 && status == 0 ? 0 : render::kStatusFailed;
}

} // namespace

int main(int argc, char* argv[])
{
    vp::occupyClosedStandardStreams();
    // File names are kept as the bytes given.
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.emplace_back(argv[i]);
    const render::ParsedArguments parsed = render::parseArguments(args);
    if (parsed.options.help) {
        std::fputs(render::kUsage, stdout);
        return 0;
    }
    if (!parsed.result)
        return refuse(parsed.result);
    const render::Options& options = parsed.options;
    render::Run run;
    run.settings = options.settings;
    run.folder = absoluteFolder(options.folder, argv[0]);
    if (options.batchGiven)
        return renderList(options, run, argv[0]);

    render::startQt(argv[0]);
    const int status = render::renderChart(options.job, run, true);
    // Tearing the window down would only hand memory back to a process that
    // is about to end, and with many bars it takes long.
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(status);
}
