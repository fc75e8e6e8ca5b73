#include <doctest/doctest.h>

#include "BuildVariant.h"
#include "ProcessDriver.h"
#include "SetupLogForTests.h"
#include "SetupRunFiles.h"
#include "StandInService.h"
#include "WineEnvironment.h"

#include <functional>
#include <set>
#include <string>

using namespace std::chrono_literals;

namespace {

bool LogContains(DWORD process, const std::string& text)
{
    for (const std::wstring& path : LogsOfProcess(process)) {
        for (const std::string& message : LogMessages(path.c_str())) {
            if (message.find(text) != std::string::npos) {
                return true;
            }
        }
    }
    return false;
}

// The events of one id the service received, as their "13" reason texts.
std::multiset<std::string> ReasonsOfEvents(const StandInService& service, const std::string& id)
{
    std::multiset<std::string> reasons;
    for (const auto& record : service.Events()) {
        const auto& event = record.at("event");
        if (event.is_object() && event.value("6", "") == id) {
            reasons.insert(event.value("13", ""));
        }
    }
    return reasons;
}

}  // namespace

TEST_CASE("The real setup fetches the demo configuration and hands the eligible offers to the wizard")
{
    StandInService service;
    service.LoadScenario("demo");
    RemoveSetupLogs();
    ProcessDriver setup(WineEnvironment::WindowsPathOfHostPath(TESSERA_SETUP_EXE));
    REQUIRE(setup.Started());
    const std::wstring title = IsIsvBuild() ? L"Bramble Web " : L"Setup";
    HWND main = setup.WaitForWindow([&title](HWND window) { return WindowTextOf(window) == title; }, 30s);
    REQUIRE(main);
    HWND next = VisibleControl(main, 1010);
    REQUIRE(next);
    PostMessageW(next, BM_CLICK, 0, 0);

    CHECK(WaitUntil([&] { return LogContains(setup.Id(), "Configuration complete: 3 offer(s) handed to the wizard"); },
                    60s));
    CHECK(ReasonsOfEvents(service, "1").size() == 1);
    CHECK(WaitUntil([&] { return ReasonsOfEvents(service, "2").size() == 3; }, 10s));
    CHECK(ReasonsOfEvents(service, "2") ==
          std::multiset<std::string>{"UNSUPPORTED OS VERSION", "FILE EXISTS", "APPLICATION RUNNING"});

    PostMessageW(main, WM_CLOSE, 0, 0);
    if (HWND question = setup.WaitForWindow(
            [main](HWND window) { return window != main && WindowClassOf(window) == L"#32770"; }, 5s)) {
        PostMessageW(question, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }
    CHECK(setup.WaitForExit(30s).has_value());
    for (const std::wstring& path : LogsOfProcess(setup.Id())) {
        DeleteFileW(path.c_str());
    }
}
