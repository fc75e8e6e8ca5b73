#include <doctest/doctest.h>

#include "DownloadTestSupport.h"
#include "LoopbackHttpServer.h"
#include "RealWaits.h"
#include "framework/UniqueHandle.h"
#include "transfer/TransferError.h"
#include "transfer/WinHttpTransfer.h"

#include <chrono>
#include <fstream>

namespace {

using Clock = std::chrono::steady_clock;

int CountRequests(const StandInService& service, const std::string& path)
{
    const auto requests = service.Requests();
    return static_cast<int>(std::count_if(requests.begin(), requests.end(),
                                          [&path](const auto& request) { return request["path"] == path; }));
}

}  // namespace

TEST_CASE("When both transports fail the text names both failures and no file is left")
{
    StandInService service;
    service.LoadScenario("downloads");
    ScopedDownloadFolder folder;
    DownloadManager manager;

    SUBCASE("404 to both, two seconds apart; a file of that name from before stays as it was")
    {
        const RealWaits realWaits;
        std::ofstream(std::filesystem::path(folder.FileAt(L"missing.bin").Str())) << "old";
        const auto started = Clock::now();
        const auto [ok, text] = Download(manager, UrlOf(service, "/f/missing.bin"));
        CHECK_FALSE(ok);
        CHECK(text.Find(L"[WINHTTP] Server returned status code: 404 [WININET] Server returned status code: HTTP 404 - ") ==
              0);
        CHECK(Clock::now() - started >= std::chrono::milliseconds(1900));
        CHECK(CountRequests(service, "/f/missing.bin") == 2);
        CHECK(folder.FileNames() == std::vector<CString>{L"missing.bin"});
        CHECK(ReadFileBytes(folder.FileAt(L"missing.bin")) == std::vector<char>{'o', 'l', 'd'});
    }
    SUBCASE("a body shorter than its Content-Length, twice")
    {
        CHECK(Download(manager, UrlOf(service, "/f/truncated.bin")) ==
              DownloadManager::Result{false,
                                      L"[WINHTTP] Download was incomplete: content length: 1048576, downloaded: 524288"
                                      L" [WININET] Download was incomplete: content length: 1048576, downloaded: 524288"});
        CHECK(folder.FileNames().empty());
    }
    SUBCASE("a download folder where every name is taken: the error number and the system's text")
    {
        std::ofstream(std::filesystem::path(folder.FileAt(L"one-mib.bin").Str())) << "x";
        for (int number = 2; number <= 99; ++number) {
            const std::wstring name = L"one-mib (" + std::to_wstring(number) + L").bin";
            std::ofstream(std::filesystem::path(folder.FileAt(name.c_str()).Str())) << "x";
        }
        const CString reason = TransferError::FormatSystemMessage(ERROR_FILE_EXISTS);
        CHECK_FALSE(reason.IsEmpty());
        CHECK(Download(manager, DownloadManager::Order{UrlOf(service, "/f/one-mib.bin"), L"", false}).result ==
              DownloadManager::Result{false, L"[WINHTTP] Failed to open file for writing: 80 - " + reason +
                                                 L" [WININET] Failed to open file for writing: 80 - " + reason});
        CHECK(folder.FileNames().size() == 99);
    }
}

TEST_CASE("A failed read is no end of the data: a body without a length that breaks off fails the attempt")
{
    // Plain HTTP on loopback: over TLS the reset may reach the transports as an orderly end. Files that
    // run come over HTTPS only, so the transport is asked directly, as a picture fetch uses it.
    const LoopbackHttpServer::Reply broken{"HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" + std::string(300000, 'x'),
                                           true};
    LoopbackHttpServer server({broken});
    WinHttpTransfer transfer(CString(server.BaseUrl()) + L"/f/broken.bin", WinHttpTransfer::Client::MemoryFetch,
                             DownloadManager::kPictureLimits);
    std::vector<char> buffer(65536);
    CString failure;
    try {
        while (transfer.Read(buffer.data(), static_cast<std::uint32_t>(buffer.size())) > 0) {
        }
    } catch (const std::exception& error) {
        failure = TransferError::TextOf(error);
    }
    CHECK(failure.Find(L"Failed to read data: ") == 0);
}

