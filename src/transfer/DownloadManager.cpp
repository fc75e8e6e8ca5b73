#include "transfer/DownloadManager.h"

#include "framework/CryptoDigest.h"
#include "framework/MessageBoxSeam.h"
#include "framework/PrivateFolder.h"
#include "framework/SetupLog.h"
#include "framework/WebAddress.h"
#include "profile/ConfigurationManager.h"
#include "transfer/DownloadOutputFile.h"
#include "transfer/DownloadProgress.h"
#include "transfer/DownloadTarget.h"
#include "transfer/TransferError.h"
#include "transfer/WinHttpTransfer.h"
#include "transfer/WinInetTransfer.h"

#include <algorithm>
#include <chrono>
#include <mutex>
#include <string>

namespace {

// One buffer per download, reused for every read: large reads keep the number of transport calls,
// which is what costs the time, low, while memory stays the same whatever the file's size.
constexpr std::uint32_t kFileReadBytes = 64 * 1024;
constexpr std::uint32_t kFetchReadBytes = 16 * 1024;
constexpr auto kFallbackPause = std::chrono::milliseconds(2000);
// "setup.exe" up to "setup (99).exe" in the download folder; past that the last error is reported.
constexpr int kNumberedNames = 99;

void VerifySize(const DownloadOutputFile& file, std::uint64_t contentLength)
{
    const std::uint64_t size = file.Size();
    if (size != contentLength) {
        TransferError::Throw(CString(L"Download was incomplete: content length: " + std::to_wstring(contentLength) +
                                     L", downloaded: " + std::to_wstring(size)));
    }
}

bool IsSha256Text(const std::string& text)
{
    return text.size() == 64 && std::all_of(text.begin(), text.end(), [](char ch) {
               return (ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'f') || (ch >= 'A' && ch <= 'F');
           });
}

// Read through the handle the setup holds, so the bytes checked are the bytes that will run.
bool MatchesSha256(const HeldFile& file, const std::string& expected)
{
    if (!IsSha256Text(expected)) {
        return false;
    }
    try {
        std::string lower = expected;
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](char ch) { return static_cast<char>(ch >= 'A' && ch <= 'F' ? ch - 'A' + 'a' : ch); });
        return CryptoDigest::Sha256HexOfFile(file.Handle()) == lower;
    } catch (const std::exception&) {
        return false;
    }
}

bool IsNameTaken(DWORD error)
{
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
}

CString FileNameOf(const CString& path)
{
    return path.Mid(path.ReverseFind(L'\\') + 1);
}

}  // namespace

// The file one download writes, and the folder of its own it was made in (empty in the download folder).
struct DownloadManager::Target {
    std::unique_ptr<DownloadOutputFile> file;
    CString ownFolder;
    CString error;

    // The download failed: nothing of it stays.
    void Discard()
    {
        file.reset();
        if (!ownFolder.IsEmpty()) {
            RemoveDirectoryW(ownFolder);
        }
    }
};

std::shared_ptr<DownloadManager> DownloadManager::Instance()
{
    static std::once_flag once;
    static std::shared_ptr<DownloadManager> instance;
    std::call_once(once, [] { instance = std::make_shared<DownloadManager>(); });
    return instance;
}

DownloadManager::Outcome DownloadManager::DownloadFile(const Order& order, HWND window, const Cancellation& run)
{
    return Download(order, window, true, run);
}

DownloadManager::Outcome DownloadManager::DownloadFileWinInet(const Order& order, HWND window,
                                                              const Cancellation& run)
{
    return Download(order, window, false, run);
}

DownloadManager::Outcome DownloadManager::Download(const Order& order, HWND window, bool winHttpFirst,
                                                   const Cancellation& run)
{
    // Refused addresses and targets are refused by both transports alike, so neither is started.
    if (!WebAddress::IsSecure(order.url)) {
        return {{false, L"Insecure URL: " + order.url}, nullptr};
    }
    Target target = CreateTarget(order);
    if (!target.file) {
        return {{false, target.error}, nullptr};
    }
    Result result;
    if (winHttpFirst) {
        result = AttemptWinHttp(order.url, window, *target.file, run);
        // Quitting must not wait out the pause, and nothing is tried again once it has come.
        if (!result.first && !run.Pause(kFallbackPause)) {
            const Result fallback = AttemptWinInet(order.url, window, *target.file, run);
            result.first = fallback.first;
            if (!fallback.first) {
                result.second += fallback.second;
            }
        }
    } else {
        result = AttemptWinInet(order.url, window, *target.file, run);
    }
    if (!result.first) {
        target.Discard();
        return {result, nullptr};
    }

    std::shared_ptr<HeldFile> held;
    try {
        held = target.file->Hold();
    } catch (const std::exception& failure) {
        target.Discard();
        return {{false, TransferError::TextOf(failure)}, nullptr};
    }
    if (order.sha256 && !MatchesSha256(*held, *order.sha256)) {
        LogEntry() << "Download of " << SetupLog::AddressOf(order.url) << " to " << held->Path()
                   << " does not match its SHA-256; the file is deleted";
        held->Delete();
        target.Discard();
        return {{false, L"Checksum mismatch: " + FileNameOf(held->Path())}, nullptr};
    }
    return {result, held};
}

