#include "WindowTestHelpers.h"

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
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) {
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

COLORREF BrushColor(HBRUSH brush)
{
    LOGBRUSH description{};
    if (!brush || GetObjectW(brush, sizeof(description), &description) != sizeof(description) ||
        description.lbStyle != BS_SOLID) {
        return CLR_INVALID;
    }
    return description.lbColor;
}
