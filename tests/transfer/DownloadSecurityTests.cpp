// What an elevated setup that runs what it downloads must hold to: where files come from, that they
// stay as downloaded until they run, that they are what the configuration says, and how large
// anything may be.
#include <doctest/doctest.h>

#include "DownloadTestSupport.h"
#include "LoopbackHttpServer.h"
#include "framework/CryptoDigest.h"
#include "framework/TextConversion.h"
#include "transfer/ProcessLaunch.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace {

using Order = DownloadManager::Order;

// What another program of the user gets when it tries to change or remove the file.
struct Tampering {
    DWORD overwrite = ERROR_SUCCESS;
    DWORD remove = ERROR_SUCCESS;
    DWORD rename = ERROR_SUCCESS;
};

Tampering TryToTamper(const CString& path)
{
    Tampering result;
    std::thread racer([&] {
        const HANDLE writer = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, 0, nullptr);
        result.overwrite = writer == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
        if (writer != INVALID_HANDLE_VALUE) {
            CloseHandle(writer);
        }
        result.remove = DeleteFileW(path) ? ERROR_SUCCESS : GetLastError();
        result.rename = MoveFileW(path, path + L".moved") ? ERROR_SUCCESS : GetLastError();
    });
    racer.join();
    return result;
}

}  // namespace

TEST_CASE("What is run comes over HTTPS only, every redirect on both transports; pictures may not")
{
    StandInService service;
    ScopedDownloadFolder folder;
    DownloadManager manager;

    SUBCASE("a plain HTTP address is refused before anything is asked or written")
    {
        service.LoadScenario("downloads");
        const CString address = L"http://127.0.0.1:" + CString(std::to_wstring(service.Port())) + L"/f/one-mib.bin";
        CHECK(Download(manager, address) == DownloadManager::Result{false, L"Insecure URL: " + address});
        CHECK(service.Requests().empty());
        CHECK(folder.FileNames().empty());
    }
    SUBCASE("a redirect to plain HTTP is not followed, by either transport")
    {
        service.LoadScenario(nlohmann::json{
            {"extends", "downloads"},
            {"faults", {{"/f/one-mib.bin", {{{"location", "http://127.0.0.1:9/f/one-mib.bin"}, {"repeat", true}}}}}}});
        CHECK(Download(manager, UrlOf(service, "/f/one-mib.bin")) ==
              DownloadManager::Result{false, L"[WINHTTP] Insecure URL: http://127.0.0.1:9/f/one-mib.bin"
                                             L" [WININET] Insecure URL: http://127.0.0.1:9/f/one-mib.bin"});
        CHECK(service.Requests().size() == 2);
        CHECK(folder.FileNames().empty());
    }
    SUBCASE("an offer's picture is only shown, and may come over plain HTTP")
    {
        LoopbackHttpServer pictures({{"HTTP/1.1 200 OK\r\nContent-Length: 3\r\nConnection: close\r\n\r\nPNG"}});
        const auto bytes = manager.FetchToMemory(CString(pictures.BaseUrl()) + L"/f/offer.png");
        CHECK(bytes == std::vector<char>{'P', 'N', 'G'});
    }
}

TEST_CASE("A downloaded file is held from its download until its program has started: nobody can swap it")
{
    StandInService service;
    service.LoadScenario("downloads");
    ScopedDownloadFolder folder;
    DownloadManager manager;

    auto outcome = Download(manager, Order{UrlOf(service, "/f/fake_offer_setup.exe")});
    REQUIRE(outcome.result.first);
    const CString path = outcome.file->Path();
    const std::vector<char> downloaded = ReadFileBytes(path);

    const Tampering whileHeld = TryToTamper(path);
    CHECK(whileHeld.overwrite == ERROR_SHARING_VIOLATION);
    CHECK(whileHeld.remove == ERROR_SHARING_VIOLATION);
    CHECK(whileHeld.rename == ERROR_SHARING_VIOLATION);
    CHECK(ReadFileBytes(path) == downloaded);

    // The program starts from the held file, and the file is let go once it has.
    CHECK(RunProcess(path, L"/S", true, outcome.file.get()).first == 0);
    CHECK_FALSE(outcome.file->IsHeld());
    CHECK(DeleteFileW(path));
}

TEST_CASE("A digest in the configuration decides whether a file may run at all")
{
    StandInService service;
    service.LoadScenario("downloads");
    ScopedDownloadFolder folder;
    DownloadManager manager;
    const CString url = UrlOf(service, "/f/one-mib.bin");
    std::string digest;
    {
        const auto unchecked = Download(manager, Order{url});
        REQUIRE(unchecked.result.first);
        digest = CryptoDigest::Sha256HexOfFile(unchecked.file->Handle());
        unchecked.file->Delete();
    }
    REQUIRE(digest.size() == 64);
    std::string upper = digest;
    std::transform(upper.begin(), upper.end(), upper.begin(), [](char ch) { return static_cast<char>(std::toupper(ch)); });

    const auto matching = Download(manager, Order{url, L"", true, upper});
    CHECK(matching.result == DownloadManager::Result{true, L""});
    REQUIRE(matching.file);
    CHECK(matching.file->IsHeld());

    std::string wrong = digest;
    wrong[10] = wrong[10] == '0' ? '1' : '0';
    for (const std::string& refused : {wrong, std::string("not a digest"), std::string(), digest + "0"}) {
        CAPTURE(refused);
        const auto outcome = Download(manager, Order{url, L"", true, refused});
        CHECK(outcome.result == DownloadManager::Result{false, L"Checksum mismatch: one-mib.bin"});
        CHECK_FALSE(outcome.file);
    }
    // Only the matching download is left.
    CHECK(folder.FileNames().size() == 1);
}

TEST_CASE("Sizes: a picture past 2 MiB is no picture, and a length past 4 GiB is read whole")
{
    StandInService service;
    service.LoadScenario(nlohmann::json{
        {"extends", "downloads"},
        {"files", {{"/f/large.png", {{"generate", {{"size", 3 << 20}, {"seed", 9}}}}},
                   {"/f/large-no-length.png", {{"generate", {{"size", 3 << 20}, {"seed", 9}}}}},
                   {"/f/past-4-gib.bin", {{"generate", {{"size", 4294967396LL}, {"seed", 10}}}}}}},
        {"faults", {{"/f/large-no-length.png", {{{"no_content_length", true}, {"repeat", true}}}},
                    {"/f/past-4-gib.bin", {{{"truncate", 65536}, {"repeat", true}}}}}}});
    ScopedDownloadFolder folder;
    DownloadManager manager;

    CHECK(manager.FetchToMemory(UrlOf(service, "/f/large.png")).empty());
    CHECK(manager.FetchToMemory(UrlOf(service, "/f/large-no-length.png")).empty());
    CHECK(manager.FetchToMemory(UrlOf(service, "/f/offer-1.png")).size() > 0);

    const auto [ok, text] = Download(manager, UrlOf(service, "/f/past-4-gib.bin"));
    CHECK_FALSE(ok);
    INFO(ToUtf8(text));
    CHECK(text.Find(L"[WINHTTP] Download was incomplete: content length: 4294967396, downloaded: ") == 0);
    CHECK(text.Find(L" [WININET] Download was incomplete: content length: 4294967396, downloaded: ") > 0);
}
