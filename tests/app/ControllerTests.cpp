#include <doctest/doctest.h>

#include "BuildVariant.h"
#include "ControllerFixture.h"
#include "MessageBoxRecorder.h"
#include "StandInService.h"
#include "WindowTestHelpers.h"
#include "framework/TextConversion.h"
#include "profile/ConfigurationManager.h"
#include "profile/MachineFacts.h"
#include "remote/ApiManager.h"
#include "remote/Package.h"
#include "resource.h"

#include <shlwapi.h>

#include <chrono>
#include <thread>

using namespace std::chrono_literals;

namespace {

bool HasCloseItem(HWND window)
{
    return GetMenuState(GetSystemMenu(window, FALSE), SC_CLOSE, MF_BYCOMMAND) != static_cast<UINT>(-1);
}

int CloseItems(HWND window)
{
    HMENU menu = GetSystemMenu(window, FALSE);
    int count = 0;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        count += GetMenuItemID(menu, i) == SC_CLOSE ? 1 : 0;
    }
    return count;
}

}  // namespace

TEST_CASE_FIXTURE(ControllerFixture, "The wizard starts on the language page with the loading page next")
{
    CHECK(peer.PageCount() == 2);
    CHECK(peer.CurrentPage() == 0);
    CHECK(peer.Page(0).GetPageName() ==
          (ConfigurationManager::Instance()->m_brandedPages ? L"LanguagePageKV" : L"LanguagePage"));
    CHECK(IsWindowVisible(peer.Page(0).m_hWnd));
    CHECK_FALSE(IsWindowVisible(peer.Page(1).m_hWnd));
    CHECK_FALSE(IsWindowVisible(peer.Error().m_hWnd));
    CHECK(boxes.Requests().empty());
}

TEST_CASE_FIXTURE(ControllerFixture, "Next from the first page reports the product once, Back skips the loading page")
{
    NamedPage& licence = peer.AddNamedPage(L"LicensePage", PageKind::Welcome);
    peer.Press(ButtonType::Next);
    CHECK(peer.CurrentPage() == 1);
    auto setup = ConfigurationManager::Instance()->m_setupPackage;
    REQUIRE(setup);
    CHECK(setup->m_isMainProduct);
    REQUIRE(WaitForEvents("1", 1));

    peer.Press(ButtonType::Next);
    CHECK(peer.CurrentPage() == 2);
    CHECK(licence.m_navigations == 1);
    peer.Press(ButtonType::Back);
    CHECK(peer.CurrentPage() == 0);
    CHECK(IsWindowVisible(peer.Page(0).m_hWnd));
    CHECK_FALSE(IsWindowVisible(licence.m_hWnd));
    peer.Press(ButtonType::Next);
    CHECK(peer.CurrentPage() == 2);
    CHECK(licence.m_navigations == 2);
    CHECK(ConfigurationManager::Instance()->m_setupPackage == setup);
    PumpMessagesFor(1500ms);
    CHECK(EventsWithId("1") == 1);
}

TEST_CASE_FIXTURE(ControllerFixture, "The offers arrive by message and the configured pages follow in order")
{
    const auto configuration = ConfigurationManager::Instance();
    peer.Press(ButtonType::Next);
    peer.Loading().m_completionHandler({});
    CHECK(peer.PageCount() == 2);
    REQUIRE(PumpMessagesUntil([this] { return peer.CurrentPage() == 2; }, 5s));
    if (!IsIsvBuild()) {
        CHECK(dialog.GetWindowText() == configuration->m_productTitle + L" Setup");
    }
    std::vector<CString> expected;
    if (configuration->m_heritagePages) {
        expected.push_back(L"WarningPageKVHeritage");
    }
    expected.push_back(configuration->m_brandedPages ? L"LicensePage" : L"WelcomePage");
    if (configuration->m_heritagePages) {
        expected.insert(expected.end(), {L"OptionsPageKVHeritage", L"ConfigurationsPageKVHeritage"});
    }
    expected.push_back(IsIsvBuild() ? L"DownloadPageISV" : L"DownloadPageDLM");
    expected.push_back(IsIsvBuild() ? L"FinishPageISV" : L"FinishPageDLM");
    std::vector<CString> names;
    for (int index = 2; index < peer.PageCount(); ++index) {
        names.push_back(peer.Page(index).GetPageName());
    }
    CHECK(names == expected);

    // With no offer, Agree (or Next) walks straight through to the download page.
    while (peer.Page(peer.CurrentPage()).GetPageKind() != PageKind::Download && peer.CurrentPage() < 8) {
        peer.Press(ButtonType::Next);
    }
    CHECK(peer.Page(peer.CurrentPage()).GetPageKind() == PageKind::Download);

    // Back from the first configured page returns to the language page, and Next comes back to it.
    peer.ShowPage(2);
    peer.Press(ButtonType::Back);
    CHECK(peer.CurrentPage() == 0);
    peer.Press(ButtonType::Next);
    CHECK(peer.CurrentPage() == 2);
}

