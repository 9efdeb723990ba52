#pragma once

#include <condition_variable>
#include <csignal>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace Zumeli {

// One worker thread for the requests that would hold the event loop too long (a large picture
// decoded and written to the database). Jobs run in order; each result is handed back to the loop
// through an eventfd, so the loop never waits for a job.
template <typename Result> class BackgroundWork
{
public:
    using Job = std::function<Result()>;

    BackgroundWork() = default;
    ~BackgroundWork() { stop(); }
    BackgroundWork(const BackgroundWork&) = delete;
    BackgroundWork& operator=(const BackgroundWork&) = delete;

    // notify: called on the worker after each job (writes the loop's eventfd).
    void start(std::function<void()> notify)
    {
        m_notify = std::move(notify);
        // Signals are the loop's to take (through its signalfd): the worker never takes one.
        sigset_t all, previous;
        sigfillset(&all);
        pthread_sigmask(SIG_BLOCK, &all, &previous);
        m_thread = std::thread([this] { work(); });
        pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    }
    void stop()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stopping = true;
        }
        m_wake.notify_one();
        if (m_thread.joinable())
            m_thread.join();
    }
    bool running() const { return m_thread.joinable(); }
    size_t pending()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_jobs.size();
    }
    void post(uint64_t key, Job job)
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_jobs.push_back({key, std::move(job)});
        }
        m_wake.notify_one();
    }
    // The results ready now, with the keys they were posted with.
    std::vector<std::pair<uint64_t, Result>> take()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        std::vector<std::pair<uint64_t, Result>> done;
        done.swap(m_done);
        return done;
    }

private:
    void work()
    {
        for (;;) {
            std::pair<uint64_t, Job> job;
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                m_wake.wait(lock, [this] { return m_stopping || !m_jobs.empty(); });
                if (m_stopping)
                    return;
                job = std::move(m_jobs.front());
                m_jobs.pop_front();
            }
            Result result = job.second();
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_done.emplace_back(job.first, std::move(result));
            }
            if (m_notify)
                m_notify();
        }
    }

    std::function<void()> m_notify;
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::pair<uint64_t, Job>> m_jobs;
    std::vector<std::pair<uint64_t, Result>> m_done;
    bool m_stopping = false;
};

} // namespace Zumeli
