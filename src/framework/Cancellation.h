#pragma once

#include "framework/UniqueHandle.h"

#include <windows.h>

#include <chrono>

// One run's "the user has quit": set once and never cleared, passed to every worker and wait of the
// run (the configuration request, the offer checks, downloads, installers, telemetry). A pause of the
// run is a wait on it, so a quit cuts every pause short.
class Cancellation {
public:
    Cancellation();
    Cancellation(const Cancellation&) = delete;
    Cancellation& operator=(const Cancellation&) = delete;

    void Cancel();
    bool IsCancelled() const;
    // Waits for the duration (scaled as Waits::Of scales it) or until cancelled; true when cancelled.
    bool Pause(std::chrono::milliseconds duration) const;
    // Signalled once cancelled: for a wait on a process and the cancellation together.
    HANDLE Handle() const { return m_event.Get(); }

    // A cancellation nobody cancels, for work that belongs to no run (tests, tools).
    static const Cancellation& Never();

private:
    UniqueKernelHandle m_event;
};
