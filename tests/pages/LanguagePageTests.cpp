#include <doctest/doctest.h>

#include "BuildVariant.h"
#include "MessageBoxRecorder.h"
#include "PageTestHelpers.h"
#include "locale/LanguageManager.h"
#include "pages/ErrorPage.h"
#include "pages/LanguagePage.h"
#include "pages/LanguagePageKV.h"
#include "profile/ConfigurationManager.h"
#include "resource.h"

#include <vector>

namespace {

std::unique_ptr<LanguagePageBase> MakeLanguagePage(std::shared_ptr<LanguageManager> manager, CWnd* parent)
{
    if (ConfigurationManager::Instance()->m_brandedPages) {
        return std::make_unique<LanguagePageKV>(std::move(manager), parent);
    }
    return std::make_unique<LanguagePage>(std::move(manager), parent);
}

}  // namespace

TEST_CASE("The language page shows localised texts at once and hands Next to the controller")
{
    MessageBoxRecorder boxes;
    auto manager = std::make_shared<LanguageManager>();
    PageHost host;
    auto page = MakeLanguagePage(manager, &host);
    REQUIRE(page->Create(page->TemplateId(), &host));
    const bool branded = ConfigurationManager::Instance()->m_brandedPages;

    CHECK(page->GetPageName() == (branded ? L"LanguagePageKV" : L"LanguagePage"));
    CHECK(ControlText(page->m_hWnd, IDC_NEXT) == L"Next");
    if (branded) {
        CHECK(ControlText(page->m_hWnd, IDC_SPLASH_TITLE_KV) == manager->GetString("SPLASH_TITLE_KV"));
        CHECK(ControlText(page->m_hWnd, IDC_SPLASH_TEXT_KV) == manager->GetString("SPLASH_TEXT_KV"));
        CHECK(ControlText(page->m_hWnd, IDC_SPLASH_TEXT_KV).Find(L"{") < 0);
        CHECK_FALSE(IsShownInItsPage(GetDlgItem(page->m_hWnd, IDC_LANGUAGE_LIST)));
    } else {
        CHECK(ControlText(page->m_hWnd, IDC_SPLASH_TEXT) ==
              L"To continue, please select your preferred language, and click \"Next\".");
        CHECK(IsShownInItsPage(GetDlgItem(page->m_hWnd, IDC_LANGUAGE_LIST)));
    }
    CHECK(LOWORD(page->SendMessage(DM_GETDEFID)) == IDC_NEXT);

    std::vector<ButtonType> pressed;
    ClickButton(page->m_hWnd, IDC_NEXT);
    CHECK(pressed.empty());
    page->SetButtonHandler([&pressed](ButtonType type) { pressed.push_back(type); });
    ClickButton(page->m_hWnd, IDC_NEXT);
    REQUIRE(pressed.size() == 1);
    CHECK(pressed[0] == ButtonType::Next);

    SUBCASE("Enter and Escape do nothing")
    {
        page->SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        page->SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        CHECK(IsWindow(page->m_hWnd));
        CHECK(pressed.size() == 1);
    }
    CHECK(boxes.Requests().empty());
}

TEST_CASE("Choosing another language relabels every existing page")
{
    auto manager = std::make_shared<LanguageManager>();
    PageHost host;
    LanguagePage languagePage(manager, &host);
    ErrorPage errorPage(manager, &host);
    REQUIRE(languagePage.Create(languagePage.TemplateId(), &host));
    REQUIRE(errorPage.Create(errorPage.TemplateId(), &host));
    HWND list = GetDlgItem(languagePage.m_hWnd, IDC_LANGUAGE_LIST);

    const auto choose = [&](const wchar_t* language) {
        const int index = static_cast<int>(SendMessageW(list, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                        reinterpret_cast<LPARAM>(language)));
        REQUIRE(index >= 0);
        SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        SendMessageW(languagePage.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_LANGUAGE_LIST, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(list));
    };

    choose(L"espa\x00F1ol");
    CHECK(ControlText(languagePage.m_hWnd, IDC_NEXT) == L"Siguiente");
    CHECK(ControlText(errorPage.m_hWnd, IDC_ERROR_CLOSE) == L"Cerrar");
    CHECK(ControlText(languagePage.m_hWnd, IDC_SPLASH_TEXT).Find(L"Siguiente") >= 0);
    CHECK(ConfigurationManager::Instance()->m_languageName == L"espa\x00F1ol");

    choose(L"English");
    CHECK(ControlText(languagePage.m_hWnd, IDC_NEXT) == L"Next");
    CHECK(ControlText(errorPage.m_hWnd, IDC_ERROR_CLOSE) == L"Close");
}
