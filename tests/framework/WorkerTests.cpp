#include <doctest/doctest.h>

#include "SetupLogForTests.h"
#include "framework/Cancellation.h"
#include "framework/MessagePump.h"
#include "framework/Worker.h"
#include "framework/WorkResult.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <stdexcept>
#include <string>

using namespace std::chrono_literals;

namespace {

constexpr UINT kDone = WM_APP + 100;

// A message-only window that counts the completions posted to it.
struct CompletionWindow {
    CompletionWindow()
    {
        window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        REQUIRE(window != nullptr);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        previous = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CompletionWindow::Procedure)));
    }
    ~CompletionWindow() { DestroyWindow(window); }

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<CompletionWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (message == kDone) {
            ++self->messages;
            return 0;
        }
        return CallWindowProcW(self->previous, window, message, wParam, lParam);
    }

    HWND window = nullptr;
    WNDPROC previous = nullptr;
    int messages = 0;
};

}  // namespace

TEST_CASE("A worker's result comes back by message and is taken once; a worker that throws ends at its edge")
{
    const ScopedSetupLog log;
    CompletionWindow target;
    auto result = std::make_shared<WorkResult<std::string>>(target.window, kDone);
    REQUIRE(StartWorker("Test work", [result] { result->Deliver("made on the worker"); }));
    REQUIRE(PumpMessagesUntil([&target] { return target.messages == 1; }, 20s));
    CHECK(result->Take() == std::optional<std::string>("made on the worker"));
    CHECK_FALSE(result->Take().has_value());

    REQUIRE(StartWorker("Failing work", [] { throw std::runtime_error("the work broke"); }));
    REQUIRE(PumpMessagesUntil([&log] { return log.Contains("the work broke"); }, 20s));
    CHECK(log.Contains("Failing work ended with an exception: the work broke"));

    // A window that has gone loses the message and nothing else.
    auto orphan = std::make_shared<WorkResult<int>>(nullptr, kDone);
    std::atomic<bool> delivered{false};
    REQUIRE(StartWorker("Orphan work", [orphan, &delivered] {
        orphan->Deliver(7);
        delivered = true;
    }));
    REQUIRE(PumpMessagesUntil([&delivered] { return delivered.load(); }, 20s));
    CHECK(orphan->Take() == std::optional<int>(7));
}

TEST_CASE("A cancellation ends a pause under way, and every later pause at once")
{
    // Shared with the worker, which may outlive a failed check.
    const auto run = std::make_shared<Cancellation>();
    const auto cutShort = std::make_shared<std::atomic<bool>>(false);
    CHECK_FALSE(run->IsCancelled());
    // A pause far longer than the test: only the cancellation can end it.
    REQUIRE(StartWorker("Pausing work", [run, cutShort] { *cutShort = run->Pause(std::chrono::hours(1)); }));
    PumpMessagesFor(100ms);
    run->Cancel();
    CHECK(PumpMessagesUntil([cutShort] { return cutShort->load(); }, 20s));
    CHECK(run->IsCancelled());
    CHECK(run->Pause(std::chrono::hours(1)));
    CHECK_FALSE(Cancellation::Never().Pause(1ms));
}
