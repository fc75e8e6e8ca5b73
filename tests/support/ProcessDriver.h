#pragma once

#include "framework/UniqueHandle.h"

#include <windows.h>

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <string>

// Starts a program and finds its windows, the way a user sees them; ends it when it goes out of scope.
class ProcessDriver {
public:
    // environment: variables set (or replaced) for the program on top of this process's own.
    explicit ProcessDriver(const std::wstring& executable,
                           const std::map<std::wstring, std::wstring>& environment = {});
    ~ProcessDriver();
    ProcessDriver(const ProcessDriver&) = delete;
    ProcessDriver& operator=(const ProcessDriver&) = delete;

    bool Started() const { return m_process.IsValid(); }
    DWORD Id() const { return m_id; }

    // A visible top-level window of the process that satisfies match, or null after the timeout.
    HWND WaitForWindow(const std::function<bool(HWND)>& match, std::chrono::milliseconds timeout) const;
    // The exit code, or nothing when the process still runs after the timeout.
    std::optional<DWORD> WaitForExit(std::chrono::milliseconds timeout) const;

private:
    UniqueKernelHandle m_process;
    DWORD m_id = 0;
};

std::wstring WindowTextOf(HWND window);
std::wstring WindowClassOf(HWND window);
bool IsDialogWithCaption(HWND window, const std::wstring& caption);
// The visible control with this id anywhere in the window, pages included; null when there is none.
HWND VisibleControl(HWND window, int id);
