#include "remote/ThreadLauncher.h"

#include <exception>
#include <thread>

ThreadLauncher& ThreadLauncher::Instance()
{
    // Deliberately leaked: destroying it at exit would pull the mutex and the queue from under its
    // thread, which is only stopped when the process ends.
    static ThreadLauncher* const instance = new ThreadLauncher();
    return *instance;
}

ThreadLauncher::ThreadLauncher()
{
    std::thread(&ThreadLauncher::Run, this).detach();
}

void ThreadLauncher::Post(std::function<void()> task)
{
    {
        std::lock_guard lock(m_mutex);
        m_tasks.push_back(std::move(task));
    }
    m_posted.notify_one();
}

void ThreadLauncher::Run()
{
    for (;;) {
        std::function<void()> task;
        {
            std::unique_lock lock(m_mutex);
            m_posted.wait(lock, [this] { return !m_tasks.empty(); });
            task = std::move(m_tasks.front());
            m_tasks.pop_front();
        }
        try {
            task();
        } catch (const std::exception&) {
            // A task answers for its own failures; one that does not must not end the launcher.
        }
    }
}
