#include <doctest/doctest.h>

#include "DownloadTestSupport.h"
#include "StandInService.h"
#include "framework/TextConversion.h"
#include "framework/UniqueHandle.h"
#include "transfer/DownloadManager.h"

#include <chrono>
#include <future>

namespace {

using Clock = std::chrono::steady_clock;

CString Url(const StandInService& service, const char* path)
{
    return CString(service.BaseUrl()) + AnsiToCString(path);
}

DownloadManager::Result RunDownload(DownloadManager& manager, const CString& url, const CString& name = CString())
{
    auto task = std::async(std::launch::async, &DownloadManager::DownloadFile, &manager, url, nullptr, name, true);
    return WaitPumping(task);
}

int CountRequests(const nlohmann::json& requests, const std::string& path)
{
    int count = 0;
    for (const auto& request : requests) {
        count += request["path"] == path ? 1 : 0;
    }
    return count;
}

}  // namespace

TEST_CASE("When both transports fail the text names both and no file is left")
{
    StandInService service;
    service.LoadScenario("downloads");
    ScopedDownloadFolder folder;
    DownloadManager manager;

    SUBCASE("the server answers 404 to both")
    {
        const auto started = Clock::now();
        const auto [ok, text] = RunDownload(manager, Url(service, "/f/missing.bin"));
        CHECK_FALSE(ok);
        CHECK(text.Find(L"[WINHTTP] Server returned status code: 404 [WININET] Server returned status code: HTTP 404 - ") ==
              0);
        // The fallback waits two seconds before it asks again.
        CHECK(Clock::now() - started >= std::chrono::milliseconds(1900));
        CHECK(CountRequests(service.Requests(), "/f/missing.bin") == 2);
    }
    SUBCASE("a body shorter than its Content-Length, twice")
    {
        const auto [ok, text] = RunDownload(manager, Url(service, "/f/truncated.bin"));
        CHECK_FALSE(ok);
        CHECK(text == L"[WINHTTP] Download was incomplete: content length: 1048576, downloaded: 524288"
                      L" [WININET] Download was incomplete: content length: 1048576, downloaded: 524288");
    }
    SUBCASE("a connection reset, twice")
    {
        const auto [ok, text] = RunDownload(manager, Url(service, "/f/reset.bin"));
        CHECK_FALSE(ok);
        CHECK(text.Find(L"[WINHTTP] ") == 0);
        CHECK(text.Find(L" [WININET] ") > 0);
    }
    SUBCASE("a file left from before is removed too")
    {
        {
            const UniqueFileHandle old(CreateFileW(folder.FileAt(L"missing.bin"), GENERIC_WRITE, 0, nullptr,
                                                   CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
            REQUIRE(old.IsValid());
        }
        CHECK_FALSE(RunDownload(manager, Url(service, "/f/missing.bin")).first);
    }
    CHECK(folder.FileNames().empty());
}

TEST_CASE("WinINet makes up for a failed WinHTTP attempt and the text keeps the WinHTTP failure")
{
    StandInService service;
    service.LoadScenario(nlohmann::json{{"extends", "downloads"},
                                        {"faults", {{"/f/one-mib.bin", {{{"status", 503}}}}}}});
    ScopedDownloadFolder folder;
    DownloadManager manager;

    const auto [ok, text] = RunDownload(manager, Url(service, "/f/one-mib.bin"));
    CHECK(ok);
    CHECK(text == L"[WINHTTP] Server returned status code: 503");
    CHECK(manager.m_lastDownloadPath == folder.FileAt(L"one-mib.bin"));
    CHECK(ReadFileBytes(folder.FileAt(L"one-mib.bin")).size() == 1048576);
}

TEST_CASE("A system failure is told with its error number and the system's text")
{
    StandInService service;
    service.LoadScenario("downloads");
    ScopedDownloadFolder folder;
    DownloadManager manager;
    // Held open without sharing, so neither transport can write it.
    const UniqueFileHandle locked(CreateFileW(folder.FileAt(L"one-mib.bin"), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                              FILE_ATTRIBUTE_NORMAL, nullptr));
    REQUIRE(locked.IsValid());

    const auto [ok, text] = RunDownload(manager, Url(service, "/f/one-mib.bin"));
    CHECK_FALSE(ok);
    const CString reason = DownloadManager::FormatSystemMessage(ERROR_SHARING_VIOLATION);
    CHECK_FALSE(reason.IsEmpty());
    CHECK(text == L"[WINHTTP] Failed to open file for writing: 32 - " + reason +
                      L" [WININET] Failed to open file for writing: 32 - " + reason);
    CHECK(DownloadManager::FormatSystemMessage(0x2FFFFFFF).IsEmpty());
}

TEST_CASE("Cancelling stops a running download at its next read, and no fallback starts")
{
    StandInService service;
    // 4 MiB in 64 KiB pieces 50 ms apart: more than three seconds in all.
    service.LoadScenario("downloads");
    ScopedDownloadFolder folder;
    DownloadManager manager;
    ProgressWindow window;

    SUBCASE("over WinHTTP")
    {
        auto task = std::async(std::launch::async, &DownloadManager::DownloadFile, &manager,
                               Url(service, "/f/slow.bin"), window.Handle(), CString(), true);
        REQUIRE(PumpMessagesUntil([&window] { return !window.Percentages().empty(); }, std::chrono::seconds(20)));
        const auto cancelled = Clock::now();
        manager.m_cancelled = true;
        const auto [ok, text] = WaitPumping(task);
        CHECK(Clock::now() - cancelled < std::chrono::milliseconds(1000));
        CHECK_FALSE(ok);
        CHECK(text == L"[WINHTTP] Download cancelled.");
        CHECK(CountRequests(service.Requests(), "/f/slow.bin") == 1);
    }
    SUBCASE("over WinINet, after WinHTTP failed")
    {
        service.LoadScenario(nlohmann::json{
            {"extends", "downloads"},
            {"faults", {{"/f/slow.bin", {{{"status", 503}}, {{"slow", {{"chunk", 65536}, {"interval", 0.05}}}}}}}}});
        auto task = std::async(std::launch::async, &DownloadManager::DownloadFile, &manager,
                               Url(service, "/f/slow.bin"), window.Handle(), CString(), true);
        REQUIRE(PumpMessagesUntil([&window] { return !window.Percentages().empty(); }, std::chrono::seconds(20)));
        const auto cancelled = Clock::now();
        manager.m_cancelled = true;
        const auto [ok, text] = WaitPumping(task);
        CHECK(Clock::now() - cancelled < std::chrono::milliseconds(1000));
        CHECK_FALSE(ok);
        CHECK(text == L"[WINHTTP] Server returned status code: 503 [WININET] Download cancelled.");
    }
    SUBCASE("during the pause before the fallback")
    {
        auto task = std::async(std::launch::async, &DownloadManager::DownloadFile, &manager,
                               Url(service, "/f/missing.bin"), nullptr, CString(), true);
        PumpMessagesFor(std::chrono::milliseconds(700));
        const auto cancelled = Clock::now();
        manager.m_cancelled = true;
        const auto [ok, text] = WaitPumping(task);
        CHECK(Clock::now() - cancelled < std::chrono::milliseconds(500));
        CHECK_FALSE(ok);
        CHECK(text == L"[WINHTTP] Server returned status code: 404");
        CHECK(CountRequests(service.Requests(), "/f/missing.bin") == 1);
    }
    SUBCASE("a later download stops before its body")
    {
        manager.m_cancelled = true;
        const auto [ok, text] = RunDownload(manager, Url(service, "/f/one-mib.bin"));
        CHECK_FALSE(ok);
        CHECK(text == L"[WINHTTP] Download cancelled.");
    }
    CHECK(folder.FileNames().empty());
}
