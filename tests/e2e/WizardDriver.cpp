#include "WizardDriver.h"

#include "BuildVariant.h"
#include "SetupLogForTests.h"
#include "SetupRunFiles.h"
#include "WindowPhotograph.h"
#include "WineEnvironment.h"

#include <cstdio>
#include <iomanip>
#include <sstream>

using namespace std::chrono_literals;

namespace {

const std::string kPageShown = "Page shown: ";

// The page names the setup log has recorded, in the order the pages were shown.
std::vector<std::string> PagesShown(const std::vector<std::string>& messages)
{
    std::vector<std::string> pages;
    for (const std::string& message : messages) {
        if (message.rfind(kPageShown, 0) == 0) {
            const std::string rest = message.substr(kPageShown.size());
            pages.push_back(rest.substr(0, rest.find(" (")));  // the error page adds its title
        }
    }
    return pages;
}

struct TextCollection {
    std::wstring texts;
};

BOOL CALLBACK CollectVisibleText(HWND control, LPARAM context)
{
    if (IsWindowVisible(control)) {
        const std::wstring text = WindowTextOf(control);
        if (!text.empty()) {
            reinterpret_cast<TextCollection*>(context)->texts += text + L"\n";
        }
    }
    return TRUE;
}

std::wstring ScreenshotFolder()
{
    static const std::wstring folder = [] {
        const std::wstring path = WineEnvironment::WindowsPathOfHostPath(WineEnvironment::Variable("TESSERA_SCREENSHOTS"));
        CreateDirectoryW(path.c_str(), nullptr);
        return path;
    }();
    return folder;
}

}  // namespace

std::wstring SetupExecutable()
{
    return WineEnvironment::WindowsPathOfHostPath(WineEnvironment::Variable("TESSERA_SETUP_EXE"));
}

const std::wstring& MainWindowTitle()
{
    static const std::wstring title = IsIsvBuild() ? L"Bramble Web " : L"Setup";
    return title;
}

WizardDriver::WizardDriver(std::string flow, const std::map<std::wstring, std::wstring>& environment,
                           const std::wstring& executable)
    : m_flow(std::move(flow)),
      m_setup(executable.empty() ? SetupExecutable() : executable, environment)
{
    m_main = m_setup.WaitForWindow([](HWND window) { return WindowTextOf(window) == MainWindowTitle(); }, 30s);
    if (m_main) {
        m_watchdog = std::thread(&WizardDriver::WatchResponses, this);
    }
}

WizardDriver::~WizardDriver()
{
    m_stopWatching = true;
    if (m_watchdog.joinable()) {
        m_watchdog.join();
    }
    if (m_main) {
        // Kept with the screenshots, so a run's responsiveness can be read after the suite.
        const std::wstring report = ScreenshotFolder() + L"\\stalls.txt";
        if (FILE* file = _wfopen(report.c_str(), L"a")) {
            std::fprintf(file, "%s %lld ms\n", m_flow.c_str(), m_longestStall.load());
            std::fclose(file);
        }
    }
    // The run's log is kept beside its screenshots; the next run of the flow replaces it.
    const std::wstring kept = ScreenshotFolder() + L"\\" + std::wstring(m_flow.begin(), m_flow.end()) + L".log";
    for (const std::wstring& path : LogsOfProcess(m_setup.Id())) {
        MoveFileExW(path.c_str(), kept.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED);
    }
}

// Pings the window every 50 ms; the time an answer took is the time the thread could not answer.
void WizardDriver::WatchResponses()
{
    while (!m_stopWatching) {
        const auto sent = std::chrono::steady_clock::now();
        SYSTEMTIME clock{};
        GetLocalTime(&clock);
        DWORD_PTR result = 0;
        const bool answered = SendMessageTimeoutW(m_main, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &result) != 0;
        const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - sent);
        if (answered || GetLastError() == ERROR_TIMEOUT) {
            if (waited.count() > m_longestStall) {
                m_longestStall = waited.count();
            }
            if (waited > 250ms) {
                std::lock_guard<std::mutex> lock(m_timesMutex);
                m_stalls.push_back({sent, clock, waited.count()});
            }
        } else if (!IsWindow(m_main)) {
            return;
        }
        Sleep(50);
    }
}