TEST_CASE_FIXTURE(ControllerFixture, "Closing asks for confirmation exactly while there is something to lose")
{
    const auto askedAndStayed = [&] {
        boxes.Clear();
        dialog.SendMessage(WM_CLOSE);
        const auto requests = boxes.Requests();
        return requests.size() == 1 && IsWindow(dialog.m_hWnd) && IsWindowVisible(dialog.m_hWnd);
    };

    SUBCASE("before the configuration has arrived, on either page")
    {
        CHECK(askedAndStayed());
        const auto question = boxes.Requests().front();
        CHECK(question.text == L"Are you sure you want to exit the installer?");
        CHECK(question.caption == L"");
        CHECK(question.type == (MB_OKCANCEL | MB_ICONQUESTION));
        peer.Press(ButtonType::Next);
        CHECK(askedAndStayed());
    }
    SUBCASE("with installers running the question says so")
    {
        peer.AddNamedPage(L"DownloadPageISV", PageKind::Download);
        peer.AddNamedPage(L"FinishPageISV", PageKind::Finish);
        peer.Press(ButtonType::Next);
        peer.Press(ButtonType::Next);
        peer.SetInstallInProgress(true);
        CHECK(askedAndStayed());
        CHECK(boxes.Requests().front().text.Left(40) == L"Some installer processes are already run");
    }
    SUBCASE("on the last page nothing is asked and the run ends cleanly")
    {
        peer.AddNamedPage(L"FinishPageISV", PageKind::Finish);
        peer.Press(ButtonType::Next);
        REQUIRE(WaitForEvents("1", 1));
        peer.Press(ButtonType::Next);
        const CString temp = ConfigurationManager::Instance()->m_tempFolder;
        CloseHandle(CreateFileW(temp + L"\\leftover.bin", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        boxes.Clear();
        dialog.SendMessage(WM_CLOSE);
        CHECK(boxes.Requests().empty());
        CHECK(dialog.m_hWnd == nullptr);
        CHECK_FALSE(PathFileExistsW(temp));
        CHECK(peer.RunCancelled());
        CHECK(WaitForEvents("5", 1));
    }
}

TEST_CASE_FIXTURE(ControllerFixture, "A page's error ends on the error page, after which closing asks nothing")
{
    NamedPage& licence = peer.AddNamedPage(L"LicensePage", PageKind::Welcome);
    peer.Press(ButtonType::Next);
    peer.Press(ButtonType::Next);
    licence.Report(L"Something went wrong", L"Please try to download later");
    CHECK(peer.ErrorShown());
    CHECK(IsWindowVisible(peer.Error().m_hWnd));
    CHECK_FALSE(IsWindowVisible(licence.m_hWnd));
    wchar_t title[256] = {};
    GetDlgItemTextW(peer.Error().m_hWnd, IDC_ERROR_TITLE, title, 256);
    CHECK(std::wstring(title) == L"Something went wrong");
    CHECK(CloseItems(dialog.m_hWnd) == 1);

    const CString temp = ConfigurationManager::Instance()->m_tempFolder;
    CloseHandle(CreateFileW(temp + L"\\installer.exe", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    boxes.Clear();
    SUBCASE("the close box")
    {
        dialog.SendMessage(WM_CLOSE);
    }
    SUBCASE("the page's Close: what was downloaded goes too")
    {
        peer.Press(ButtonType::Close);
    }
    CHECK(boxes.Requests().empty());
    CHECK(dialog.m_hWnd == nullptr);
    CHECK(peer.RunCancelled());
    CHECK_FALSE(PathFileExistsW(temp));
}

TEST_CASE_FIXTURE(ControllerFixture, "The system menu loses Close on the download page and gets it back on the finish page")
{
    peer.AddNamedPage(L"DownloadPageISV", PageKind::Download);
    peer.AddNamedPage(L"FinishPageISV", PageKind::Finish);
    peer.ShowPage(2);
    CHECK_FALSE(HasCloseItem(dialog.m_hWnd));
    peer.ShowPage(3);
    CHECK(CloseItems(dialog.m_hWnd) == 1);
    peer.Press(ButtonType::Finish);
    CHECK(dialog.m_hWnd == nullptr);
}

TEST_CASE_FIXTURE(ControllerFixture, "The offer buttons move past the offer pages the sequence passes over")
{
    std::vector<std::shared_ptr<Package>> offers;
    for (int i = 0; i < 3; ++i) {
        offers.push_back(std::make_shared<Package>(ApiManager::Instance()->MakeBaseRequest(), false, L"offer",
                                                   CString(), L"offer", CString(), i));
        peer.AddNamedPage(L"ProductPage", PageKind::Offer);
    }
    NamedPage& download = peer.AddNamedPage(L"DownloadPageISV", PageKind::Download);
    peer.SetOffers(offers);
    peer.ShowPage(2);
    peer.Press(ButtonType::Accept);
    CHECK(peer.CurrentPage() == 3);
    peer.Press(ButtonType::SkipAll);
    CHECK(peer.CurrentPage() == 5);
    CHECK(download.m_navigations == 1);
}
