#include <doctest/doctest.h>

#include "DownloadTestSupport.h"
#include "RedirectServer.h"
#include "StandInService.h"
#include "framework/TextConversion.h"
#include "transfer/DownloadManager.h"

#include <algorithm>
#include <future>

namespace {

struct Download {
    bool ok = false;
    CString text;
};

// Downloads on a worker, as the pages do, while the test thread receives the window's messages.
Download RunDownload(DownloadManager& manager, const CString& url, HWND window, const CString& name = CString())
{
    auto task = std::async(std::launch::async, &DownloadManager::DownloadFile, &manager, url, window, name, true);
    const auto [ok, text] = WaitPumping(task);
    return {ok, text};
}

CString Url(const StandInService& service, const wchar_t* path)
{
    return CString(service.BaseUrl()) + path;
}

}  // namespace

TEST_CASE("A download writes the served bytes exactly and reports its progress up to 100")
{
    StandInService service;
    service.LoadScenario("downloads");
    ScopedDownloadFolder folder;
    DownloadManager manager;
    ProgressWindow window;

    SUBCASE("a file of the service's assets, compared byte for byte")
    {
        const Download result = RunDownload(manager, Url(service, L"/f/offer-1.png"), window.Handle());
        CHECK(result.ok);
        CHECK(result.text.IsEmpty());
        CHECK(manager.m_lastDownloadPath == folder.FileAt(L"offer-1.png"));
        CHECK(ReadFileBytes(folder.FileAt(L"offer-1.png")) == ReadFileBytes(RepositoryFile("service/assets/f/offer-1.png")));
        REQUIRE_FALSE(window.Percentages().empty());
        CHECK(window.Percentages().back() == 100);
        CHECK(window.SizeUnknownCount() == 0);
    }
    SUBCASE("a generated 16 MiB file: at most about a hundred rising percentages, the same bytes as over WinINet")
    {
        service.LoadScenario(nlohmann::json{
            {"extends", "downloads"},
            {"files", {{"/f/sixteen-mib.bin", {{"generate", {{"size", 16 << 20}, {"seed", 16}}}}}}}});
        const Download result = RunDownload(manager, Url(service, L"/f/sixteen-mib.bin"), window.Handle(), L"a.bin");
        CHECK(result.ok);
        const auto& percentages = window.Percentages();
        CHECK(percentages.size() >= 50);
        CHECK(percentages.size() <= 101);
        CHECK(std::is_sorted(percentages.begin(), percentages.end()));
        CHECK(std::adjacent_find(percentages.begin(), percentages.end() - 1) == percentages.end() - 1);
        CHECK(percentages.back() == 100);
        CHECK(percentages.front() <= 2);

        const auto again = manager.DownloadFileWinInet(Url(service, L"/f/sixteen-mib.bin"), nullptr, L"b.bin", true);
        CHECK(again.first);
        CHECK(manager.m_lastDownloadPath == folder.FileAt(L"b.bin"));
        const auto bytes = ReadFileBytes(folder.FileAt(L"a.bin"));
        CHECK(bytes.size() == (16u << 20));
        CHECK(bytes == ReadFileBytes(folder.FileAt(L"b.bin")));
    }
}

TEST_CASE("Without a Content-Length the download reports an unknown size and no percentage")
{
    StandInService service;
    service.LoadScenario("downloads");
    ScopedDownloadFolder folder;
    DownloadManager manager;
    ProgressWindow window;

    const Download result = RunDownload(manager, Url(service, L"/f/one-mib-no-length.bin"), window.Handle());
    CHECK(result.ok);
    CHECK(result.text.IsEmpty());
    CHECK(window.SizeUnknownCount() == 1);
    CHECK(window.Percentages().empty());
    CHECK(ReadFileBytes(folder.FileAt(L"one-mib-no-length.bin")).size() == 1048576);
}

