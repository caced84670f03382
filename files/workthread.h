#pragma once

#include <QByteArray>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

// A thread of our own for file work off the window thread: it runs the jobs posted to it one at
// a time, in the order they came. stop() lets it finish what is queued and then joins it, so
// once its owner is gone nothing of the thread runs on, not even its own end; a QThread's wait()
// returns before its thread has quite ended, and a program that ends meanwhile ends under it.
class WorkThread
{
public:
    // name: what the system shows for the thread, at most 15 bytes.
    explicit WorkThread(const QByteArray &name);
    // stop().
    ~WorkThread();
    WorkThread(const WorkThread &) = delete;
    WorkThread &operator=(const WorkThread &) = delete;

    // Queues job for the thread; once stopped, a job is dropped.
    void post(std::function<void()> job);
    // Runs what is queued, then ends and joins the thread. Called again, it does nothing.
    void stop();

private:
    void run();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_jobs;
    bool m_stopping = false;
    std::thread m_thread; // last: starts once everything above exists
};
