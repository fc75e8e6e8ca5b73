#pragma once

#include "framework/CString.h"
#include "transfer/DownloadTarget.h"

#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

class DownloadOutputFile;

// The setup's HTTP client for payloads: installer files written to disk with progress posted to a
// window (WinHTTP first, WinINet once more if that fails), and small resources fetched into memory.
// One per process; all of its work runs on worker threads.
class DownloadManager {
public:
    using Result = std::pair<bool, CString>;
    using FetchCallback = std::function<void(std::unique_ptr<std::vector<char>>)>;

    static std::shared_ptr<DownloadManager> Instance();

    // Use Instance(); tests construct their own, e.g. one to cancel.
    DownloadManager() = default;
    ~DownloadManager();
    DownloadManager(const DownloadManager&) = delete;
    DownloadManager& operator=(const DownloadManager&) = delete;

    // Downloads url into the download folder (or the temporary one) under fileName, or under the URL's
    // last segment when fileName is empty. On success the text is empty, or holds the WinHTTP failure
    // that the WinINet attempt made up for; after a double failure it holds both and no file is left.
    Result DownloadFile(const CString& url, HWND window, const CString& fileName, bool useTempFolder);
    Result DownloadFileWinInet(const CString& url, HWND window, const CString& fileName, bool useTempFolder);

    // The body of url after at most two attempts; an empty vector when both failed.
    std::unique_ptr<std::vector<char>> FetchToMemory(const CString& url);
    // Fetches on a detached thread and calls back on it; the pointer is empty once the manager is
    // cancelled. The manager must outlive the fetch (the process-wide one does).
    void FetchToMemoryAsync(const CString& url, FetchCallback callback);

    // The full path a download would be written to, empty when the folder or the name is refused.
    CString ResolveTargetPath(const CString& url, const CString& fileName, bool useTempFolder);
    static CString FormatSystemMessage(DWORD error);

    // Set by the controller when the user quits; it never goes back to false.
    std::atomic<bool> m_cancelled{false};
    // Written by the download task, read by the page once the task's future is ready.
    CString m_lastDownloadPath;

private:
    DownloadTarget::Resolution ResolveTarget(const CString& url, const CString& fileName, bool useTempFolder);
    Result AttemptWinHttp(const CString& url, HWND window, const CString& path);
    Result AttemptWinInet(const CString& url, HWND window, const CString& path);
    // Returns the number of bytes written.
    template <class Transfer>
    std::uint64_t WriteBody(Transfer& transfer, DownloadOutputFile& file, HWND window, const CString& path,
                            bool winInet);
    static void LogAttempt(const char* transport, const CString& url, const CString& path, std::uint64_t bytes,
                           std::chrono::steady_clock::time_point started, const Result& result);
    bool PauseUnlessCancelled() const;
};