TEST_CASE("WinINet makes up for a failed WinHTTP attempt, and the text keeps the WinHTTP failure")
{
    StandInService service;
    service.LoadScenario(nlohmann::json{{"extends", "downloads"}, {"faults", {{"/f/one-mib.bin", {{{"status", 503}}}}}}});
    ScopedDownloadFolder folder;
    DownloadManager manager;

    const auto outcome = Download(manager, DownloadManager::Order{UrlOf(service, "/f/one-mib.bin")});
    CHECK(outcome.result == DownloadManager::Result{true, L"[WINHTTP] Server returned status code: 503"});
    REQUIRE(outcome.file);
    CHECK(ReadFileBytes(outcome.file->Path()).size() == 1048576);
}

TEST_CASE("A server that stops sending fails the download with its own text on both transports; the file goes")
{
    StandInService service;
    service.LoadScenario(nlohmann::json{
        {"extends", "downloads"},
        {"faults", {{"/f/one-mib.bin", {{"steps", {{{"stall_after", 4096}}}}, {"repeat", true}}}}}});
    ScopedDownloadFolder folder;
    // A short no-progress limit; every other limit as the setup has it.
    ExchangeLimits limits = DownloadManager::kFileLimits;
    limits.receive = std::chrono::milliseconds(1500);
    DownloadManager manager(limits);
    const auto started = Clock::now();
    const auto [ok, text] = Download(manager, UrlOf(service, "/f/one-mib.bin"));
    CHECK_FALSE(ok);
    CHECK(ToUtf8(text) == "[WINHTTP] Download stalled: no data for 1500 ms [WININET] Download stalled: no data for 1500 ms");
    CHECK(Clock::now() - started < std::chrono::seconds(20));
    CHECK(CountRequests(service, "/f/one-mib.bin") == 2);
    CHECK(folder.FileNames().empty());
}

TEST_CASE("Cancelling stops a download at its next read, ends the pause at once and starts no fallback")
{
    StandInService service;
    // /f/slow.bin: 4 MiB in 64 KiB pieces 50 ms apart, more than three seconds in all.
    service.LoadScenario(nlohmann::json{
        {"extends", "downloads"},
        {"faults", {{"/f/slow-after-503.bin", {{{"status", 503}}, {{"slow", {{"chunk", 65536}, {"interval", 0.05}}}}}}}},
        {"files", {{"/f/slow-after-503.bin", {{"generate", {{"size", 4 << 20}, {"seed", 4}}}}}}}});
    ScopedDownloadFolder folder;
    DownloadManager manager;
    ProgressWindow window;
    Cancellation run;
    // Cancels once the body is flowing (or after a while), and tells how long the download took to stop.
    const auto cancelAndWait = [&](std::future<DownloadManager::Outcome>& task, bool waitForBody) {
        if (waitForBody) {
            REQUIRE(PumpMessagesUntil([&window] { return !window.m_percentages.empty(); }, std::chrono::seconds(20)));
        } else {
            PumpMessagesFor(std::chrono::milliseconds(700));
        }
        const auto cancelled = Clock::now();
        run.Cancel();
        const auto result = WaitPumping(task).result;
        CHECK(Clock::now() - cancelled < std::chrono::milliseconds(1000));
        return result;
    };

    SUBCASE("during the WinHTTP body")
    {
        auto task = StartDownload(manager, {UrlOf(service, "/f/slow.bin")}, window.Handle(), run);
        CHECK(cancelAndWait(task, true) == DownloadManager::Result{false, L"[WINHTTP] Download cancelled."});
        CHECK(CountRequests(service, "/f/slow.bin") == 1);
    }
    SUBCASE("during the WinINet body, after WinHTTP failed")
    {
        auto task = StartDownload(manager, {UrlOf(service, "/f/slow-after-503.bin")}, window.Handle(), run);
        CHECK(cancelAndWait(task, true) ==
              DownloadManager::Result{false, L"[WINHTTP] Server returned status code: 503 [WININET] Download cancelled."});
    }
    SUBCASE("during the pause before the fallback")
    {
        const RealWaits realWaits;
        auto task = StartDownload(manager, {UrlOf(service, "/f/missing.bin")}, nullptr, run);
        CHECK(cancelAndWait(task, false) == DownloadManager::Result{false, L"[WINHTTP] Server returned status code: 404"});
        CHECK(CountRequests(service, "/f/missing.bin") == 1);
    }
    SUBCASE("before the download starts")
    {
        run.Cancel();
        CHECK(manager.DownloadFile({UrlOf(service, "/f/one-mib.bin")}, nullptr, run).result ==
              DownloadManager::Result{false, L"[WINHTTP] Download cancelled."});
    }
    CHECK(folder.FileNames().empty());
}
