#include <doctest/doctest.h>

#include "DownloadTestSupport.h"
#include "LoopbackHttpServer.h"
#include "framework/TextConversion.h"

#include <algorithm>

TEST_CASE("A download writes the served bytes and reports rising percentages up to 100")
{
    StandInService service;
    service.LoadScenario(nlohmann::json{
        {"extends", "downloads"}, {"files", {{"/f/16-mib.bin", {{"generate", {{"size", 16 << 20}, {"seed", 16}}}}}}}});
    ScopedDownloadFolder folder;
    DownloadManager manager;
    ProgressWindow window;

    SUBCASE("a file of the service's assets, byte for byte")
    {
        CHECK(Download(manager, UrlOf(service, "/f/offer-1.png"), window.Handle()) == DownloadManager::Result{true, L""});
        CHECK(manager.m_lastDownloadPath == folder.FileAt(L"offer-1.png"));
        CHECK(ReadFileBytes(folder.FileAt(L"offer-1.png")) == ReadFileBytes(RepositoryFile("service/assets/f/offer-1.png")));
        CHECK(window.m_percentages.back() == 100);
        CHECK(window.m_sizeUnknown == 0);
    }
    SUBCASE("16 MiB in many reads: about a hundred messages, and the same bytes as over WinINet")
    {
        CHECK(Download(manager, UrlOf(service, "/f/16-mib.bin"), window.Handle(), L"a.bin").first);
        const auto& percentages = window.m_percentages;
        CHECK(percentages.size() >= 50);
        CHECK(percentages.size() <= 101);
        CHECK(std::is_sorted(percentages.begin(), percentages.end()));
        CHECK(percentages.front() <= 2);
        CHECK(percentages.back() == 100);

        CHECK(manager.DownloadFileWinInet(UrlOf(service, "/f/16-mib.bin"), nullptr, L"b.bin", true).first);
        CHECK(manager.m_lastDownloadPath == folder.FileAt(L"b.bin"));
        const auto bytes = ReadFileBytes(folder.FileAt(L"a.bin"));
        CHECK(bytes.size() == (16u << 20));
        CHECK(bytes == ReadFileBytes(folder.FileAt(L"b.bin")));
    }
}

TEST_CASE("Without a Content-Length the size is unknown: no percentage, no check, success")
{
    StandInService service;
    service.LoadScenario("downloads");
    ScopedDownloadFolder folder;
    DownloadManager manager;
    ProgressWindow window;

    CHECK(Download(manager, UrlOf(service, "/f/one-mib-no-length.bin"), window.Handle()) ==
          DownloadManager::Result{true, L""});
    CHECK(window.m_sizeUnknown == 1);
    CHECK(window.m_percentages.empty());
    CHECK(ReadFileBytes(folder.FileAt(L"one-mib-no-length.bin")).size() == 1048576);
}

TEST_CASE("Five redirects are followed; a sixth fails WinHTTP before the WinINet attempt")
{
    StandInService service;
    service.LoadScenario("downloads");
    ScopedDownloadFolder folder;
    DownloadManager manager;

    for (const char* path : {"/f/redirect-5.bin", "/f/redirect-5-307.bin"}) {
        CAPTURE(path);
        CHECK(Download(manager, UrlOf(service, path)) == DownloadManager::Result{true, L""});
    }
    CHECK(service.Requests().size() == 12);

    service.Reset();
    // WinINet follows the chain by itself, so the file still arrives.
    CHECK(Download(manager, UrlOf(service, "/f/redirect-6.bin")) ==
          DownloadManager::Result{true, L"[WINHTTP] Too many redirects."});
    CHECK(ReadFileBytes(folder.FileAt(L"redirect-6.bin")).size() == 65536);
    // WinHTTP stopped at the sixth 3xx without following it; then WinINet walked the whole chain.
    const auto requests = service.Requests();
    REQUIRE(requests.size() == 6 + 7);
    CHECK(requests[5]["status"] == 302);
    CHECK(requests[6]["path"] == "/f/redirect-6.bin");
}

TEST_CASE("Relative and long redirect targets are followed")
{
    StandInService service;
    service.LoadScenario("downloads");
    ScopedDownloadFolder folder;
    DownloadManager manager;
    // Any query reaches /f/one-mib.bin; the padding takes the target far past 260 bytes. (Wine's WinHTTP
    // cuts header lines at about 1460 characters, so nothing longer can be tried here.)
    const std::string path = "/f/one-mib.bin?pad=" + std::string(1000, 'p');
    LoopbackHttpServer redirects(
        {LoopbackHttpServer::Redirect("/second/hop"), LoopbackHttpServer::Redirect(ToUtf8(service.BaseUrl()) + path)});

    CHECK(Download(manager, CString(redirects.BaseUrl()) + L"/first/setup.bin") == DownloadManager::Result{true, L""});
    CHECK(ReadFileBytes(folder.FileAt(L"setup.bin")).size() == 1048576);
    CHECK(redirects.RequestLines() ==
          std::vector<std::string>{"GET /first/setup.bin HTTP/1.1", "GET /second/hop HTTP/1.1"});
    CHECK(service.Requests().at(0)["path"] == path);
}

TEST_CASE("Any 2xx status is a success over WinHTTP; WinINet takes only 200")
{
    StandInService service;
    service.LoadScenario("downloads");
    ScopedDownloadFolder folder;
    DownloadManager manager;
    ProgressWindow window;

    CHECK(Download(manager, UrlOf(service, "/f/no-content.bin"), window.Handle()) == DownloadManager::Result{true, L""});
    CHECK(ReadFileBytes(folder.FileAt(L"no-content.bin")).empty());
    CHECK(window.m_sizeUnknown == 1);
    CHECK(Download(manager, UrlOf(service, "/f/status-299.bin")) == DownloadManager::Result{true, L""});
    CHECK(ReadFileBytes(folder.FileAt(L"status-299.bin")).size() == 32);

    const auto [ok, text] = manager.DownloadFileWinInet(UrlOf(service, "/f/no-content.bin"), nullptr, L"", true);
    CHECK_FALSE(ok);
    CHECK(text.Find(L" [WININET] Server returned status code: HTTP 204 - ") == 0);
}

TEST_CASE("A name taken from a URL with a query string drops the query, which still goes to the server")
{
    StandInService service;
    service.LoadScenario("downloads");
    ScopedDownloadFolder folder;
    DownloadManager manager;

    CHECK(Download(manager, UrlOf(service, "/f/setup.exe?x=1")).first);
    CHECK(folder.FileNames() == std::vector<CString>{L"setup.exe"});
    CHECK(ReadFileBytes(folder.FileAt(L"setup.exe")).size() == 65536);
    CHECK(service.Requests().at(0)["path"] == "/f/setup.exe?x=1");
}
