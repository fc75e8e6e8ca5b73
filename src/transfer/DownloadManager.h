#pragma once

#include "framework/Cancellation.h"
#include "framework/CString.h"
#include "framework/HeldFile.h"
#include "transfer/ExchangeLimits.h"

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class DownloadOutputFile;

// The setup's HTTP client for payloads: installer files written to disk with progress posted to a
// window (WinHTTP first, WinINet once more if that fails), and small resources fetched into memory.
// One per process; all of its work runs on worker threads, each given the run's cancellation: a
// cancelled run ends a download at its next piece ("Download cancelled.") and cuts its pauses short.
class DownloadManager {
public:
    using Result = std::pair<bool, CString>;

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

    // Use Instance(); tests may construct their own, with other limits for a file download.
    explicit DownloadManager(const ExchangeLimits& fileLimits = kFileLimits) : m_fileLimits(fileLimits) {}
    DownloadManager(const DownloadManager&) = delete;
    DownloadManager& operator=(const DownloadManager&) = delete;

    // Downloads a file that will be run or opened: only over HTTPS, every redirect included ("Insecure
    // URL: " and the address otherwise), into a new file that nothing else may write. On success the text
    // is empty, or holds the WinHTTP failure that the WinINet attempt made up for; after a double failure
    // it holds both and no file is left. A file that does not match the digest asked for is deleted and
    // fails with "Checksum mismatch: " and its name; a digest that is not 64 hexadecimal digits never matches.
    // A read that brings nothing within the file limits' receive limit fails the attempt ("Download
    // stalled: ...").
    Outcome DownloadFile(const Order& order, HWND window, const Cancellation& run = Cancellation::Never());
    // The same with WinINet alone.
    Outcome DownloadFileWinInet(const Order& order, HWND window, const Cancellation& run = Cancellation::Never());

    // The body of url after at most two attempts; empty when both failed, the body would pass
    // kMaxFetchBytes or the run was cancelled.
    std::vector<char> FetchToMemory(const CString& url, const Cancellation& run = Cancellation::Never());

    // A picture larger than this is no picture of ours.
    static constexpr std::uint64_t kMaxFetchBytes = 2 * 1024 * 1024;

    // Every stage of an installer's download. The receive limit is how long a download may go without a
    // byte (a server that stops sending) before the attempt fails and the run goes on.
    static constexpr ExchangeLimits kFileLimits{std::chrono::seconds(10), std::chrono::seconds(15),
                                                std::chrono::seconds(15), std::chrono::seconds(30)};
    // Every stage of a picture's fetch: a picture that is slow to come is shown without.
    static constexpr ExchangeLimits kPictureLimits{std::chrono::seconds(5), std::chrono::seconds(5),
                                                   std::chrono::seconds(5), std::chrono::seconds(10)};

private:
    struct Target;
    Outcome Download(const Order& order, HWND window, bool winHttpFirst, const Cancellation& run);
    Target CreateTarget(const Order& order);
    Result AttemptWinHttp(const CString& url, HWND window, DownloadOutputFile& file, const Cancellation& run) const;
    Result AttemptWinInet(const CString& url, HWND window, DownloadOutputFile& file, const Cancellation& run) const;
    // Returns the number of bytes written.
    template <class Transfer>
    static std::uint64_t WriteBody(Transfer& transfer, DownloadOutputFile& file, HWND window, const Cancellation& run);
    static void LogAttempt(const char* transport, const CString& url, const CString& path, std::uint64_t bytes,
                           std::chrono::steady_clock::time_point started, const Result& result);

    const ExchangeLimits m_fileLimits;
};
