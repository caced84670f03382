#include "files/workthread.h"

#include <pthread.h>

WorkThread::WorkThread(const QByteArray &name)
{
    m_thread = std::thread([this] { run(); });
    // Named from here, so that the name is there as soon as the constructor returns.
    ::pthread_setname_np(m_thread.native_handle(), name.left(15).constData());
}

WorkThread::~WorkThread()
{
    stop();
}

void WorkThread::post(std::function<void()> job)
{
    {
        const std::lock_guard lock(m_mutex);
        if (m_stopping)
            return;
        m_jobs.push_back(std::move(job));
    }
    m_wake.notify_one();
}

void WorkThread::stop()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    if (m_thread.joinable())
        m_thread.join();
}

void WorkThread::run()
{
    std::unique_lock lock(m_mutex);
    while (true) {
        m_wake.wait(lock, [this] { return m_stopping || !m_jobs.empty(); });
        if (m_jobs.empty())
            return;
        std::function<void()> job = std::move(m_jobs.front());
        m_jobs.pop_front();
        lock.unlock();
        job();
        // The job's captures go here, on this thread, before the next one starts.
        job = nullptr;
        lock.lock();
    }
}
