#pragma once

#include "framework/CString.h"

#include <windows.h>

#include <chrono>
#include <future>
#include <string>
#include <vector>

// A fresh folder that both download folders of the process-wide configuration point at while it
// lives; the old folders come back and the folder is removed (with what is in it) afterwards.
class ScopedDownloadFolder {
public:
    ScopedDownloadFolder();
    ~ScopedDownloadFolder();
    ScopedDownloadFolder(const ScopedDownloadFolder&) = delete;
    ScopedDownloadFolder& operator=(const ScopedDownloadFolder&) = delete;

    const CString& Path() const { return m_path; }
    CString FileAt(const wchar_t* name) const;
    // Names of the files in the folder, sorted.
    std::vector<CString> FileNames() const;

private:
    CString m_path;
    CString m_previousDownloadFolder;
    CString m_previousTempFolder;
};

// A hidden window of the test thread that records the download messages posted to it.
class ProgressWindow {
public:
    ProgressWindow();
    ~ProgressWindow();
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;

    HWND Handle() const { return m_window; }
    const std::vector<unsigned>& Percentages() const { return m_percentages; }
    int SizeUnknownCount() const { return m_sizeUnknown; }

private:
    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_window = nullptr;
    std::vector<unsigned> m_percentages;
    int m_sizeUnknown = 0;
};

// Pumps the test thread's messages until the future is ready (then a little longer, so that every
// message posted before the end is delivered) and returns its value.
template <class T>
T WaitPumping(std::future<T>& future, std::chrono::milliseconds timeout = std::chrono::seconds(120));

std::vector<char> ReadFileBytes(const CString& path);
bool FileExists(const CString& path);

// A file of the repository as the program under Wine sees it.
CString RepositoryFile(const char* relativePath);

#include "DownloadTestSupport.inl"
