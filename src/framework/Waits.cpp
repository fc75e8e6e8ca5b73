#include "framework/Waits.h"

#include <atomic>

namespace {

std::atomic<int> g_scale{100};

}  // namespace

namespace Waits {

std::chrono::milliseconds Of(std::chrono::milliseconds wait)
{
    return wait * g_scale.load() / 100;
}

int Scale()
{
    return g_scale;
}

void SetScale(int percent)
{
    g_scale = percent;
}

}  // namespace Waits
