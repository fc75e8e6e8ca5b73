#include "framework/Pauses.h"

#include <atomic>

namespace {

std::atomic<int> g_scale{100};

}  // namespace

namespace Pauses {

std::chrono::milliseconds Of(std::chrono::milliseconds pause)
{
    return pause * g_scale.load() / 100;
}

int Scale()
{
    return g_scale;
}

void SetScale(int percent)
{
    g_scale = percent;
}

}  // namespace Pauses
