#include <doctest/doctest.h>

#include "DownloadTestSupport.h"
#include "MessageBoxRecorder.h"
#include "StandInService.h"
#include "profile/ConfigurationManager.h"
#include "framework/TextConversion.h"
#include "framework/UniqueHandle.h"
#include "transfer/DownloadManager.h"
#include "transfer/DownloadTarget.h"

#include <future>

TEST_CASE("A name taken from the URL is its last path segment without query string or fragment")
{
    CHECK(DownloadTarget::FileNameOfUrl(L"https://h/f/setup.exe") == L"setup.exe");
    CHECK(DownloadTarget::FileNameOfUrl(L"https://h/f/setup.exe?x=1") == L"setup.exe");
    CHECK(DownloadTarget::FileNameOfUrl(L"https://h/f/setup.exe#part") == L"setup.exe");
    CHECK(DownloadTarget::FileNameOfUrl(L"https://h/f/setup.exe?next=/a/b.exe") == L"setup.exe");
    CHECK(DownloadTarget::FileNameOfUrl(L"https://h/f/") == L"");
    CHECK(DownloadTarget::FileNameOfUrl(L"setup.exe") == L"");
}

TEST_CASE("File names that could leave the folder or cannot exist on Windows are refused")
{
    for (const wchar_t* name : {L"", L".", L"..", L"..\\up.exe", L"../up.exe", L"sub\\a.exe", L"C:a.exe",
                                L"C:\\a.exe", L"a?b.exe", L"a*b", L"a\"b", L"a<b", L"a>b", L"a|b", L"tab\there",
                                L"nul", L"NUL.txt", L"com1", L"lpt9.log", L"setup.exe.", L"setup.exe "}) {
        CAPTURE(CString(name).Str());
        CHECK_FALSE(DownloadTarget::IsSafeFileName(name));
    }
    for (const wchar_t* name : {L"setup.exe", L"Bramble Web Setup.exe", L"a..b.exe", L"com10.exe", L"console.exe",
                                L"%20.exe", L"\u00e9t\u00e9.exe"}) {
        CAPTURE(CString(name).Str());
        CHECK(DownloadTarget::IsSafeFileName(name));
    }
}

TEST_CASE("The target is the chosen name, or the URL's, directly inside the chosen folder")
{
    ScopedDownloadFolder folder;
    auto configuration = ConfigurationManager::Instance();
    DownloadManager manager;

    SUBCASE("the temporary folder or the download folder")
    {
        ScopedDownloadFolder other;
        configuration->m_downloadFolder = folder.Path();
        CHECK(manager.ResolveTargetPath(L"https://h/f/a.exe", L"", true) == other.FileAt(L"a.exe"));
        CHECK(manager.ResolveTargetPath(L"https://h/f/a.exe", L"b.exe", false) == folder.FileAt(L"b.exe"));
        CHECK(manager.ResolveTargetPath(L"https://h/f/a.exe?x=1", L"", false) == folder.FileAt(L"a.exe"));
    }
    SUBCASE("a refused name gives no path")
    {
        CHECK(manager.ResolveTargetPath(L"https://h/f/a.exe", L"..\\a.exe", true).IsEmpty());
        CHECK(manager.ResolveTargetPath(L"https://h/f/", L"", true).IsEmpty());
    }
    SUBCASE("a path too long for Windows gives no path")
    {
        CHECK(manager.ResolveTargetPath(L"https://h/f/a.exe", CString(L'x', 250) + L".exe", true).IsEmpty());
    }
}

TEST_CASE("An unsafe file name is refused before anything is sent or written")
{
    StandInService service;
    service.LoadScenario("downloads");
    ScopedDownloadFolder folder;
    DownloadManager manager;
    const CString url = CString(service.BaseUrl()) + L"/f/one-mib.bin";

    for (const wchar_t* name : {L"..\\escaped.bin", L"sub/escaped.bin", L"C:escaped.bin", L"..", L"nul"}) {
        CAPTURE(CString(name).Str());
        const auto [ok, text] = manager.DownloadFile(url, nullptr, name, true);
        CHECK_FALSE(ok);
        CHECK(text == CString(L"Invalid file name: ") + name);
    }
    // A URL that ends in a slash gives an empty name.
    const auto [ok, text] = manager.DownloadFile(CString(service.BaseUrl()) + L"/f/", nullptr, L"", true);
    CHECK_FALSE(ok);
    CHECK(text == L"Invalid file name: ");

    CHECK(folder.FileNames().empty());
    CHECK_FALSE(FileExists(folder.Path() + L"\\..\\escaped.bin"));
    CHECK(service.Requests().empty());
}

TEST_CASE("A folder that is not a directory is reported in a box and nothing is downloaded")
{
    StandInService service;
    service.LoadScenario("downloads");
    ScopedDownloadFolder folder;
    const CString notAFolder = folder.FileAt(L"plain-file");
    {
        const UniqueFileHandle file(
            CreateFileW(notAFolder, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        REQUIRE(file.IsValid());
    }
    ConfigurationManager::Instance()->m_tempFolder = notAFolder;
    MessageBoxRecorder boxes;
    DownloadManager manager;

    // Run on a worker, as the pages do: the box is shown from there.
    auto download = std::async(std::launch::async, &DownloadManager::DownloadFile, &manager,
                               CString(service.BaseUrl()) + L"/f/one-mib.bin", nullptr, CString(), true);
    const auto [ok, text] = WaitPumping(download);
    CHECK_FALSE(ok);
    CHECK(text == L"Invalid path");
    const auto shown = boxes.Requests();
    REQUIRE(shown.size() == 1);
    CHECK(shown[0].text == L"Invalid path");
    CHECK(shown[0].type == MB_OK);
    CHECK(service.Requests().empty());
    CHECK(folder.FileNames() == std::vector<CString>{L"plain-file"});
}
