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

// This process's environment with the given variables set, as a block for CreateProcessW.
std::vector<wchar_t> EnvironmentBlock(const std::map<std::wstring, std::wstring>& changes)
{
    std::map<std::wstring, std::wstring> variables;
    if (wchar_t* block = GetEnvironmentStringsW()) {
        for (const wchar_t* entry = block; *entry; entry += wcslen(entry) + 1) {
            const std::wstring text = entry;
            const std::size_t equals = text.find(L'=', 1);
            if (equals != std::wstring::npos) {
                variables[text.substr(0, equals)] = text.substr(equals + 1);
            }
        }
        FreeEnvironmentStringsW(block);
    }
    for (const auto& [name, value] : changes) {
        variables[name] = value;
    }
    std::vector<wchar_t> result;
    for (const auto& [name, value] : variables) {
        const std::wstring entry = name + L"=" + value;
        result.insert(result.end(), entry.begin(), entry.end());
        result.push_back(L'\0');
    }
    result.push_back(L'\0');
    return result;
}

struct ChildSearch {
    int id;
    HWND found;
};

BOOL CALLBACK FindVisibleChild(HWND window, LPARAM context)
{
    auto* search = reinterpret_cast<ChildSearch*>(context);
    if (GetDlgCtrlID(window) == search->id && IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
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

ProcessDriver::ProcessDriver(const std::wstring& executable, const std::map<std::wstring, std::wstring>& environment)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    std::wstring commandLine = L"\"" + executable + L"\"";
    std::vector<wchar_t> block;
    if (!environment.empty()) {
        block = EnvironmentBlock(environment);
    }
    // In the program's own folder, as Explorer starts what is double-clicked.
    const std::size_t separator = executable.find_last_of(L"\\/");
    const std::wstring folder = separator == std::wstring::npos ? std::wstring() : executable.substr(0, separator);
    if (CreateProcessW(executable.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT,
                       block.empty() ? nullptr : block.data(), folder.empty() ? nullptr : folder.c_str(), &startup,
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

HWND VisibleControl(HWND window, int id)
{
    ChildSearch search{id, nullptr};
    EnumChildWindows(window, &FindVisibleChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}
