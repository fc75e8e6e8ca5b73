#pragma once

#include <windows.h>

#include <mutex>
#include <optional>
#include <utility>

// What a worker thread hands back to a window: the result waits here and a message tells the window
// to take it. The worker and the window each hold it (std::shared_ptr), so a window that has gone when
// the work ends loses the message and nothing else, and nothing waits for anything.
template <class T>
class WorkResult {
public:
    WorkResult(HWND window, UINT message) : m_window(window), m_message(message) {}

    // Worker: keeps the result and posts the message.
    void Deliver(T value)
    {
        {
            std::lock_guard lock(m_mutex);
            m_value = std::move(value);
        }
        ::PostMessageW(m_window, m_message, 0, 0);
    }

    // Window thread: the result, once; nothing before it came.
    std::optional<T> Take()
    {
        std::lock_guard lock(m_mutex);
        return std::exchange(m_value, std::nullopt);
    }

private:
    const HWND m_window;
    const UINT m_message;
    std::mutex m_mutex;
    std::optional<T> m_value;
};