bool WizardDriver::WaitForPage(const std::string& name, std::chrono::seconds limit)
{
    std::vector<std::string> pages;
    std::optional<DWORD> ended;
    // A setup that has ended shows no more pages, so the wait ends with it.
    WaitUntil(
        [&] {
            ended = m_setup.WaitForExit(0ms);
            pages = PagesShown(LogMessages());
            return pages.size() > m_pagesSeen || ended;
        },
        limit);
    if (pages.size() <= m_pagesSeen) {
        m_lastPage = pages.empty() ? std::string() : pages.back();
        if (ended) {
            char code[64];
            std::snprintf(code, sizeof(code), " (the setup ended with exit code 0x%08lX)", *ended);
            m_lastPage += code;
        }
        return false;
    }
    m_lastPage = pages[m_pagesSeen++];
    {
        std::lock_guard<std::mutex> lock(m_timesMutex);
        m_pageTimes.emplace_back(Clock::now(), m_lastPage);
    }
    if (m_lastPage != name) {
        return false;
    }
    Photograph(name);
    return true;
}

void WizardDriver::Photograph(const std::string& page)
{
    // The page is logged once it is shown; its painting follows.
    Sleep(500);
    std::ostringstream name;
    name << m_flow << '-' << std::setw(2) << std::setfill('0') << m_pagesSeen << '-' << page << ".png";
    const std::string text = name.str();
    const std::wstring file(text.begin(), text.end());
    if (SaveWindowAsPng(m_main, ScreenshotFolder() + L"\\" + file)) {
        m_screenshots.push_back(file);
    }
}

bool WizardDriver::Click(int id, std::chrono::seconds limit)
{
    HWND button = nullptr;
    if (!WaitUntil([&] { return (button = VisibleControl(m_main, id)) != nullptr && IsWindowEnabled(button); }, limit)) {
        return false;
    }
    PostMessageW(button, BM_CLICK, 0, 0);
    return true;
}

std::wstring WizardDriver::Text(int id) const
{
    HWND control = VisibleControl(m_main, id);
    return control ? WindowTextOf(control) : std::wstring();
}

std::wstring WizardDriver::VisibleTexts() const
{
    TextCollection collection;
    EnumChildWindows(m_main, &CollectVisibleText, reinterpret_cast<LPARAM>(&collection));
    return collection.texts;
}

std::wstring WizardDriver::Quit()
{
    PostMessageW(m_main, WM_CLOSE, 0, 0);
    HWND question = m_setup.WaitForWindow(
        [this](HWND window) { return window != m_main && WindowClassOf(window) == L"#32770"; }, 5s);
    if (!question) {
        return std::wstring();
    }
    wchar_t text[512] = {};
    GetDlgItemTextW(question, 0xFFFF, text, 512);
    PostMessageW(question, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return text;
}

std::chrono::milliseconds WizardDriver::StallLimit()
{
    const std::string configured = WineEnvironment::Variable("TESSERA_STALL_LIMIT_MS");
    return std::chrono::milliseconds(configured.empty() ? 250 : std::stoi(configured));
}

std::string WizardDriver::Stalls() const
{
    std::lock_guard<std::mutex> lock(m_timesMutex);
    std::ostringstream report;
    for (const Stall& stall : m_stalls) {
        std::string page = "start";
        for (const auto& [reached, name] : m_pageTimes) {
            if (reached <= stall.began) {
                page = name;
            }
        }
        char clock[16];
        std::snprintf(clock, sizeof(clock), "%02u:%02u:%02u.%03u", stall.clock.wHour, stall.clock.wMinute,
                      stall.clock.wSecond, stall.clock.wMilliseconds);
        report << stall.milliseconds << " ms at " << clock << " after " << page << "; ";
    }
    return report.str();
}

std::optional<DWORD> WizardDriver::WaitForExit(std::chrono::seconds limit) const
{
    return m_setup.WaitForExit(limit);
}

std::vector<std::string> WizardDriver::LogMessages() const
{
    std::vector<std::string> messages;
    for (const std::wstring& path : LogsOfProcess(m_setup.Id())) {
        const auto more = ::LogMessages(path.c_str());
        messages.insert(messages.end(), more.begin(), more.end());
    }
    return messages;
}