DownloadManager::Target DownloadManager::CreateTarget(const Order& order)
{
    const auto configuration = ConfigurationManager::Instance();
    const CString& folder = order.useTempFolder ? configuration->m_tempFolder : configuration->m_downloadFolder;
    DownloadTarget::Resolution resolution = DownloadTarget::Resolve(folder, order.url, order.fileName);
    if (resolution.folderMissing) {
        AfxMessageBox(L"Invalid path", MB_OK);
    }
    if (resolution.path.IsEmpty()) {
        return {nullptr, CString(), resolution.error};
    }
    if (order.useTempFolder) {
        // A folder of its own per download: two packages whose files share a name never meet.
        const CString own = PrivateFolder::Create(folder, L"");
        resolution = DownloadTarget::Resolve(own, order.url, order.fileName);
        if (resolution.path.IsEmpty()) {
            RemoveDirectoryW(own);
            return {nullptr, CString(), own.IsEmpty() ? CString(L"Invalid path") : resolution.error};
        }
        return {std::make_unique<DownloadOutputFile>(resolution.path), own, CString()};
    }
    std::unique_ptr<DownloadOutputFile> file;
    for (int number = 1; number <= kNumberedNames; ++number) {
        file = std::make_unique<DownloadOutputFile>(number == 1 ? resolution.path
                                                                : DownloadTarget::Numbered(resolution.path, number));
        if (file->IsOpen() || !IsNameTaken(file->OpenError())) {
            break;
        }
    }
    return {std::move(file), CString(), CString()};
}

DownloadManager::Result DownloadManager::AttemptWinHttp(const CString& url, HWND window, DownloadOutputFile& file,
                                                        const Cancellation& run) const
{
    const auto started = std::chrono::steady_clock::now();
    Result result;
    std::uint64_t bytes = 0;
    try {
        WinHttpTransfer transfer(url, WinHttpTransfer::Client::FileDownload, m_fileLimits);
        bytes = WriteBody(transfer, file, window, run);
        result = {true, CString()};
    } catch (const std::exception& failure) {
        result = {false, L"[WINHTTP] " + TransferError::TextOf(failure)};
    }
    LogAttempt("WinHTTP", url, file.Path(), bytes, started, result);
    return result;
}

DownloadManager::Result DownloadManager::AttemptWinInet(const CString& url, HWND window, DownloadOutputFile& file,
                                                        const Cancellation& run) const
{
    const auto started = std::chrono::steady_clock::now();
    Result result;
    std::uint64_t bytes = 0;
    try {
        WinInetTransfer transfer(url, m_fileLimits);
        bytes = WriteBody(transfer, file, window, run);
        result = {true, CString()};
    } catch (const std::exception& failure) {
        result = {false, L" [WININET] " + TransferError::TextOf(failure)};
    }
    LogAttempt("WinINet", url, file.Path(), bytes, started, result);
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
                                         const Cancellation& run)
{
    const std::optional<std::uint64_t> contentLength = transfer.ContentLength();
    DownloadProgress progress(window, contentLength);
    file.EnsureOpen();
    // A second attempt starts from an empty file.
    file.Restart();
    std::vector<char> buffer(kFileReadBytes);
    std::uint64_t total = 0;
    for (;;) {
        if (run.IsCancelled()) {
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
    if (contentLength) {
        VerifySize(file, *contentLength);
    }
    progress.Complete();
    return total;
}

std::vector<char> DownloadManager::FetchToMemory(const CString& url, const Cancellation& run)
{
    std::vector<char> bytes;
    for (int attempt = 0; attempt < 2 && !run.IsCancelled(); ++attempt) {
        try {
            WinHttpTransfer transfer(url, WinHttpTransfer::Client::MemoryFetch, kPictureLimits);
            const auto contentLength = transfer.ContentLength();
            if (contentLength && *contentLength > kMaxFetchBytes) {
                TransferError::Throw(L"Too large.");
            }
            std::vector<char> buffer(kFetchReadBytes);
            for (;;) {
                if (run.IsCancelled()) {
                    TransferError::Throw(L"Download cancelled.");
                }
                const std::uint32_t read = transfer.Read(buffer.data(), kFetchReadBytes);
                if (read == 0) {
                    break;
                }
                if (bytes.size() + read > kMaxFetchBytes) {
                    TransferError::Throw(L"Too large.");
                }
                bytes.insert(bytes.end(), buffer.data(), buffer.data() + read);
            }
            // A body cut short would pass for a whole image; it counts as a failed attempt instead.
            if (!contentLength || *contentLength == bytes.size()) {
                return bytes;
            }
            TransferError::Throw(L"Download was incomplete.");
        } catch (const std::exception&) {
            // The fetch reports nothing: its callers show a missing image or nothing at all.
            bytes.clear();
        }
    }
    return bytes;
}
