#include <doctest/doctest.h>

#include "BuildVariant.h"
#include "RunLocale.h"
#include "ProcessDriver.h"
#include "WizardDriver.h"
#include "SetupRunFiles.h"
#include "SetupLogForTests.h"
#include "WineEnvironment.h"

#include <windows.h>
#include <shlwapi.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace std::chrono_literals;

namespace {

// What a user sees of one short run: the language page, Next, the loading page, and quitting.
struct ShortRun {
    bool opened = false;
    bool loadingShown = false;
    bool askedBeforeQuitting = false;
    std::optional<DWORD> exitCode;
};

ShortRun RunLanguageNextQuit(const ProcessDriver& setup)
{
    ShortRun run;
    const std::wstring title = IsIsvBuild() ? L"Bramble Web " : L"Setup";
    HWND main = setup.WaitForWindow([&title](HWND window) { return WindowTextOf(window) == title; }, 30s);
    run.opened = main != nullptr;
    if (!main) {
        return run;
    }
    if (HWND next = VisibleControl(main, 1010)) {
        PostMessageW(next, BM_CLICK, 0, 0);
    }
    const auto deadline = std::chrono::steady_clock::now() + 15s;
    while (!run.loadingShown && std::chrono::steady_clock::now() < deadline) {
        run.loadingShown = VisibleControl(main, 1043) != nullptr;
        Sleep(50);
    }
    PostMessageW(main, WM_CLOSE, 0, 0);
    if (HWND question = setup.WaitForWindow(
            [main](HWND window) { return window != main && WindowClassOf(window) == L"#32770"; }, 5s)) {
        run.askedBeforeQuitting = true;
        PostMessageW(question, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }
    run.exitCode = setup.WaitForExit(30s);
    return run;
}

}  // namespace

TEST_CASE("A run leaves one log in the user's temporary folder with its story in order" * doctest::skip(InSpanishRun()))
{
    const std::wstring executable = SetupExecutable();
    RemoveSetupLogs();
    ProcessDriver setup(executable);
    REQUIRE(setup.Started());
    const ShortRun run = RunLanguageNextQuit(setup);
    REQUIRE(run.exitCode.has_value());

    const auto logs = LogsOfProcess(setup.Id());
    REQUIRE(logs.size() == 1);
    const std::wstring name = std::filesystem::path(logs[0]).filename().wstring();
    // Tessera_yyyyMMdd_HHmmss_<pid>.log
    CHECK(name.size() == std::wstring(L"Tessera_20261209_121314_.log").size() + std::to_wstring(setup.Id()).size());
    const auto messages = LogMessages(logs[0].c_str());
    std::string all;
    for (const auto& message : messages) {
        all += message + "\n";
    }
    INFO(all);
    REQUIRE(messages.size() >= 2);
    const std::string wizard = IsIsvBuild() ? "ISV wizard" : "DLM wizard";
    CHECK(messages[0].find("Tessera 1.0.0.1 started: " + wizard) == 0);
    CHECK(messages[0].find(", WOW64 ") != std::string::npos);
    CHECK(messages[1].find("Command line: ") == 0);
    const std::string firstPage = IsIsvBuild() ? "Page shown: LanguagePageKV" : "Page shown: LanguagePage";
    CHECK(InOrder(messages, {firstPage, "Page shown: LoadingPage", "Quit: the window was closed on LoadingPage"}));
    CHECK(messages.back() == "Tessera ended");
    for (const auto& message : messages) {
        CHECK(message.find("Signature=") == std::string::npos);
    }
    DeleteFileW(logs[0].c_str());
}

TEST_CASE("A log that cannot be written changes nothing the user sees" * doctest::skip(InSpanishRun()))
{
    const std::wstring executable = SetupExecutable();
    const std::wstring missing = TempFolder() + L"no-such-folder-for-the-log";
    RemoveSetupLogs();
    ProcessDriver setup(executable, {{L"TMP", missing}, {L"TEMP", missing}});
    REQUIRE(setup.Started());
    const ShortRun run = RunLanguageNextQuit(setup);
    CHECK(run.opened);
    CHECK(run.loadingShown);
    CHECK(run.askedBeforeQuitting);
    CHECK(run.exitCode.has_value());
    CHECK_FALSE(PathFileExistsW(missing.c_str()));
    CHECK(LogsOfProcess(setup.Id()).empty());
}
