#include "framework/MessagePump.h"

#include <windows.h>

namespace {

void DispatchPending()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}  // namespace

bool PumpMessagesUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout)
{
    const auto start = std::chrono::steady_clock::now();
    while (!done()) {
        // Compared in milliseconds, so the default "forever" cannot overflow a finer duration.
        const auto elapsed =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
        if (elapsed >= timeout) {
            return false;
        }
        DispatchPending();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

void PumpMessagesFor(std::chrono::milliseconds duration)
{
    PumpMessagesUntil([] { return false; }, duration);
}
