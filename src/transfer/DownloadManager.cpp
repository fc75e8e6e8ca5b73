#include "transfer/DownloadManager.h"

#include "framework/MessageBoxSeam.h"
#include "framework/SetupLog.h"
#include "profile/ConfigurationManager.h"
#include "transfer/DownloadOutputFile.h"
#include "transfer/DownloadProgress.h"
#include "transfer/TransferError.h"
#include "transfer/WinHttpTransfer.h"
#include "transfer/WinInetTransfer.h"

#include <chrono>
#include <mutex>
#include <string>
#include <thread>

namespace {

// One buffer per download, reused for every read: large reads keep the number of transport calls,
// which is what costs the time, low, while memory stays the same whatever the file's size.
constexpr std::uint32_t kFileReadBytes = 64 * 1024;
constexpr std::uint32_t kFetchReadBytes = 16 * 1024;
constexpr auto kFallbackPause = std::chrono::milliseconds(2000);

void VerifySize(const CString& path, std::uint64_t contentLength, bool winInet)
{
    const auto measured = DownloadOutputFile::Measure(path);
    if (!measured.size) {
        if (winInet) {
            TransferError::ThrowSystemError(L"Failed to open downloaded file", measured.error);
        }
        TransferError::Throw(L"Failed to open downloaded file.");
    }
    if (*measured.size != contentLength) {
        TransferError::Throw(CString(L"Download was incomplete: content length: " + std::to_wstring(contentLength) +
                                     L", downloaded: " + std::to_wstring(*measured.size)));
    }
}

}  // namespace

std::shared_ptr<DownloadManager> DownloadManager::Instance()
{
    static std::once_flag once;
    static std::shared_ptr<DownloadManager> instance;
    std::call_once(once, [] { instance = std::make_shared<DownloadManager>(); });
    return instance;
}

DownloadManager::~DownloadManager()
{
    m_cancelled = true;
}

DownloadManager::Result DownloadManager::DownloadFile(const CString& url, HWND window, const CString& fileName,
                                                      bool useTempFolder)
{
    // A refused target is refused by both transports alike, so neither is started.
    const DownloadTarget::Resolution target = ResolveTarget(url, fileName, useTempFolder);
    if (target.path.IsEmpty()) {
        return {false, target.error};
    }
    Result result = AttemptWinHttp(url, window, target.path);
    if (result.first) {
        return result;
    }
    if (PauseUnlessCancelled()) {
        const Result fallback = AttemptWinInet(url, window, target.path);
        if (fallback.first) {
            result.first = true;
            return result;
        }
        result.second += fallback.second;
    }
    DeleteFileW(target.path);
    return result;
}

DownloadManager::Result DownloadManager::DownloadFileWinInet(const CString& url, HWND window,
                                                             const CString& fileName, bool useTempFolder)
{
    const DownloadTarget::Resolution target = ResolveTarget(url, fileName, useTempFolder);
    if (target.path.IsEmpty()) {
        return {false, target.error};
    }
    const Result result = AttemptWinInet(url, window, target.path);
    if (!result.first) {
        DeleteFileW(target.path);
    }
    return result;
}

DownloadManager::Result DownloadManager::AttemptWinHttp(const CString& url, HWND window, const CString& path)
{
    const auto started = std::chrono::steady_clock::now();
    Result result;
    std::uint64_t bytes = 0;
    try {
        // Claimed before the server is asked; a failed open is reported only once there is a body to write.
        DownloadOutputFile file(path);
        WinHttpTransfer transfer(url, WinHttpTransfer::Client::FileDownload);
        bytes = WriteBody(transfer, file, window, path, false);
        result = {true, CString()};
    } catch (const std::exception& failure) {
        result = {false, L"[WINHTTP] " + TransferError::TextOf(failure)};
    }
    LogAttempt("WinHTTP", url, path, bytes, started, result);
    return result;
}

DownloadManager::Result DownloadManager::AttemptWinInet(const CString& url, HWND window, const CString& path)
{
    const auto started = std::chrono::steady_clock::now();
    Result result;
    std::uint64_t bytes = 0;
    try {
        DownloadOutputFile file(path);
        WinInetTransfer transfer(url);
        bytes = WriteBody(transfer, file, window, path, true);
        result = {true, CString()};
    } catch (const std::exception& failure) {
        result = {false, L" [WININET] " + TransferError::TextOf(failure)};
    }
    LogAttempt("WinINet", url, path, bytes, started, result);
    return result;
}

