#include <doctest/doctest.h>

#include "BuildVariant.h"
#include "FixtureRuns.h"
#include "ProcessDriver.h"
#include "SetupRunFiles.h"
#include "StandInService.h"
#include "WineEnvironment.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <set>
#include <string>

using namespace std::chrono_literals;

namespace {

// Clicks the visible button with this id, as a user would, and waits until its page has gone.
bool Click(HWND main, int id, std::chrono::seconds appear = 30s)
{
    HWND button = nullptr;
    if (!WaitUntil([&] { return (button = VisibleControl(main, id)) != nullptr; }, appear)) {
        return false;
    }
    PostMessageW(button, BM_CLICK, 0, 0);
    return WaitUntil([&] { return VisibleControl(main, id) != button; }, 10s);
}

std::set<std::string> PackagesWithEvent(const StandInService& service, const std::string& id)
{
    std::set<std::string> packages;
    for (const auto& record : service.Events()) {
        const auto& event = record.at("event");
        if (event.is_object() && event.value("6", "") == id) {
            packages.insert(event.value("5", ""));
        }
    }
    return packages;
}

std::wstring RoamingProductFolder()
{
    wchar_t folder[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder);
    return std::wstring(folder) + L"\\Bramble Web";
}

}  // namespace

TEST_CASE("A whole run of the real setup: every offer accepted, everything installed, reported and launched")
{
    StandInService service;
    service.LoadScenario("demo");
    ClearFixtureRuns();
    std::error_code ignored;
    std::filesystem::remove_all(RoamingProductFolder(), ignored);

    ProcessDriver setup(WineEnvironment::WindowsPathOfHostPath(TESSERA_SETUP_EXE));
    REQUIRE(setup.Started());
    const std::wstring title = IsIsvBuild() ? L"Bramble Web " : L"Setup";
    HWND main = setup.WaitForWindow([&title](HWND window) { return WindowTextOf(window) == title; }, 30s);
    REQUIRE(main);

    REQUIRE(Click(main, 1010));                 // language page
    if (IsHeritageBuild()) {
        REQUIRE(Click(main, 1010, 60s));        // heritage warning
    }
    REQUIRE(Click(main, IsIsvBuild() ? 1050 : 1010, 60s));  // licence (Agree) or welcome (Next)
    for (int offer = 0; offer < 3; ++offer) {
        CAPTURE(offer);
        REQUIRE(Click(main, 1021));             // Accept
    }
    if (IsHeritageBuild()) {
        REQUIRE(Click(main, 1010));             // options
        REQUIRE(Click(main, 1010));             // configurations
    }
    // The offers' installers are started without waiting. A user reads the finish page before pressing
    // Finish; a folder whose programs still run could only be removed at the next restart.
    REQUIRE(WaitUntil([] { return FixtureRuns("playmoor-setup").size() == 1; }, 180s));
    Sleep(2000);
    REQUIRE(Click(main, 1028, 180s));           // Finish, once the downloads and installers are done
    REQUIRE(setup.WaitForExit(60s).has_value());

    // Every package reported as delivered: the product and the three offers that passed the checks.
    CHECK(WaitUntil([&] { return PackagesWithEvent(service, "3").size() >= 4; }, 20s));
    CHECK(PackagesWithEvent(service, "3") == std::set<std::string>{"Bramble Web", "nt-2291", "hw-0774", "pm-1468"});

    // The offers' installers ran with their arguments, from the temporary folder, which is gone now.
    std::set<std::string> offersRun;
    for (const char* name : {"notarra-setup", "harbourwall-vpn-setup", "playmoor-setup"}) {
        const auto runs = FixtureRuns(name);
        REQUIRE(runs.size() == 1);
        offersRun.insert(name);
        CHECK_FALSE(std::filesystem::exists(std::filesystem::path(runs[0].path).parent_path()));
    }
    CHECK(FixtureRuns("notarra-setup")[0].commandLine.find("/S /channel=pub") != std::string::npos);

    if (IsIsvBuild()) {
        // The product's installer ran silently (with the heritage flags in that build), installed the
        // product, and the finish page started it.
        const auto installer = FixtureRuns("beta");
        REQUIRE(installer.size() == 1);
        const std::string flags = IsHeritageBuild() ? "/S /FORCEINSTALL 1110010101111110" : "/S";
        CHECK(installer[0].commandLine.substr(installer[0].commandLine.size() - flags.size()) == flags);
        CHECK(PathFileExistsW((RoamingProductFolder() + L"\\bramweb.exe").c_str()));
        CHECK(WaitUntil([] { return !FixtureRuns("bramweb").empty(); }, 15s));
        CHECK(FixtureRuns("bramweb")[0].commandLine.find("/RUNONSTARTUP") != std::string::npos);
    } else {
        // The download manager leaves the product's installer in Downloads and opens it at the end.
        CHECK(WaitUntil([] { return !FixtureRuns("BrambleWebSetup").empty(); }, 15s));
    }
    for (const std::wstring& path : LogsOfProcess(setup.Id())) {
        DeleteFileW(path.c_str());
    }
}
