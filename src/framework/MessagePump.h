#pragma once

#include <chrono>
#include <functional>

// Runs the calling thread's message loop until done() holds or the time is up, so a wait on this
// thread never stops its windows from answering. True when done() held.
bool PumpMessagesUntil(const std::function<bool()>& done,
                       std::chrono::milliseconds timeout = std::chrono::milliseconds::max());

// Runs the thread's message loop for a while.
void PumpMessagesFor(std::chrono::milliseconds duration);
