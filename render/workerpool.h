// SPDX-License-Identifier: GPL-3.0-or-later
// A pool of worker processes that run numbered tasks one at a time: the
// parent hands out the next task over a pipe as soon as a worker reports
// the one before, so a slow task does not hold up the others. A worker
// hands over to a fresh one after a given number of tasks (whatever a task
// leaves behind in a process then cannot add up), and a worker that dies
// costs only the task it was running: it is reported and replaced, as is
// one whose task runs past the time limit. The workers end with the parent,
// whatever ends it: SIGTERM, SIGINT and SIGHUP end them first, and a worker
// whose parent is gone is killed by the kernel.
// Must be used before the process starts any thread.
#pragma once

#include "result.h"

#include <functional>
#include <vector>

namespace render
{

class WorkerPool
{
  public:
    struct Tasks {
        // In each new worker, once, before its first task.
        std::function<void()> startWorker;
        // In a worker: runs task `index`; 0 for success.
        std::function<int(int index)> run;
        // In the parent: the worker running `index` ended with the wait
        // status given (see waitpid).
        std::function<void(int index, int waitStatus)> lost;
        // In the parent: a worker could not be started (errno given).
        std::function<void(int error)> startFailed;
        // In the parent: no worker was left to run `index`.
        std::function<void(int index)> unassigned;
        // In the parent: task `index` ran past the time limit; its worker
        // was killed.
        std::function<void(int index)> timedOut;
        // In the parent, when a signal ends it, once the workers are gone:
        // async-signal-safe calls only.
        void (*endingBySignal)() = nullptr;
    };

    // At most `workers` processes at a time, each running at most
    // `tasksPerWorker` tasks, each task for at most timeLimitMs (0: no limit).
    WorkerPool(int workers, int tasksPerWorker, Tasks tasks, int timeLimitMs = 0);
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    // Runs tasks 0 to count - 1 (with no more workers than tasks). Fails
    // only when the workers cannot be waited for.
    vp::Result runAll(int count);
    // Tasks that failed, were lost with their worker or never ran.
    int failed() const { return failed_; }

    // Kills the workers and waits for them (async-signal-safe).
    void endWorkers();

  private:
    struct Worker;
    bool start(Worker& worker);
    void killLate();
    int msToNextDeadline() const;
    [[noreturn]] void workerMain(int in, int out);
    void dispatch(Worker& worker);
    void handleReply(Worker& worker);
    void workerEnded(Worker& worker);

    int maxWorkers_;
    int tasksPerWorker_;
    Tasks tasks_;
    int timeLimitMs_;
    std::vector<Worker> workers_;
    int count_ = 0;
    int next_ = 0;
    int failed_ = 0;
};

// The processors this process may run on.
int processorCount();

} // namespace render
