#include <doctest/doctest.h>

#include "DownloadTestSupport.h"
#include "MessageBoxRecorder.h"
#include "profile/ConfigurationManager.h"
#include "transfer/DownloadTarget.h"

#include <fstream>

TEST_CASE("A name taken from the URL is its last path segment without query string or fragment")
{
    CHECK(DownloadTarget::FileNameOfUrl(L"https://h/f/setup.exe") == L"setup.exe");
    CHECK(DownloadTarget::FileNameOfUrl(L"https://h/f/setup.exe?x=1") == L"setup.exe");
    CHECK(DownloadTarget::FileNameOfUrl(L"https://h/f/setup.exe#a?b") == L"setup.exe");
    CHECK(DownloadTarget::FileNameOfUrl(L"https://h/f/setup.exe?next=/a/b.exe") == L"setup.exe");
    CHECK(DownloadTarget::FileNameOfUrl(L"https://h/f/") == L"");
}

TEST_CASE("File names that could leave the folder or cannot exist on Windows are refused")
{
    for (const wchar_t* name : {L"", L".", L"..", L"..\\up.exe", L"../up.exe", L"C:a.exe", L"a?b", L"a*b", L"a\"b",
                                L"a<b", L"a|b", L"tab\there", L"setup.exe."}) {
        CAPTURE(ToUtf8(std::wstring_view(name)));
        CHECK_FALSE(DownloadTarget::IsSafeFileName(name));
    }
    // Every reserved device name, with and without an extension, in any case.
    for (const wchar_t* device : {L"CON", L"PRN", L"AUX", L"NUL", L"COM0", L"COM1", L"COM9", L"LPT0", L"LPT1", L"LPT9",
                                  L"COM\u00B9", L"COM\u00B2", L"COM\u00B3", L"LPT\u00B9", L"LPT\u00B3", L"com1", L"nul"}) {
        for (const CString& name : {CString(device), CString(device) + L".txt", CString(device) + L".tar.gz"}) {
            CAPTURE(ToUtf8(name));
            CHECK_FALSE(DownloadTarget::IsSafeFileName(name));
        }
    }
    for (const wchar_t* name : {L"Bramble Web Setup.exe", L"a..b.exe", L"COM10", L"com10.exe", L"LPT10.txt", L"COMA",
                                L"console.exe", L"nullify.exe", L"\u00e9t\u00e9"}) {
        CAPTURE(ToUtf8(std::wstring_view(name)));
        CHECK(DownloadTarget::IsSafeFileName(name));
    }
}

TEST_CASE("The target is the chosen name, or the URL's, directly inside the chosen folder; a taken one is numbered")
{
    ScopedDownloadFolder temp;
    CHECK(DownloadTarget::Resolve(temp.Path(), L"https://h/f/a.exe?x=1", L"").path == temp.FileAt(L"a.exe"));
    CHECK(DownloadTarget::Resolve(temp.Path(), L"https://h/f/a.exe", L"b.exe").path == temp.FileAt(L"b.exe"));
    CHECK(DownloadTarget::Resolve(temp.Path(), L"https://h/f/a.exe", L"..\\a.exe").path.IsEmpty());
    // Past MAX_PATH.
    CHECK(DownloadTarget::Resolve(temp.Path(), L"https://h/f/a.exe", CString(L'x', 250)).path.IsEmpty());

    CHECK(DownloadTarget::Numbered(L"D:\\v1.2\\Setup.exe", 2) == L"D:\\v1.2\\Setup (2).exe");
    CHECK(DownloadTarget::Numbered(L"D:\\v1.2\\Setup", 12) == L"D:\\v1.2\\Setup (12)");
}

TEST_CASE("An unsafe file name is refused before anything is sent or written")
{
    StandInService service;
    service.LoadScenario("downloads");
    ScopedDownloadFolder folder;
    DownloadManager manager;

    for (const wchar_t* name : {L"..\\escaped.bin", L"sub/escaped.bin", L"C:escaped.bin", L"..", L"nul"}) {
        CAPTURE(ToUtf8(std::wstring_view(name)));
        CHECK(manager.DownloadFile({UrlOf(service, "/f/one-mib.bin"), name}, nullptr).result ==
              DownloadManager::Result{false, L"Invalid file name: " + CString(name)});
    }
    // A URL that ends in "/" and no name given.
    CHECK(manager.DownloadFile({UrlOf(service, "/f/")}, nullptr).result ==
          DownloadManager::Result{false, L"Invalid file name: "});
    CHECK(folder.FileNames().empty());
    CHECK(GetFileAttributesW(folder.Path() + L"\\..\\escaped.bin") == INVALID_FILE_ATTRIBUTES);
    CHECK(service.Requests().empty());
}

TEST_CASE("A folder that is not a directory is reported in a box from the worker and nothing is downloaded")
{
    StandInService service;
    service.LoadScenario("downloads");
    ScopedDownloadFolder folder;
    const CString notAFolder = folder.FileAt(L"plain-file");
    std::ofstream(std::filesystem::path(notAFolder.Str())) << "x";
    ConfigurationManager::Instance()->m_tempFolder = notAFolder;
    MessageBoxRecorder boxes;
    DownloadManager manager;

    CHECK(Download(manager, UrlOf(service, "/f/one-mib.bin")) == DownloadManager::Result{false, L"Invalid path"});
    const auto shown = boxes.Requests();
    REQUIRE(shown.size() == 1);
    CHECK(shown[0].text == L"Invalid path");
    CHECK(shown[0].type == MB_OK);
    CHECK(service.Requests().empty());
    CHECK(folder.FileNames() == std::vector<CString>{L"plain-file"});
}
