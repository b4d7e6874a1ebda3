// SPDX-License-Identifier: GPL-3.0-or-later
#include "workerpool.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>

#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <sys/prctl.h>
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

// A worker's report on each task: its number, its status, and whether it
// was the worker's last.
struct Reply {
    std::int32_t index;
    std::int32_t status;
    std::int32_t last;
};

void closeIfOpen(int& fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

using Clock = std::chrono::steady_clock;

// The signals that end the parent after its workers.
constexpr int kEndingSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The ending signals are held while a worker's process id is recorded or
// reaped, so that the handler never meets one half done.
sigset_t holdEndingSignals()
{
    sigset_t ending, before;
    sigemptyset(&ending);
    for (const int signal : kEndingSignals)
        sigaddset(&ending, signal);
    ::sigprocmask(SIG_BLOCK, &ending, &before);
    return before;
}

void release(const sigset_t& before)
{
    ::sigprocmask(SIG_SETMASK, &before, nullptr);
}

// The pool whose workers end with this process.
WorkerPool* runningPool = nullptr;
void (*endingBySignal)() = nullptr;

void endWithWorkers(int signal)
{
    if (runningPool)
        runningPool->endWorkers();
    if (endingBySignal)
        endingBySignal();
    std::signal(signal, SIG_DFL);
    std::raise(signal); // delivered with its usual effect once the handler returns
}

} // namespace

struct WorkerPool::Worker {
    pid_t pid = -1;
    int toWorker = -1;   // task numbers
    int fromWorker = -1; // a Reply for each task done
    int current = -1;    // the task it is running
    bool retiring = false;
    bool late = false; // killed for running past the time limit
    Clock::time_point deadline;
};

WorkerPool::WorkerPool(int workers, int tasksPerWorker, Tasks tasks, int timeLimitMs)
    : maxWorkers_(std::max(1, workers)), tasksPerWorker_(std::max(1, tasksPerWorker)),
      tasks_(std::move(tasks)), timeLimitMs_(std::max(0, timeLimitMs))
{
}

WorkerPool::~WorkerPool()
{
    endWorkers();
}

void WorkerPool::endWorkers()
{
    for (const Worker& w : workers_)
        if (w.pid > 0)
            ::kill(w.pid, SIGKILL);
    for (Worker& w : workers_)
        while (w.pid > 0 && ::waitpid(w.pid, nullptr, 0) < 0 && errno == EINTR) {
        }
    for (Worker& w : workers_)
        w.pid = -1;
}

void WorkerPool::workerMain(int in, int out)
{
    if (tasks_.startWorker)
        tasks_.startWorker();
    std::int32_t index = 0;
    for (int done = 1; readAll(in, &index, sizeof index); ++done) {
        Reply reply{index, tasks_.run(index), done >= tasksPerWorker_};
        std::fflush(stderr);
        if (!writeAll(out, &reply, sizeof reply) || reply.last)
            break;
    }
    std::_Exit(0);
}

bool WorkerPool::start(Worker& worker)
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
    const pid_t parent = ::getpid();
    const sigset_t before = holdEndingSignals();
    const pid_t pid = ::fork();
    if (pid == 0) {
        for (Worker& other : workers_) {
            closeIfOpen(other.toWorker);
            closeIfOpen(other.fromWorker);
            other.pid = -1;
        }
        ::close(down[1]);
        ::close(up[0]);
        for (const int signal : kEndingSignals)
            std::signal(signal, SIG_DFL);
        std::signal(SIGPIPE, SIG_DFL);
        // Killed by the kernel when the parent ends, also by SIGKILL; a
        // parent gone before this call shows as another parent process.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent)
            std::_Exit(1);
        release(before);
        workerMain(down[0], up[1]);
    }
    ::close(down[0]);
    ::close(up[1]);
    if (pid < 0) {
        release(before);
        ::close(down[1]);
        ::close(up[0]);
        return false;
    }
    worker = Worker{pid, down[1], up[0], -1, false, false, {}};
    release(before);
    return true;
}

// The next task to the worker, or, with none left, the end of its pipe.
void WorkerPool::dispatch(Worker& w)
{
    if (next_ < count_) {
        // Should the worker be gone already, its end is noticed on its
        // reply pipe and reported for this task.
        const std::int32_t index = next_++;
        w.current = index;
        w.deadline = Clock::now() + std::chrono::milliseconds(timeLimitMs_);
        writeAll(w.toWorker, &index, sizeof index);
        return;
    }
    w.current = -1;
    closeIfOpen(w.toWorker);
}

