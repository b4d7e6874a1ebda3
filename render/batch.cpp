#include "batch.h"

#include "pngencoder.h"
#include "workerpool.h"

#include <QCoreApplication>
#include <QEvent>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>

#include <sys/wait.h>

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
        std::fprintf(stderr, "VELDRAPLOT: %s:%d: %s\n", run.list.c_str(), job.line, e.what());
    }
    // Qt Charts drops some of its objects only through deleteLater().
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return status;
}

void reportLost(const Job& job, const Run& run, int waitStatus)
{
    if (WIFSIGNALED(waitStatus))
        std::fprintf(stderr,
                     "VELDRAPLOT: %s:%d: the worker drawing this chart was ended by"
                     " signal %d (%s); the run goes on\n",
                     run.list.c_str(), job.line, WTERMSIG(waitStatus),
                     strsignal(WTERMSIG(waitStatus)));
    else
        std::fprintf(stderr,
                     "VELDRAPLOT: %s:%d: the worker drawing this chart ended with"
                     " status %d; the run goes on\n",
                     run.list.c_str(), job.line, WEXITSTATUS(waitStatus));
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
        std::fprintf(stderr, "VELDRAPLOT: Cannot start a worker process: %s\n",
                     std::strerror(error));
    };
    tasks.unassigned = [&](int index) {
        std::fprintf(stderr, "VELDRAPLOT: %s:%d: no worker was left to draw this chart\n",
                     run.list.c_str(), jobs[std::size_t(index)].line);
    };
    WorkerPool pool(workers, kChartsPerWorker, tasks);
    const vp::Result done = pool.runAll(count);
    if (!done) {
        std::fprintf(stderr, "VELDRAPLOT: %s\n", done.message().c_str());
        return kStatusFailed;
    }
    return pool.failed() == 0 ? 0 : kStatusFailed;
}

} // namespace render
