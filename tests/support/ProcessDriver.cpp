#include "ProcessDriver.h"

#include <thread>
#include <vector>

namespace {

struct WindowSearch {
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM context)
{
    auto* search = reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && IsWindowVisible(window)) {
        search->found.push_back(window);
    }
    return TRUE;
}

std::vector<HWND> TopLevelWindowsOf(DWORD processId)
{
    WindowSearch search{processId, {}};
    EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

ProcessDriver::ProcessDriver(const std::wstring& executable)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    std::wstring commandLine = L"\"" + executable + L"\"";
    if (CreateProcessW(executable.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &info)) {
        m_process.Reset(info.hProcess);
        CloseHandle(info.hThread);
        m_id = info.dwProcessId;
    }
}

ProcessDriver::~ProcessDriver()
{
    if (m_process && WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT) {
        TerminateProcess(m_process.Get(), 99);
        WaitForSingleObject(m_process.Get(), 5000);
    }
}

HWND ProcessDriver::WaitForWindow(const std::function<bool(HWND)>& match, std::chrono::milliseconds timeout) const
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    do {
        for (HWND window : TopLevelWindowsOf(m_id)) {
            if (match(window)) {
                return window;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    } while (std::chrono::steady_clock::now() < deadline);
    return nullptr;
}

std::optional<DWORD> ProcessDriver::WaitForExit(std::chrono::milliseconds timeout) const
{
    if (!m_process || WaitForSingleObject(m_process.Get(), static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) {
        return std::nullopt;
    }
    DWORD code = 0;
    GetExitCodeProcess(m_process.Get(), &code);
    return code;
}

std::wstring WindowTextOf(HWND window)
{
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

std::wstring WindowClassOf(HWND window)
{
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

bool IsDialogWithCaption(HWND window, const std::wstring& caption)
{
    return WindowClassOf(window) == L"#32770" && WindowTextOf(window) == caption;
}
