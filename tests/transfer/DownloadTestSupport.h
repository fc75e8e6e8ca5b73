#pragma once

#include "StandInService.h"
#include "WindowTestHelpers.h"
#include "framework/CString.h"
#include "framework/TextConversion.h"
#include "transfer/DownloadManager.h"

#include <windows.h>

#include <chrono>
#include <future>
#include <stdexcept>
#include <vector>

// The files below a folder, one level of package folders included ("k3j4h5g6f7\\setup.exe"), sorted.
std::vector<CString> FilesBelow(const CString& folder);

// A fresh folder that both download folders of the process-wide configuration point at while it
// lives; afterwards the old folders come back and the folder goes, with what is in it.
class ScopedDownloadFolder {
public:
    ScopedDownloadFolder();
    ~ScopedDownloadFolder();
    ScopedDownloadFolder(const ScopedDownloadFolder&) = delete;
    ScopedDownloadFolder& operator=(const ScopedDownloadFolder&) = delete;

    const CString& Path() const { return m_path; }
    CString FileAt(const wchar_t* name) const { return m_path + L"\\" + name; }
    // The files below the folder, one level of package folders included; sorted.
    std::vector<CString> FileNames() const { return FilesBelow(m_path); }

private:
    CString m_path;
    CString m_previousDownloadFolder;
    CString m_previousTempFolder;
};

// A message-only window of the test thread that records the download messages posted to it.
class ProgressWindow {
public:
    ProgressWindow();
    ~ProgressWindow() { DestroyWindow(m_window); }
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;

    HWND Handle() const { return m_window; }
    std::vector<unsigned> m_percentages;
    int m_sizeUnknown = 0;

private:
    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND m_window = nullptr;
};

// Pumps the test thread's messages until the task is done, and a little longer so that everything
// it posted is delivered, then gives its result.
template <class T>
T WaitPumping(std::future<T>& task)
{
    const auto ready = [&task] { return task.wait_for(std::chrono::seconds(0)) == std::future_status::ready; };
    if (!PumpMessagesUntil(ready, std::chrono::seconds(120))) {
        throw std::runtime_error("the task did not end in time");
    }
    PumpMessagesFor(std::chrono::milliseconds(50));
    return task.get();
}

// DownloadFile on a task of its own, as the download pages run it, into the temporary folder. The run
// must outlive the task.
std::future<DownloadManager::Outcome> StartDownload(DownloadManager& manager, const DownloadManager::Order& order,
                                                    HWND window = nullptr,
                                                    const Cancellation& run = Cancellation::Never());
DownloadManager::Outcome Download(DownloadManager& manager, const DownloadManager::Order& order, HWND window = nullptr);
// The same for an address with the name taken from it, and its result alone.
DownloadManager::Result Download(DownloadManager& manager, const CString& url, HWND window = nullptr,
                                 const CString& name = CString());

CString UrlOf(const StandInService& service, const char* path);
std::vector<char> ReadFileBytes(const CString& path);
// A file of the repository as the program under Wine sees it.
CString RepositoryFile(const char* relativePath);
