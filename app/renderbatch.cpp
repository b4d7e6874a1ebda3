// Many charts in one run: the parent process starts no Qt of its own; it
// forks one worker per processor, each with its own QApplication (Qt's
// widgets and graphics scenes belong to one thread of one process), and
// hands out the charts one at a time over a pipe, so that a slow chart does
// not hold up the others and a worker that dies costs only its own chart.
#include "renderjob.h"

#include "imagesave.h"

#include <QCoreApplication>
#include <QEvent>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>

#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

namespace render
{
namespace
{

bool readAll(int fd, void* data, std::size_t size)
{
    auto* p = static_cast<char*>(data);
    while (size > 0) {
        const ssize_t got = ::read(fd, p, size);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        p += got;
        size -= static_cast<std::size_t>(got);
    }
    return true;
}

bool writeAll(int fd, const void* data, std::size_t size)
{
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t put = ::write(fd, p, size);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        p += put;
        size -= static_cast<std::size_t>(put);
    }
    return true;
}

struct Worker {
    pid_t pid = -1;
    int toWorker = -1;   // chart numbers
    int fromWorker = -1; // chart number and status of each chart done
    int current = -1;    // the chart it is drawing
    bool retiring = false;
};

// A worker hands over to a fresh one after this many charts. Some 60 KB of
// each chart's text documents stay behind inside Qt after its window is
// gone; a fresh worker (some 30 ms) keeps that from adding up.
constexpr int kChartsPerWorker = 50;

// A worker: draws the charts it is sent until its pipe is closed or it has
// drawn its share. Each chart's window is destroyed after its picture.
[[noreturn]] void workerMain(int in, int out, const std::vector<Job>& jobs, const Run& run,
                             const char* argv0)
{
    startQt(argv0);
    std::int32_t index = 0;
    for (int drawn = 1; readAll(in, &index, sizeof index); ++drawn) {
        // Chart number, status, and whether this was the worker's last.
        std::int32_t reply[3] = {index, kStatusFailed, drawn >= kChartsPerWorker};
        try {
            reply[1] = renderChart(jobs[static_cast<std::size_t>(index)], run, false);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "VELDRAPLOT: %s:%d: %s\n", run.list.c_str(),
                         jobs[static_cast<std::size_t>(index)].line, e.what());
        }
        // Qt Charts drops some of its objects only through deleteLater().
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        std::fflush(stderr);
        if (!writeAll(out, reply, sizeof reply) || reply[2])
            break;
    }
    std::_Exit(0);
}

bool startWorker(Worker& worker, std::vector<Worker>& all, const std::vector<Job>& jobs,
                 const Run& run, const char* argv0)
{
    int down[2], up[2];
    if (::pipe2(down, O_CLOEXEC) != 0)
        return false;
    if (::pipe2(up, O_CLOEXEC) != 0) {
        ::close(down[0]);
        ::close(down[1]);
        return false;
    }
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        for (const Worker& other : all) {
            if (other.toWorker >= 0)
                ::close(other.toWorker);
            if (other.fromWorker >= 0)
                ::close(other.fromWorker);
        }
        ::close(down[1]);
        ::close(up[0]);
        std::signal(SIGPIPE, SIG_DFL);
        workerMain(down[0], up[1], jobs, run, argv0);
    }
    ::close(down[0]);
    ::close(up[1]);
    if (pid < 0) {
        ::close(down[1]);
        ::close(up[0]);
        return false;
    }
    worker = Worker{pid, down[1], up[0], -1, false};
    return true;
}

int processorCount()
{
    cpu_set_t set;
    if (::sched_getaffinity(0, sizeof set, &set) == 0)
        return std::max(1, CPU_COUNT(&set));
    return 1;
}

} // namespace

