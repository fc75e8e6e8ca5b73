#include <doctest/doctest.h>

#include "DownloadTestSupport.h"
#include "LoopbackHttpServer.h"
#include "framework/TextConversion.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace {

using Order = DownloadManager::Order;

// The folder a download of the temporary folder was given: one of its own, inside the folder.
CString PackageFolderOf(const CString& path)
{
    return path.Left(path.ReverseFind(L'\\'));
}

}  // namespace

TEST_CASE("A download writes the served bytes and reports rising percentages up to 100")
{
    StandInService service;
    service.LoadScenario(nlohmann::json{
        {"extends", "downloads"}, {"files", {{"/f/16-mib.bin", {{"generate", {{"size", 16 << 20}, {"seed", 16}}}}}}}});
    ScopedDownloadFolder folder;
    DownloadManager manager;
    ProgressWindow window;

    SUBCASE("a file of the service's assets, byte for byte, in a folder of its own")
    {
        const auto outcome = Download(manager, Order{UrlOf(service, "/f/offer-1.png")}, window.Handle());
        CHECK(outcome.result == DownloadManager::Result{true, L""});
        REQUIRE(outcome.file);
        const CString path = outcome.file->Path();
        CHECK(path.Mid(path.ReverseFind(L'\\')) == L"\\offer-1.png");
        CHECK(PackageFolderOf(PackageFolderOf(path)) == folder.Path());
        CHECK(ReadFileBytes(path) == ReadFileBytes(RepositoryFile("service/assets/f/offer-1.png")));
        CHECK(window.m_percentages.back() == 100);
        CHECK(window.m_sizeUnknown == 0);
    }
    SUBCASE("16 MiB in many reads: about a hundred messages, and the same bytes as over WinINet")
    {
        const auto overWinHttp = Download(manager, Order{UrlOf(service, "/f/16-mib.bin"), L"a.bin"}, window.Handle());
        CHECK(overWinHttp.result.first);
        const auto& percentages = window.m_percentages;
        CHECK(percentages.size() >= 50);
        CHECK(percentages.size() <= 101);
        CHECK(std::is_sorted(percentages.begin(), percentages.end()));
        CHECK(percentages.front() <= 2);
        CHECK(percentages.back() == 100);

        const auto overWinInet = manager.DownloadFileWinInet(Order{UrlOf(service, "/f/16-mib.bin"), L"b.bin"}, nullptr);
        REQUIRE(overWinInet.result.first);
        CHECK(overWinInet.file->Path().Right(6) == L"\\b.bin");
        const auto bytes = ReadFileBytes(overWinHttp.file->Path());
        CHECK(bytes.size() == (16u << 20));
        CHECK(bytes == ReadFileBytes(overWinInet.file->Path()));
    }
}

TEST_CASE("Without a Content-Length the size is unknown: no percentage, no check, success")
{
    StandInService service;
    service.LoadScenario("downloads");
    ScopedDownloadFolder folder;
    DownloadManager manager;
    ProgressWindow window;

    const auto outcome = Download(manager, Order{UrlOf(service, "/f/one-mib-no-length.bin")}, window.Handle());
    CHECK(outcome.result == DownloadManager::Result{true, L""});
    CHECK(window.m_sizeUnknown == 1);
    CHECK(window.m_percentages.empty());
    CHECK(ReadFileBytes(outcome.file->Path()).size() == 1048576);
}

TEST_CASE("Five redirects are followed; a sixth fails both transports, which count the same way")
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
    const auto before = folder.FileNames();
    CHECK(Download(manager, UrlOf(service, "/f/redirect-6.bin")) ==
          DownloadManager::Result{false, L"[WINHTTP] Too many redirects. [WININET] Too many redirects."});
    CHECK(folder.FileNames() == before);
    // Each transport stopped at the sixth 3xx without following it.
    const auto requests = service.Requests();
    REQUIRE(requests.size() == 6 + 6);
    CHECK(requests[5]["status"] == 302);
    CHECK(requests[6]["path"] == "/f/redirect-6.bin");
    CHECK(requests[11]["status"] == 302);
}

