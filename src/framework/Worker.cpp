#include "framework/Worker.h"

#include "framework/SetupLog.h"

#include <atomic>
#include <exception>
#include <system_error>
#include <thread>

namespace {

std::atomic<int> g_running{0};

}  // namespace

bool StartWorker(const char* what, std::function<void()> work)
{
    ++g_running;
    try {
        std::thread([what, work = std::move(work)] {
            // This is the thread's edge: an exception let past it would end the process.
            try {
                work();
            } catch (const std::exception& failure) {
                LogEntry() << what << " ended with an exception: " << failure.what();
            } catch (...) {
                LogEntry() << what << " ended with an unknown exception";
            }
            --g_running;
        }).detach();
        return true;
    } catch (const std::system_error& failure) {
        --g_running;
        LogEntry() << what << " could not start: " << failure.what();
        return false;
    }
}

int WorkersRunning()
{
    return g_running;
}