TEST_CASE("Up to five redirects are followed by the manager; a sixth fails WinHTTP and WinINet takes over")
{
    StandInService service;
    service.LoadScenario("downloads");
    ScopedDownloadFolder folder;
    DownloadManager manager;

    SUBCASE("five 302 hops")
    {
        const Download result = RunDownload(manager, Url(service, L"/f/redirect-5.bin"), nullptr);
        CHECK(result.ok);
        CHECK(result.text.IsEmpty());
        CHECK(ReadFileBytes(folder.FileAt(L"redirect-5.bin")).size() == 65536);
        CHECK(service.Requests().size() == 6);
    }
    SUBCASE("five 307 hops")
    {
        const Download result = RunDownload(manager, Url(service, L"/f/redirect-5-307.bin"), nullptr);
        CHECK(result.ok);
        CHECK(result.text.IsEmpty());
    }
    SUBCASE("six hops")
    {
        const Download result = RunDownload(manager, Url(service, L"/f/redirect-6.bin"), nullptr);
        // WinINet follows the chain by itself, so the file still arrives.
        CHECK(result.ok);
        CHECK(result.text == L"[WINHTTP] Too many redirects.");
        CHECK(ReadFileBytes(folder.FileAt(L"redirect-6.bin")).size() == 65536);
        // WinHTTP stopped at the sixth 3xx without asking for its target; WinINet walked the whole chain.
        const auto requests = service.Requests();
        REQUIRE(requests.size() == 6 + 7);
        CHECK(requests[5]["status"].get<int>() / 100 == 3);
        CHECK(requests[6]["path"] == "/f/redirect-6.bin");
        CHECK(requests[12]["status"] == 200);
    }
}

TEST_CASE("Relative and long redirect targets are followed")
{
    StandInService service;
    service.LoadScenario("downloads");
    ScopedDownloadFolder folder;
    DownloadManager manager;
    // The service serves /f/one-mib.bin whatever the query; the padding makes the target far longer than
    // 260 bytes. (Wine's WinHTTP cuts header lines at about 1460 characters, so no longer one is tried.)
    const std::string longTarget = ToUtf8(service.BaseUrl()) + "/f/one-mib.bin?pad=" + std::string(1000, 'p');
    RedirectServer redirects({"/second/hop", longTarget});

    const Download result = RunDownload(manager, CString(redirects.BaseUrl()) + L"/first/setup.bin", nullptr);
    CHECK(result.ok);
    CHECK(result.text.IsEmpty());
    CHECK(ReadFileBytes(folder.FileAt(L"setup.bin")).size() == 1048576);
    CHECK(redirects.RequestLines() ==
          std::vector<std::string>{"GET /first/setup.bin HTTP/1.1", "GET /second/hop HTTP/1.1"});
    const auto requests = service.Requests();
    REQUIRE(requests.size() == 1);
    CHECK(requests[0]["path"].get<std::string>().size() == longTarget.size() - ToUtf8(service.BaseUrl()).size());
}

TEST_CASE("Every status from 200 to 299 is a success over WinHTTP; WinINet takes only 200")
{
    StandInService service;
    service.LoadScenario("downloads");
    ScopedDownloadFolder folder;
    DownloadManager manager;
    ProgressWindow window;

    SUBCASE("204 gives an empty file")
    {
        const Download result = RunDownload(manager, Url(service, L"/f/no-content.bin"), window.Handle());
        CHECK(result.ok);
        CHECK(result.text.IsEmpty());
        CHECK(ReadFileBytes(folder.FileAt(L"no-content.bin")).empty());
        CHECK(window.SizeUnknownCount() == 1);
    }
    SUBCASE("299 keeps its body")
    {
        const Download result = RunDownload(manager, Url(service, L"/f/status-299.bin"), nullptr);
        CHECK(result.ok);
        CHECK(ReadFileBytes(folder.FileAt(L"status-299.bin")) ==
              std::vector<char>{std::begin("accepted by the setup as success"),
                                std::end("accepted by the setup as success") - 1});
    }
    SUBCASE("WinINet refuses 204")
    {
        const auto [ok, text] = manager.DownloadFileWinInet(Url(service, L"/f/no-content.bin"), nullptr, L"", true);
        CHECK_FALSE(ok);
        CHECK(text.Find(L" [WININET] Server returned status code: HTTP 204 - ") == 0);
    }
}

TEST_CASE("A name taken from a URL with a query string drops the query")
{
    StandInService service;
    service.LoadScenario("downloads");
    ScopedDownloadFolder folder;
    DownloadManager manager;

    const Download result = RunDownload(manager, Url(service, L"/f/setup.exe?x=1"), nullptr);
    CHECK(result.ok);
    CHECK(folder.FileNames() == std::vector<CString>{L"setup.exe"});
    CHECK(ReadFileBytes(folder.FileAt(L"setup.exe")).size() == 65536);
    // The query still went to the server.
    CHECK(service.Requests().at(0)["path"] == "/f/setup.exe?x=1");
}
