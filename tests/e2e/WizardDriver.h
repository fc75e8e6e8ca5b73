#pragma once

#include "ProcessDriver.h"

#include <windows.h>

#include <atomic>
#include <chrono>
#include <map>
#include <optional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Runs the real setup as a user meets it: waits for its pages in the order the wizard shows them,
// reads their texts, clicks their buttons and answers the quit question. Every page reached is
// photographed into the build tree, and a watchdog measures how long the user-interface thread
// went without answering.
class WizardDriver {
public:
    // flow names the screenshots; environment is passed on to the setup (LC_ALL for its user locale);
    // executable is the setup to start, the build's own when empty.
    explicit WizardDriver(std::string flow, const std::map<std::wstring, std::wstring>& environment = {},
                          const std::wstring& executable = {});
    ~WizardDriver();
    WizardDriver(const WizardDriver&) = delete;
    WizardDriver& operator=(const WizardDriver&) = delete;

    // The main window, or null when none came up within 30 s.
    HWND Main() const { return m_main; }
    DWORD ProcessId() const { return m_setup.Id(); }

    // Waits until the wizard shows its next page and checks that it is the one named ("ProductPage",
    // "ErrorPage"); false when another page came, or none within the limit or before the setup ended
    // (LastPage says which, and the setup's exit code when it ended).
    bool WaitForPage(const std::string& name, std::chrono::seconds limit = std::chrono::seconds(60));
    const std::string& LastPage() const { return m_lastPage; }
    // Waits for a visible button with this id on the shown page and clicks it.
    bool Click(int id, std::chrono::seconds limit = std::chrono::seconds(30));
    // The text of the visible control with this id; empty when there is none.
    std::wstring Text(int id) const;
    // Every visible text of the shown page, one after the other.
    std::wstring VisibleTexts() const;
    // Closes the window as its close box does and confirms; the question asked, or empty when none was.
    std::wstring Quit();

    std::optional<DWORD> WaitForExit(std::chrono::seconds limit) const;
    // The longest time the user-interface thread did not answer, so far.
    std::chrono::milliseconds LongestStall() const { return std::chrono::milliseconds(m_longestStall.load()); }
    // Every wait over 250 ms, each with the page last reached before it began.
    std::string Stalls() const;
    // The longest stall a run may have: 250 ms, or what TESSERA_STALL_LIMIT_MS says for a slower machine.
    static std::chrono::milliseconds StallLimit();
    // The setup log's messages so far.
    std::vector<std::string> LogMessages() const;
    // The screenshots taken, as file names.
    const std::vector<std::wstring>& Screenshots() const { return m_screenshots; }

private:
    void WatchResponses();
    void Photograph(const std::string& page);

    std::string m_flow;
    ProcessDriver m_setup;
    HWND m_main = nullptr;
    std::size_t m_pagesSeen = 0;
    std::string m_lastPage;
    std::vector<std::wstring> m_screenshots;
    std::atomic<bool> m_stopWatching{false};
    std::atomic<long long> m_longestStall{0};
    using Clock = std::chrono::steady_clock;
    mutable std::mutex m_timesMutex;
    std::vector<std::pair<Clock::time_point, std::string>> m_pageTimes;
    struct Stall {
        Clock::time_point began;
        SYSTEMTIME clock;  // to find it in the setup log
        long long milliseconds;
    };
    std::vector<Stall> m_stalls;
    std::thread m_watchdog;
};

// The main window's title in this build.
const std::wstring& MainWindowTitle();

// The setup of the variant under test, as Wine sees it (TESSERA_SETUP_EXE of the run).
std::wstring SetupExecutable();
