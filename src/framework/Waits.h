#pragma once

#include <chrono>

// The setup's pauses between attempts (a configuration request, a telemetry send, the second
// transport of a download) are named constants where they are used. Test processes that are not
// about a pause itself scale them all down here; the setup never does.
namespace Pauses {

// The pause as the process runs it: the constant, scaled.
std::chrono::milliseconds Of(std::chrono::milliseconds pause);

// Percent of every pause; 100 unless a test process set it.
int Scale();
void SetScale(int percent);

}  // namespace Pauses
