// SPDX-License-Identifier: GPL-3.0-or-later
// veldraplot-render: runs the viewer's start-up without showing a window and
// saves the chart as a picture or describes what was built, for hosts that
// want a picture without a viewer, for pipelines, for many charts at once,
// for tests and for benchmarks.
#include "arguments.h"
#include "batch.h"
#include "batchlist.h"
#include "hostprocess.h"
#include "reader.h"
#include "seqfile.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <unistd.h>

namespace
{

int refuse(const std::string& why)
{
    render::printMessage("veldraplot-render", why);
    std::fputs("Try 'veldraplot-render --help' for more information.\n", stderr);
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

// Reads all of fd into text; false on a read error.
bool readAllOf(int fd, std::string& text)
{
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got == 0)
            return true;
        if (got < 0 && errno != EINTR)
            return false;
        text.append(buffer, std::size_t(std::max<ssize_t>(got, 0)));
    }
}

// The list's text, from standard input or from a regular file opened
// without waiting; false (with a message) when it cannot be read.
bool readListText(const render::Options& options, const render::Run& run, std::string& text)
{
    vp::SeqError error = vp::SeqError::None;
    int osError = 0;
    const bool fromStdin = options.batch == "-";
    const int fd = fromStdin ? STDIN_FILENO : vp::openRegularFile(options.batch, error, osError);
    const bool read = fd >= 0 && readAllOf(fd, text);
    osError = fd >= 0 ? errno : osError;
    if (fd >= 0 && !fromStdin)
        ::close(fd);
    if (!read)
        render::printMessage("VELDRAPLOT",
                             "Cannot read the list " + run.list + ": " +
                                 (error == vp::SeqError::NotAFile
                                      ? std::string("it is a folder, pipe or device, not a file")
                                      : std::strerror(osError)));
    return read;
}

int renderList(const render::Options& options, render::Run& run, const char* argv0)
{
    run.list = options.batch == "-" ? std::string("standard input") : options.batch;
    std::string text;
    if (!readListText(options, run, text))
        return render::kStatusFailed;
    render::ReadFiles reads;
    if (!options.settings.empty())
        reads.emplace(render::fileIdentity(options.settings), "the settings file");
    if (options.batch != "-")
        reads.emplace(render::fileIdentity(options.batch), "the list");
    std::vector<render::Job> jobs;
    int bad = 0;
    render::readList(text, run.list, options.job, options.givenFormat, reads, jobs, bad);
    // Every worker inherits the configuration read here.
    vp::loadFontConfiguration();
    if (!jobs.empty() && !vp::anyFontInstalled())
        render::printMessage("VELDRAPLOT", vp::kNoFontWarning);
    const int status = render::runBatch(jobs, run, argv0);
    return bad == 0 && status == 0 ? 0 : render::kStatusFailed;
}

// The file the run reads that the single chart's picture would replace, if any.
std::string replacedReadFile(const render::Options& options, const render::Run& run)
{
    if (options.job.output.empty() || options.job.output == "-")
        return {};
    const std::string output = render::fileIdentity(options.job.output);
    if (!options.settings.empty() && render::fileIdentity(options.settings) == output)
        return "the settings file";
    const std::string definition =
        options.inputGiven ? options.job.input
                           : vp::applyFolderRule(run.folder, '/') + vp::kDefinitionFileName;
    return definition != "-" && render::fileIdentity(definition) == output ? "the chart definition"
                                                                           : std::string();
}

char timeoutMessage[128];

void timedOut(int)
{
    (void)!::write(STDERR_FILENO, timeoutMessage, std::strlen(timeoutMessage));
    ::_exit(render::kStatusFailed);
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
    const render::Options& options = parsed.options;
    if (options.help || options.version) {
        std::fputs(options.help ? render::kUsage : "veldraplot-render " VELDRAPLOT_VERSION "\n",
                   stdout);
        return std::fflush(stdout) == 0 ? 0 : render::kStatusFailed;
    }
    if (!parsed.result)
        return refuse(parsed.result.message());
    render::Run run;
    run.settings = options.settings;
    run.folder = absoluteFolder(options.folder, argv[0]);
    run.timeout = options.timeout;
    if (options.batchGiven)
        return renderList(options, run, argv[0]);
    if (options.job.output == "-" && ::isatty(STDOUT_FILENO))
        return refuse("-o - would write the picture to a terminal: redirect standard output"
                      " (-o - > chart.png) or give -o FILE");
    if (const std::string read = replacedReadFile(options, run); !read.empty())
        return refuse("-o " + options.job.output + " is " + read +
                      ": the picture would replace it");

    if (!options.job.output.empty() && !vp::anyFontInstalled())
        render::printMessage("VELDRAPLOT", vp::kNoFontWarning);
    std::snprintf(timeoutMessage, sizeof timeoutMessage,
                  "VELDRAPLOT: the chart took longer than %d s (--timeout): given up\n",
                  options.timeout);
    std::signal(SIGALRM, timedOut);
    ::alarm(unsigned(options.timeout));
    render::startQt(argv[0]);
    const int status = render::renderChart(options.job, run, true);
    // Tearing the window down would only hand memory back to a process that
    // is about to end, and with many bars it takes long.
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(status);
}
