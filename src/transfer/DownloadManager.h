#pragma once

#include "framework/CString.h"
#include "framework/HeldFile.h"

#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
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

    // What one file download fetches, and where it goes.
    struct Order {
        Order(CString url, CString fileName = CString(), bool useTempFolder = true,
               std::optional<std::string> sha256 = std::nullopt)
            : url(std::move(url)), fileName(std::move(fileName)), useTempFolder(useTempFolder), sha256(std::move(sha256))
        {
        }

        CString url;
        // Empty: the last segment of the URL's path.
        CString fileName;
        // The setup's temporary folder (each download in a folder of its own), or the download folder
        // (the user's Downloads in the DLM wizard), where a name already taken is numbered: "name (2).exe".
        bool useTempFolder;
        // The SHA-256 the configuration gave for the file, as it gave it.
        std::optional<std::string> sha256;
    };

    // What a file download leaves: its result, and on success the file, held against changes until
    // its program has been started (HeldFile).
    struct Outcome {
        Result result;
        std::shared_ptr<HeldFile> file;
    };

    static std::shared_ptr<DownloadManager> Instance();

    // Use Instance(); tests construct their own, e.g. one to cancel.
    DownloadManager() = default;
    ~DownloadManager();
    DownloadManager(const DownloadManager&) = delete;
    DownloadManager& operator=(const DownloadManager&) = delete;

    // Downloads a file that will be run or opened: only over HTTPS, every redirect included ("Insecure
    // URL: " and the address otherwise), into a new file that nothing else may write. On success the text
    // is empty, or holds the WinHTTP failure that the WinINet attempt made up for; after a double failure
    // it holds both and no file is left. A file that does not match the digest asked for is deleted and
    // fails with "Checksum mismatch: " and its name; a digest that is not 64 hexadecimal digits never matches.
    Outcome DownloadFile(const Order& order, HWND window);
    // The same with WinINet alone.
    Outcome DownloadFileWinInet(const Order& order, HWND window);

    // The body of url after at most two attempts; an empty vector when both failed or the body would
    // pass kMaxFetchBytes.
    std::unique_ptr<std::vector<char>> FetchToMemory(const CString& url);
    // Fetches on a detached thread and calls back on it; the pointer is empty once the manager is
    // cancelled. The manager must outlive the fetch (the process-wide one does).
    void FetchToMemoryAsync(const CString& url, FetchCallback callback);

    static CString FormatSystemMessage(DWORD error);

    // A picture larger than this is no picture of ours.
    static constexpr std::uint64_t kMaxFetchBytes = 2 * 1024 * 1024;

    // Set by the controller when the user quits; it never goes back to false.
    std::atomic<bool> m_cancelled{false};

private:
    struct Target;
    Outcome Download(const Order& order, HWND window, bool winHttpFirst);
    Target CreateTarget(const Order& order);
    Result AttemptWinHttp(const CString& url, HWND window, DownloadOutputFile& file);
    Result AttemptWinInet(const CString& url, HWND window, DownloadOutputFile& file);
    // Returns the number of bytes written.
    template <class Transfer>
    std::uint64_t WriteBody(Transfer& transfer, DownloadOutputFile& file, HWND window);
    static void LogAttempt(const char* transport, const CString& url, const CString& path, std::uint64_t bytes,
                           std::chrono::steady_clock::time_point started, const Result& result);
    bool PauseUnlessCancelled() const;
};
