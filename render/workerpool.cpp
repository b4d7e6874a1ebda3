#include "workerpool.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

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

} // namespace

struct WorkerPool::Worker {
    pid_t pid = -1;
    int toWorker = -1;   // task numbers
    int fromWorker = -1; // a Reply for each task done
    int current = -1;    // the task it is running
    bool retiring = false;
};

WorkerPool::WorkerPool(int workers, int tasksPerWorker, Tasks tasks)
    : maxWorkers_(std::max(1, workers)), tasksPerWorker_(std::max(1, tasksPerWorker)),
      tasks_(std::move(tasks))
{
}

WorkerPool::~WorkerPool() = default;

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
    const pid_t pid = ::fork();
    if (pid == 0) {
        for (Worker& other : workers_) {
            closeIfOpen(other.toWorker);
            closeIfOpen(other.fromWorker);
        }
        ::close(down[1]);
        ::close(up[0]);
        std::signal(SIGPIPE, SIG_DFL);
        workerMain(down[0], up[1]);
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

// The next task to the worker, or, with none left, the end of its pipe.
void WorkerPool::dispatch(Worker& w)
{
    if (next_ < count_) {
        // Should the worker be gone already, its end is noticed on its
        // reply pipe and reported for this task.
        const std::int32_t index = next_++;
        w.current = index;
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
    if (!w.retiring)
        dispatch(w);
}

// The worker ended: normally after its pipe was closed or its last task,
// else while running a task, which is reported. A new worker then takes the
// tasks that are left.
void WorkerPool::workerEnded(Worker& w)
{
    closeIfOpen(w.fromWorker);
    closeIfOpen(w.toWorker);
    int status = 0;
    while (::waitpid(w.pid, &status, 0) < 0 && errno == EINTR) {
    }
    const int lost = w.current;
    const bool retired = w.retiring;
    w = Worker{};
    if (retired && next_ < count_ && start(w))
        dispatch(w);
    if (lost < 0)
        return;
    ++failed_;
    if (tasks_.lost)
        tasks_.lost(lost, status);
    if (next_ < count_ && start(w))
        dispatch(w);
}

vp::Result WorkerPool::runAll(int count)
{
    // A worker that died must not take the whole run with it.
    std::signal(SIGPIPE, SIG_IGN);
    count_ = count;
    next_ = 0;
    failed_ = 0;
    workers_.assign(static_cast<std::size_t>(std::min(maxWorkers_, count)), Worker{});
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
        if (::poll(watched.data(), watched.size(), -1) < 0) {
            if (errno == EINTR)
                continue;
            return vp::Result::failure(std::string("Cannot wait for the workers: ") +
                                       std::strerror(errno));
        }
        for (std::size_t k = 0; k < watched.size(); ++k)
            if (watched[k].revents != 0)
                handleReply(*owners[k]);
    }
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