int runBatch(const std::vector<Job>& jobs, const Run& run, const char* argv0)
{
    // A worker that died must not take the whole run with it.
    std::signal(SIGPIPE, SIG_IGN);
    std::vector<Worker> workers(
        static_cast<std::size_t>(std::min<long>(processorCount(), static_cast<long>(jobs.size()))));
    // The workers already share the processors out: each encodes with what is left over.
    if (!workers.empty())
        imagesave::setEncoderThreads(static_cast<int>(
            std::max<long>(1, processorCount() / static_cast<long>(workers.size()))));
    std::size_t next = 0;
    int failed = 0;
    auto dispatch = [&](Worker& w) {
        if (next < jobs.size()) {
            // Should the worker be gone already, its end is noticed on its
            // reply pipe and reported for this chart.
            const std::int32_t index = static_cast<std::int32_t>(next++);
            w.current = index;
            writeAll(w.toWorker, &index, sizeof index);
            return;
        }
        w.current = -1;
        ::close(w.toWorker);
        w.toWorker = -1;
    };
    for (Worker& w : workers) {
        if (!startWorker(w, workers, jobs, run, argv0)) {
            std::fprintf(stderr, "VELDRAPLOT: Cannot start a worker process: %s\n",
                         std::strerror(errno));
            w = Worker{};
            continue;
        }
        dispatch(w);
    }

    for (;;) {
        std::vector<pollfd> watched;
        std::vector<Worker*> owners;
        for (Worker& w : workers)
            if (w.fromWorker >= 0) {
                watched.push_back(pollfd{w.fromWorker, POLLIN, 0});
                owners.push_back(&w);
            }
        if (watched.empty())
            break;
        if (::poll(watched.data(), watched.size(), -1) < 0) {
            if (errno == EINTR)
                continue;
            std::fprintf(stderr, "VELDRAPLOT: Cannot wait for the workers: %s\n",
                         std::strerror(errno));
            return kStatusFailed;
        }
        for (std::size_t k = 0; k < watched.size(); ++k) {
            if (watched[k].revents == 0)
                continue;
            Worker& w = *owners[k];
            std::int32_t reply[3];
            if (readAll(w.fromWorker, reply, sizeof reply)) {
                if (reply[1] != 0)
                    ++failed;
                w.current = -1;
                w.retiring = reply[2] != 0;
                if (!w.retiring)
                    dispatch(w);
                continue;
            }
            // The worker ended: normally after its pipe was closed, else
            // while drawing a chart, which is reported; a new worker then
            // takes the charts that are left.
            ::close(w.fromWorker);
            if (w.toWorker >= 0)
                ::close(w.toWorker);
            int status = 0;
            while (::waitpid(w.pid, &status, 0) < 0 && errno == EINTR) {
            }
            const int lost = w.current;
            const bool retired = w.retiring;
            w = Worker{};
            if (retired && next < jobs.size() && startWorker(w, workers, jobs, run, argv0))
                dispatch(w);
            if (lost < 0)
                continue;
            ++failed;
            const Job& job = jobs[static_cast<std::size_t>(lost)];
            if (WIFSIGNALED(status))
                std::fprintf(stderr,
                             "VELDRAPLOT: %s:%d: the worker drawing this chart was ended by"
                             " signal %d (%s); the run goes on\n",
                             run.list.c_str(), job.line, WTERMSIG(status),
                             strsignal(WTERMSIG(status)));
            else
                std::fprintf(stderr,
                             "VELDRAPLOT: %s:%d: the worker drawing this chart ended with"
                             " status %d; the run goes on\n",
                             run.list.c_str(), job.line, WEXITSTATUS(status));
            if (next < jobs.size()) {
                if (startWorker(w, workers, jobs, run, argv0))
                    dispatch(w);
                else
                    w = Worker{};
            }
        }
    }
    // Charts no worker could take (workers that could not be started).
    for (; next < jobs.size(); ++next, ++failed)
        std::fprintf(stderr, "VELDRAPLOT: %s:%d: no worker was left to draw this chart\n",
                     run.list.c_str(), jobs[next].line);
    return failed == 0 ? 0 : kStatusFailed;
}

} // namespace render
