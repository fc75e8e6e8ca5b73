#include <doctest/doctest.h>

#include "MessageBoxRecorder.h"
#include "PageTestHelpers.h"
#include "locale/LanguageManager.h"
#include "pages/LanguagePage.h"
#include "pages/LanguagePageKV.h"
#include "pages/LicensePageIsv.h"
#include "pages/WelcomePageIsv.h"
#include "profile/ConfigurationManager.h"
#include "resource.h"

#include <richedit.h>

#include <array>
#include <vector>

namespace {

// A host with the build's language page, which loads the texts, and the legal addresses of one case.
struct LegalPageFixture {
    LegalPageFixture()
    {
        const auto configuration = ConfigurationManager::Instance();
        saved = {configuration->m_privacyUrl, configuration->m_termsUrl, configuration->m_sdkLicenseUrl};
        if (configuration->m_brandedPages) {
            languagePage = std::make_unique<LanguagePageKV>(manager, &host);
        } else {
            languagePage = std::make_unique<LanguagePage>(manager, &host);
        }
        REQUIRE(languagePage->Create(languagePage->TemplateId(), &host));
    }
    ~LegalPageFixture()
    {
        const auto configuration = ConfigurationManager::Instance();
        configuration->m_privacyUrl = saved[0];
        configuration->m_termsUrl = saved[1];
        configuration->m_sdkLicenseUrl = saved[2];
    }

    std::vector<ButtonType> Pressed(IPage& page, int controlId)
    {
        std::vector<ButtonType> pressed;
        page.SetButtonHandler([&pressed](ButtonType type) { pressed.push_back(type); });
        ClickButton(page.m_hWnd, controlId);
        return pressed;
    }

    MessageBoxRecorder boxes;
    std::shared_ptr<LanguageManager> manager = std::make_shared<LanguageManager>(nullptr);
    PageHost host;
    std::unique_ptr<IPage> languagePage;
    std::array<CString, 3> saved;
};

int WidthOf(HWND control)
{
    RECT rect{};
    GetWindowRect(control, &rect);
    return rect.right - rect.left;
}

}  // namespace

TEST_CASE_FIXTURE(LegalPageFixture, "The welcome page hides each link without an address and fits the others to their texts")
{
    const auto configuration = ConfigurationManager::Instance();
    configuration->m_privacyUrl = L"https://www.kelvane.example/privacy";
    configuration->m_termsUrl = CString();
    configuration->m_sdkLicenseUrl = CString();
    WelcomePageIsv page(manager, &host);
    REQUIRE(page.Create(page.TemplateId(), &host));
    CHECK(page.GetPageName() == L"WelcomePage");

    HWND privacy = GetDlgItem(page.m_hWnd, IDC_PRIVACY_LINK);
    CHECK(IsShownInItsPage(privacy));
    CHECK(ControlText(page.m_hWnd, IDC_PRIVACY_LINK) == manager->GetString("PRIVACY_LINK"));
    // Sized to its text: narrower than the 72 units of the template, and wide enough for the text.
    HDC dc = GetDC(privacy);
    SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(privacy, WM_GETFONT, 0, 0)));
    SIZE extent{};
    const CString text = ControlText(page.m_hWnd, IDC_PRIVACY_LINK);
    GetTextExtentPoint32W(dc, text, text.GetLength(), &extent);
    ReleaseDC(privacy, dc);
    CHECK(WidthOf(privacy) >= extent.cx);
    CHECK(WidthOf(privacy) <= extent.cx + 2);

    CHECK_FALSE(IsShownInItsPage(GetDlgItem(page.m_hWnd, IDC_TERMS_LINK)));
    CHECK_FALSE(IsShownInItsPage(GetDlgItem(page.m_hWnd, IDC_SDK_LINK)));
    const bool dlm = configuration->m_wizardType == WIZARD_DLM;
    CHECK(ControlText(page.m_hWnd, IDC_TERMS_LINK) == manager->GetString(dlm ? "TOS_LINK" : "EULA_LINK"));
    CHECK(ControlText(page.m_hWnd, IDC_WELCOME_PRODUCT) == configuration->m_productTitle);

    const auto pressed = Pressed(page, IDC_NEXT);
    REQUIRE(pressed.size() == 1);
    CHECK(pressed[0] == ButtonType::Next);
}

TEST_CASE_FIXTURE(LegalPageFixture, "The licence page links the terms and privacy addresses; Agree goes on, Back goes back")
{
    const auto configuration = ConfigurationManager::Instance();
    if (!configuration->m_brandedPages) {
        return;  // The licence texts belong to the branded page set.
    }
    configuration->m_termsUrl = L"https://www.kelvane.example/terms";
    configuration->m_privacyUrl = L"https://www.kelvane.example/privacy";
    LicensePageIsv page(manager, &host);
    REQUIRE(page.Create(page.TemplateId(), &host));
    CHECK(page.GetPageName() == L"LicensePage");

    const CString links = ControlText(page.m_hWnd, IDC_LICENSE_LINKS);
    CHECK(links.Find(L"href=\"https://www.kelvane.example/terms\"") >= 0);
    CHECK(links.Find(L"href=\"https://www.kelvane.example/privacy\"") >= 0);
    CHECK(links.Find(L"[LICENSE_") < 0);
    HWND agreement = GetDlgItem(page.m_hWnd, IDC_LICENSE_AGREEMENT);
    CHECK(SendMessageW(agreement, EM_GETAUTOURLDETECT, 0, 0) != 0);
    CHECK(ControlText(page.m_hWnd, IDC_LICENSE_AGREEMENT).Left(20) == L"BRAMBLE WEB END USER");
    CHECK((GetWindowLongW(agreement, GWL_STYLE) & ES_READONLY) != 0);

    auto pressed = Pressed(page, IDC_AGREE);
    REQUIRE(pressed.size() == 1);
    CHECK(pressed[0] == ButtonType::Next);
    pressed = Pressed(page, IDC_BACK);
    REQUIRE(pressed.size() == 1);
    CHECK(pressed[0] == ButtonType::Back);
}
