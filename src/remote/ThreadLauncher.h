#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

// A long-lived thread to which callers hand over work that must not run on their own thread, such as
// creating another thread: that costs several hundred microseconds on some systems (Wine among them),
// and the telemetry senders are started from the user-interface thread. Tasks run one after the other,
// in the order they were posted.
class ThreadLauncher {
public:
    // Created on first use; never destroyed, as its thread waits on it until the process ends.
    // Throws std::system_error when the thread cannot be started.
    static ThreadLauncher& Instance();

    void Post(std::function<void()> task);

private:
    ThreadLauncher();
    void Run();

    std::mutex m_mutex;
    std::condition_variable m_posted;
    std::deque<std::function<void()>> m_tasks;
};
