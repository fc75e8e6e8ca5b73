#pragma once

#include "WindowTestHelpers.h"

#include <stdexcept>

template <class T>
T WaitPumping(std::future<T>& future, std::chrono::milliseconds timeout)
{
    const bool ready = PumpMessagesUntil(
        [&future] { return future.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, timeout);
    if (!ready) {
        throw std::runtime_error("the download did not end in time");
    }
    PumpMessagesFor(std::chrono::milliseconds(50));
    return future.get();
}