TEST_CASE("Relative and long redirect targets are followed")
{
    StandInService service;
    // Any query reaches /f/one-mib.bin; the padding takes the target far past 260 bytes. (Wine's WinHTTP
    // cuts header lines at about 1460 characters, so nothing longer can be tried here.)
    const std::string path = "/f/one-mib.bin?pad=" + std::string(1000, 'p');
    service.LoadScenario(nlohmann::json{
        {"extends", "downloads"},
        {"faults", {{"/first/setup.bin", {{{"location", "/second/hop"}, {"repeat", true}}}},
                    {"/second/hop", {{{"location", "@BASE@" + path}, {"repeat", true}}}}}}});
    ScopedDownloadFolder folder;
    DownloadManager manager;

    const auto outcome = Download(manager, Order{UrlOf(service, "/first/setup.bin")});
    CHECK(outcome.result == DownloadManager::Result{true, L""});
    REQUIRE(outcome.file);
    CHECK(outcome.file->Path().Right(10) == L"\\setup.bin");
    CHECK(ReadFileBytes(outcome.file->Path()).size() == 1048576);
    const auto requests = service.Requests();
    REQUIRE(requests.size() == 3);
    CHECK(requests[1]["path"] == "/second/hop");
    CHECK(requests[2]["path"] == path);
}

TEST_CASE("Any 2xx status is a success over WinHTTP; WinINet takes only 200")
{
    StandInService service;
    service.LoadScenario("downloads");
    ScopedDownloadFolder folder;
    DownloadManager manager;
    ProgressWindow window;

    const auto empty = Download(manager, Order{UrlOf(service, "/f/no-content.bin")}, window.Handle());
    CHECK(empty.result == DownloadManager::Result{true, L""});
    CHECK(ReadFileBytes(empty.file->Path()).empty());
    CHECK(window.m_sizeUnknown == 1);
    const auto accepted = Download(manager, Order{UrlOf(service, "/f/status-299.bin")});
    CHECK(accepted.result == DownloadManager::Result{true, L""});
    CHECK(ReadFileBytes(accepted.file->Path()).size() == 32);

    const auto [ok, text] = manager.DownloadFileWinInet(Order{UrlOf(service, "/f/no-content.bin")}, nullptr).result;
    CHECK_FALSE(ok);
    CHECK(text.Find(L" [WININET] Server returned status code: HTTP 204 - ") == 0);
}

TEST_CASE("A name taken from a URL with a query string drops the query, which still goes to the server")
{
    StandInService service;
    service.LoadScenario("downloads");
    ScopedDownloadFolder folder;
    DownloadManager manager;

    const auto outcome = Download(manager, Order{UrlOf(service, "/f/setup.exe?x=1")});
    REQUIRE(outcome.result.first);
    CHECK(outcome.file->Path().Right(10) == L"\\setup.exe");
    CHECK(folder.FileNames().size() == 1);
    CHECK(ReadFileBytes(outcome.file->Path()).size() == 65536);
    CHECK(service.Requests().at(0)["path"] == "/f/setup.exe?x=1");
}

TEST_CASE("Each download gets a new file of its own: a name already there is never written over")
{
    StandInService service;
    service.LoadScenario("downloads");
    ScopedDownloadFolder folder;
    DownloadManager manager;

    SUBCASE("in the temporary folder, two packages of the same file name land apart")
    {
        const auto product = Download(manager, Order{UrlOf(service, "/f/one-mib.bin"), L"setup.exe"});
        const auto offer = Download(manager, Order{UrlOf(service, "/f/setup.exe?x=1"), L"setup.exe"});
        REQUIRE(product.result.first);
        REQUIRE(offer.result.first);
        CHECK(product.file->Path() != offer.file->Path());
        CHECK(ReadFileBytes(product.file->Path()).size() == 1048576);
        CHECK(ReadFileBytes(offer.file->Path()).size() == 65536);
    }
    SUBCASE("in the download folder a taken name is numbered, and the file there stays as it was")
    {
        std::ofstream(std::filesystem::path(folder.FileAt(L"one-mib.bin").Str())) << "old";
        const auto outcome = Download(manager, Order{UrlOf(service, "/f/one-mib.bin"), L"", false});
        REQUIRE(outcome.result.first);
        CHECK(outcome.file->Path() == folder.FileAt(L"one-mib (2).bin"));
        CHECK(ReadFileBytes(folder.FileAt(L"one-mib.bin")) == std::vector<char>{'o', 'l', 'd'});
    }
}