void WorkerPool::handleReply(Worker& w)
{
    Reply reply{};
    if (!readAll(w.fromWorker, &reply, sizeof reply)) {
        workerEnded(w);
        return;
    }
    if (reply.status != 0)
        ++failed_;
    w.current = -1;
    w.retiring = reply.last != 0;
    // A worker killed as its reply came is replaced once its end is seen.
    if (!w.retiring && !w.late)
        dispatch(w);
}

// The worker ended: normally after its pipe was closed or its last task,
// else while running a task, which is reported (killed for running late or
// lost). A new worker then takes the tasks that are left.
void WorkerPool::workerEnded(Worker& w)
{
    closeIfOpen(w.fromWorker);
    closeIfOpen(w.toWorker);
    int status = 0;
    const sigset_t before = holdEndingSignals();
    while (::waitpid(w.pid, &status, 0) < 0 && errno == EINTR) {
    }
    const Worker ended = w;
    w = Worker{};
    release(before);
    if (ended.current >= 0) {
        ++failed_;
        if (ended.late && tasks_.timedOut)
            tasks_.timedOut(ended.current);
        else if (!ended.late && tasks_.lost)
            tasks_.lost(ended.current, status);
    }
    if ((ended.retiring || ended.late || ended.current >= 0) && next_ < count_ && start(w))
        dispatch(w);
}

// Kills the workers whose task ran past the time limit; their end is then
// seen on their reply pipes.
void WorkerPool::killLate()
{
    const Clock::time_point now = Clock::now();
    for (Worker& w : workers_)
        if (timeLimitMs_ > 0 && w.current >= 0 && !w.late && now >= w.deadline) {
            ::kill(w.pid, SIGKILL);
            w.late = true;
        }
}

// How long poll may wait before the next time limit runs out; -1: no limit.
int WorkerPool::msToNextDeadline() const
{
    long long wait = -1;
    for (const Worker& w : workers_)
        if (timeLimitMs_ > 0 && w.current >= 0 && !w.late) {
            const long long left =
                std::chrono::ceil<std::chrono::milliseconds>(w.deadline - Clock::now()).count();
            wait = std::max(0LL, wait < 0 ? left : std::min(wait, left));
        }
    return static_cast<int>(wait);
}

vp::Result WorkerPool::runAll(int count)
{
    // A worker that died must not take the whole run with it.
    std::signal(SIGPIPE, SIG_IGN);
    workers_.assign(static_cast<std::size_t>(std::min(maxWorkers_, count)), Worker{});
    runningPool = this;
    endingBySignal = tasks_.endingBySignal;
    struct sigaction ending = {};
    ending.sa_handler = endWithWorkers;
    sigemptyset(&ending.sa_mask);
    struct sigaction before[std::size(kEndingSignals)];
    for (std::size_t k = 0; k < std::size(kEndingSignals); ++k)
        ::sigaction(kEndingSignals[k], &ending, &before[k]);
    count_ = count;
    next_ = 0;
    failed_ = 0;
    vp::Result done;
    for (Worker& w : workers_) {
        if (start(w)) {
            dispatch(w);
        } else if (tasks_.startFailed) {
            tasks_.startFailed(errno);
        }
    }
    for (;;) {
        std::vector<pollfd> watched;
        std::vector<Worker*> owners;
        for (Worker& w : workers_)
            if (w.fromWorker >= 0) {
                watched.push_back(pollfd{w.fromWorker, POLLIN, 0});
                owners.push_back(&w);
            }
        if (watched.empty())
            break;
        if (::poll(watched.data(), watched.size(), msToNextDeadline()) < 0 && errno != EINTR) {
            done = vp::Result::failure(std::string("Cannot wait for the workers: ") +
                                       std::strerror(errno));
            break;
        }
        for (std::size_t k = 0; k < watched.size(); ++k)
            if (watched[k].revents != 0)
                handleReply(*owners[k]);
        killLate();
    }
    endWorkers();
    for (std::size_t k = 0; k < std::size(kEndingSignals); ++k)
        ::sigaction(kEndingSignals[k], &before[k], nullptr);
    runningPool = nullptr;
    if (!done)
        return done;
    // Tasks no worker could take (workers that could not be started).
    for (; next_ < count_; ++next_, ++failed_)
        if (tasks_.unassigned)
            tasks_.unassigned(next_);
    return {};
}

int processorCount()
{
    cpu_set_t set;
    if (::sched_getaffinity(0, sizeof set, &set) == 0)
        return std::max(1, CPU_COUNT(&set));
    return 1;
}

} // namespace render
