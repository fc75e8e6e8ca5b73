#pragma once

#include <chrono>

// The setup's pauses between attempts (a configuration request, a telemetry send, the second
// transport of a download) are named constants where they are used. Test processes that are not about
// a pause itself scale them all down here; the setup never does. Time limits on exchanges are no
// pauses and are never scaled: a limit scaled down would fail the exchanges it guards.
namespace Waits {

// The wait as the process runs it: the constant, scaled.
std::chrono::milliseconds Of(std::chrono::milliseconds wait);

// Percent of every wait; 100 unless a test process set it.
int Scale();
void SetScale(int percent);

}  // namespace Waits
