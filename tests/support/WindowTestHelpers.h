#pragma once

#include <windows.h>

#include <chrono>
#include <functional>

// Runs the thread's message loop until done() holds or the time is up; true when done() held.
bool PumpMessagesUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);

// Runs the thread's message loop for a while, so posted messages and repaints are delivered.
void PumpMessagesFor(std::chrono::milliseconds duration);

// The colour of a solid brush, or CLR_INVALID for anything else.
COLORREF BrushColor(HBRUSH brush);
