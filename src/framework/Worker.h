#pragma once

#include <functional>

// Starts work on a thread of its own and lets it go: the work holds (by std::shared_ptr or by value)
// everything it touches, and hands its result back through a WorkResult, so nobody ever waits for it.
// An exception that leaves the work ends there and is written to the setup log, named by what.
// False when no thread could be started (the work does not run).
bool StartWorker(const char* what, std::function<void()> work);

// Workers started and not yet ended: the end of a run waits for them (within its bound) before it
// removes the files they may hold.
int WorkersRunning();
