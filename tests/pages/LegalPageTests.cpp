#include <doctest/doctest.h>

#include "MessageBoxRecorder.h"
#include "OfferElements.h"
#include "SetupLogForTests.h"
#include "framework/TextConversion.h"
#include "PageTestHelpers.h"
#include "locale/LanguageManager.h"
#include "pages/LanguagePage.h"
#include "pages/LanguagePageKV.h"
#include "pages/LicensePageIsv.h"
#include "pages/ProductPage.h"
#include "pages/WelcomePageIsv.h"
#include "profile/ConfigurationManager.h"
#include "resource.h"

#include <commctrl.h>
#include <richedit.h>

#include <array>
#include <string>
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
    std::shared_ptr<LanguageManager> manager = std::make_shared<LanguageManager>();
    PageHost host;
    std::unique_ptr<IPage> languagePage;
    std::array<CString, 3> saved;
};

// The addresses of the links a SysLink control made of its text, in order.
std::vector<std::wstring> LinkAddresses(HWND control)
{
    std::vector<std::wstring> addresses;
    for (int index = 0;; ++index) {
        LITEM item{};
        item.mask = LIF_ITEMINDEX | LIF_URL;
        item.iLink = index;
        if (!SendMessageW(control, LM_GETITEM, 0, reinterpret_cast<LPARAM>(&item))) {
            return addresses;
        }
        addresses.emplace_back(item.szUrl);
    }
}

// The control's parent told of a click on a link to the address, as the control tells it.
void ClickLink(HWND page, int controlId, const wchar_t* address)
{
    NMLINK click{};
    click.hdr.hwndFrom = GetDlgItem(page, controlId);
    click.hdr.idFrom = static_cast<UINT_PTR>(controlId);
    click.hdr.code = NM_CLICK;
    wcsncpy(click.item.szUrl, address, L_MAX_URL_LENGTH - 1);
    SendMessageW(page, WM_NOTIFY, static_cast<WPARAM>(controlId), reinterpret_cast<LPARAM>(&click));
}

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

TEST_CASE_FIXTURE(LegalPageFixture, "Configured names and addresses add no links of their own, and only web links open")
{
    const auto offer = MakeOffer({{"dn", "Fast <a href=\"file:///C:/windows/system32/cmd.exe\">Tool</a>"},
                                  {"cp", "https://p.example/privacy\"><a href=\"file:///C:/x"},
                                  {"ctu", "https://p.example/eula"}});
    ProductPage page(manager, offer, &host);
    REQUIRE(page.Create(page.TemplateId(), &host));

    HWND disclaimer = GetDlgItem(page.m_hWnd, IDC_OFFER_DISCLAIMER);
    CHECK(LinkAddresses(disclaimer) ==
          std::vector<std::wstring>{L"https://p.example/privacy%22%3E%3Ca%20href=%22file:///C:/x", L"https://p.example/eula"});
    // The name is shown as configured, tags and all.
    CString shown = ControlText(page.m_hWnd, IDC_OFFER_DISCLAIMER);
    shown.Replace(L"\u200B", L"");
    CHECK(shown.Find(L"Fast <a href=\"file:///C:/windows/system32/cmd.exe\">Tool</a>") >= 0);

    ScopedSetupLog log;
    for (const wchar_t* address : {L"file:///C:/windows/system32/cmd.exe", L"\\\\server\\share\\setup.exe",
                                   L"C:\\windows\\system32\\cmd.exe"}) {
        ClickLink(page.m_hWnd, IDC_OFFER_DISCLAIMER, address);
        CHECK(log.Contains("Link refused: " + ToUtf8(std::wstring_view(address)) + " is not a web address"));
    }
}
