// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch.h"

#include "hostprocess.h"
#include "pngencoder.h"
#include "workerpool.h"

#include <QCoreApplication>
#include <QEvent>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>

#include <sys/wait.h>
#include <unistd.h>

namespace render
{
namespace
{

// A worker hands over to a fresh one after this many charts: some of each
// chart's text documents stay behind inside Qt after its window is gone, and
// a fresh worker keeps that from adding up.
constexpr int kChartsPerWorker = 50;

// Draws one chart in a worker; its window is destroyed before the next.
int drawInWorker(const Job& job, const Run& run)
{
    int status = kStatusFailed;
    try {
        status = renderChart(job, run, false);
    } catch (const std::exception& e) {
        printMessage("VELDRAPLOT", run.list + ":" + std::to_string(job.line) + ": " + e.what());
    }
    // Qt Charts drops some of its objects only through deleteLater().
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return status;
}

void reportLost(const Job& job, const Run& run, int waitStatus)
{
    const std::string end = WIFSIGNALED(waitStatus)
                                ? "was ended by signal " + std::to_string(WTERMSIG(waitStatus)) +
                                      " (" + strsignal(WTERMSIG(waitStatus)) + ")"
                                : "ended with status " + std::to_string(WEXITSTATUS(waitStatus));
    printMessage("VELDRAPLOT", run.list + ":" + std::to_string(job.line) +
                                   ": the worker drawing this chart " + end + "; the run goes on");
}

// The runtime folder lent to the workers' Qt for the whole run: removed at
// its end, also when a signal ends it.
std::string lentRuntimeFolder;

void removeLentRuntimeFolder()
{
    if (!lentRuntimeFolder.empty())
        ::rmdir(lentRuntimeFolder.c_str());
}

} // namespace

int runBatch(const std::vector<Job>& jobs, const Run& run, const char* argv0)
{
    const int count = static_cast<int>(jobs.size());
    const int workers = std::min(processorCount(), count);
    // The workers already share the processors out: each encodes with what is left over.
    if (workers > 0)
        imageio::setEncoderThreads(std::max(1, processorCount() / workers));
    WorkerPool::Tasks tasks;
    tasks.startWorker = [argv0] { startQt(argv0); };
    tasks.run = [&](int index) { return drawInWorker(jobs[std::size_t(index)], run); };
    tasks.lost = [&](int index, int waitStatus) {
        reportLost(jobs[std::size_t(index)], run, waitStatus);
    };
    tasks.startFailed = [](int error) {
        printMessage("VELDRAPLOT",
                     std::string("Cannot start a worker process: ") + std::strerror(error));
    };
    auto say = [&](int index, const std::string& text) {
        printMessage("VELDRAPLOT",
                     run.list + ":" + std::to_string(jobs[std::size_t(index)].line) + ": " + text);
    };
    tasks.unassigned = [say](int index) { say(index, "no worker was left to draw this chart"); };
    tasks.timedOut = [say, &run](int index) {
        say(index, "the chart took longer than " + std::to_string(run.timeout) +
                       " s (--timeout): its worker was stopped; the run goes on");
    };
    tasks.endingBySignal = removeLentRuntimeFolder;
    lentRuntimeFolder = vp::lendRuntimeFolder();
    WorkerPool pool(workers, kChartsPerWorker, tasks, run.timeout * 1000);
    const vp::Result done = pool.runAll(count);
    vp::takeBackRuntimeFolder(lentRuntimeFolder);
    lentRuntimeFolder.clear();
    if (!done) {
        printMessage("VELDRAPLOT", done.message());
        return kStatusFailed;
    }
    return pool.failed() == 0 ? 0 : kStatusFailed;
}

} // namespace render
