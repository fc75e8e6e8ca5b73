#include <doctest/doctest.h>

#include "BuildVariant.h"
#include "RunLocale.h"
#include "PlantedSetup.h"
#include "ProcessDriver.h"
#include "WizardDriver.h"
#include "WineEnvironment.h"

#include <filesystem>
#include <string>

using namespace std::chrono_literals;

namespace {

const std::wstring& MainTitle()
{
    static const std::wstring title = IsIsvBuild() ? L"Bramble Web " : L"Setup";
    return title;
}

HWND WaitForMainWindow(const ProcessDriver& setup)
{
    return setup.WaitForWindow([](HWND window) { return WindowTextOf(window) == MainTitle(); }, 30s);
}

// Closes the wizard as a user would, confirming the exit question if one is asked.
void CloseWizard(const ProcessDriver& setup, HWND mainWindow)
{
    PostMessageW(mainWindow, WM_CLOSE, 0, 0);
    if (HWND question = setup.WaitForWindow(
            [mainWindow](HWND window) { return window != mainWindow && WindowClassOf(window) == L"#32770"; }, 2s)) {
        PostMessageW(question, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }
}

}  // namespace

TEST_CASE("The real setup opens its main window and refuses a second start" * doctest::skip(InSpanishRun()))
{
    const std::wstring executable = SetupExecutable();
    ProcessDriver first(executable);
    REQUIRE(first.Started());
    HWND mainWindow = WaitForMainWindow(first);
    REQUIRE(mainWindow != nullptr);
    CHECK(WindowTextOf(mainWindow) == MainTitle());

    // It opens on the language page: the branded one in the shipped build, with its list hidden.
    HWND next = VisibleControl(mainWindow, 1010);
    REQUIRE(next != nullptr);
    CHECK(WindowTextOf(next) == L"Next");
    if (IsIsvBuild()) {
        HWND title = VisibleControl(mainWindow, 1013);
        REQUIRE(title != nullptr);
        CHECK(WindowTextOf(title) == L"Welcome to Bramble Web");
        CHECK(VisibleControl(mainWindow, 1000) == nullptr);
    } else {
        CHECK(VisibleControl(mainWindow, 1011) != nullptr);
        CHECK(VisibleControl(mainWindow, 1000) != nullptr);
    }

    ProcessDriver second(executable);
    REQUIRE(second.Started());
    HWND box = second.WaitForWindow([](HWND window) { return IsDialogWithCaption(window, L"Error"); }, 30s);
    REQUIRE(box != nullptr);
    wchar_t text[256] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 256);
    CHECK(std::wstring(text) == L"Another setup is already running, please close it and try again");
    CHECK(second.WaitForWindow([](HWND window) { return WindowTextOf(window) == MainTitle(); }, 0ms) == nullptr);
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    CHECK(second.WaitForExit(15s).has_value());

    CloseWizard(first, mainWindow);
    REQUIRE(first.WaitForExit(30s).has_value());

    ProcessDriver third(executable);
    HWND thirdWindow = WaitForMainWindow(third);
    CHECK(thirdWindow != nullptr);
    if (thirdWindow) {
        CloseWizard(third, thirdWindow);
        CHECK(third.WaitForExit(30s).has_value());
    }
}

TEST_CASE("A setup with a \".local\" redirection beside it refuses to start" *
          doctest::skip(InSpanishRun()))
{
    const PlantedSetup planted;
    std::filesystem::create_directory(planted.Executable() + L".local");
    ProcessDriver setup(planted.Executable(), planted.Environment());
    REQUIRE(setup.Started());
    const auto exitCode = setup.WaitForExit(60s);
    REQUIRE(exitCode.has_value());
    CHECK(*exitCode == 1603u);
    CHECK(planted.Loaded() == std::vector<std::string>{});
}
