#include "common/WorkerThread.h"

#include <system_error>
#include <utility>

namespace rinoza {

WorkerThread::WorkerThread() : m_thread([this] { loop(); }) {}

std::unique_ptr<WorkerThread> WorkerThread::whereUseful() {
    if (std::thread::hardware_concurrency() < 2)
        return nullptr;
    try {
        return std::make_unique<WorkerThread>();
    } catch (const std::system_error&) {
        return nullptr;
    }
}

WorkerThread::~WorkerThread() {
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_done == m_given; });
        m_quit = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

uint64_t WorkerThread::start(std::function<void()> job) {
    uint64_t number = 0;
    {
        std::lock_guard lock(m_mutex);
        m_jobs.push_back(std::move(job));
        number = ++m_given;
    }
    m_changed.notify_all();
    return number;
}

bool WorkerThread::done(uint64_t job) {
    std::lock_guard lock(m_mutex);
    return m_done >= job;
}

void WorkerThread::waitFor(uint64_t job) {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this, job] { return m_done >= job; });
}

void WorkerThread::loop() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_quit || !m_jobs.empty(); });
        if (m_jobs.empty())
            return;
        std::function<void()> job = std::move(m_jobs.front());
        m_jobs.pop_front();
        lock.unlock();
        job();
        lock.lock();
        ++m_done;
        m_changed.notify_all();
    }
}

} // namespace rinoza