void DownloadManager::LogAttempt(const char* transport, const CString& url, const CString& path,
                                 std::uint64_t bytes, std::chrono::steady_clock::time_point started,
                                 const Result& result)
{
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started).count();
    LogEntry entry;
    entry << "Download over " << transport << ": " << SetupLog::AddressOf(url) << " to " << path << ": ";
    if (result.first) {
        entry << bytes << " bytes in " << elapsed << " ms";
    } else {
        CString text = result.second;
        text.Trim();
        entry << "failed after " << elapsed << " ms: " << text;
    }
}

template <class Transfer>
std::uint64_t DownloadManager::WriteBody(Transfer& transfer, DownloadOutputFile& file, HWND window,
                                         const CString& path, bool winInet)
{
    const std::optional<std::uint64_t> contentLength = transfer.ContentLength();
    DownloadProgress progress(window, contentLength);
    file.EnsureOpen();
    std::vector<char> buffer(kFileReadBytes);
    std::uint64_t total = 0;
    for (;;) {
        if (m_cancelled) {
            TransferError::Throw(L"Download cancelled.");
        }
        const std::uint32_t read = transfer.Read(buffer.data(), kFileReadBytes);
        if (read == 0) {
            break;
        }
        file.Write(buffer.data(), read);
        progress.Advance(read);
        total += read;
    }
    file.Close();
    if (contentLength) {
        VerifySize(path, *contentLength, winInet);
    }
    m_lastDownloadPath = path;
    progress.Complete();
    return total;
}

bool DownloadManager::PauseUnlessCancelled() const
{
    // Quitting must not wait out the pause, so the flag is looked at while it runs.
    const auto end = std::chrono::steady_clock::now() + kFallbackPause;
    while (!m_cancelled && std::chrono::steady_clock::now() < end) {
        Sleep(20);
    }
    return !m_cancelled;
}

std::unique_ptr<std::vector<char>> DownloadManager::FetchToMemory(const CString& url)
{
    auto bytes = std::make_unique<std::vector<char>>();
    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            WinHttpTransfer transfer(url, WinHttpTransfer::Client::MemoryFetch);
            std::vector<char> buffer(kFetchReadBytes);
            for (;;) {
                if (m_cancelled) {
                    TransferError::Throw(L"Download cancelled.");
                }
                const std::uint32_t read = transfer.Read(buffer.data(), kFetchReadBytes);
                if (read == 0) {
                    break;
                }
                bytes->insert(bytes->end(), buffer.data(), buffer.data() + read);
            }
            // A body cut short would pass for a whole image; it counts as a failed attempt instead.
            const auto contentLength = transfer.ContentLength();
            if (!contentLength || *contentLength == bytes->size()) {
                return bytes;
            }
            TransferError::Throw(L"Download was incomplete.");
        } catch (const std::exception&) {
            // The fetch reports nothing: its callers show a missing image or nothing at all.
            bytes->clear();
        }
    }
    return bytes;
}

void DownloadManager::FetchToMemoryAsync(const CString& url, FetchCallback callback)
{
    std::thread([this, url, callback = std::move(callback)] {
        // This is the thread's edge: an exception let past it would end the process.
        try {
            auto bytes = FetchToMemory(url);
            if (m_cancelled) {
                bytes.reset();
            }
            callback(std::move(bytes));
        } catch (const std::exception& failure) {
            LogEntry() << "Fetch of " << SetupLog::AddressOf(url) << " ended with an exception: " << failure.what();
        } catch (...) {
            LogEntry() << "Fetch of " << SetupLog::AddressOf(url) << " ended with an unknown exception";
        }
    }).detach();
}

CString DownloadManager::ResolveTargetPath(const CString& url, const CString& fileName, bool useTempFolder)
{
    return ResolveTarget(url, fileName, useTempFolder).path;
}

DownloadTarget::Resolution DownloadManager::ResolveTarget(const CString& url, const CString& fileName,
                                                          bool useTempFolder)
{
    const auto configuration = ConfigurationManager::Instance();
    const CString& folder = useTempFolder ? configuration->m_tempFolder : configuration->m_downloadFolder;
    DownloadTarget::Resolution target = DownloadTarget::Resolve(folder, url, fileName);
    if (target.folderMissing) {
        AfxMessageBox(L"Invalid path", MB_OK);
    }
    return target;
}

CString DownloadManager::FormatSystemMessage(DWORD error)
{
    return TransferError::FormatSystemMessage(error);
}
