#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace rinoza {

// A second thread that runs the jobs it is given, one after another in the order given: an engine
// hands it runs of system calls and goes on with its own work meanwhile. A job must not throw.
class WorkerThread {
public:
    WorkerThread();
    // A worker where a second thread helps: null on a one-core machine or when no thread can be had.
    static std::unique_ptr<WorkerThread> whereUseful();
    // Waits for every job given, then ends the thread.
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Queues job; returns its number (the first is 1).
    uint64_t start(std::function<void()> job);
    // Whether job number `job` is done.
    bool done(uint64_t job);
    // Returns once job number `job` and all before it are done.
    void waitFor(uint64_t job);

private:
    void loop();

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::function<void()>> m_jobs;
    uint64_t m_given = 0;
    uint64_t m_done = 0;
    bool m_quit = false;
    std::thread m_thread;
};

} // namespace rinoza
