#include <doctest/doctest.h>

#include "GdiPlusForTests.h"
#include "PageTestHelpers.h"
#include "WindowTestHelpers.h"
#include "framework/AfxGlobals.h"
#include "framework/GdiPlus.h"
#include "locale/LanguageManager.h"
#include "pages/CStaticFromImage.h"
#include "pages/ErrorPage.h"
#include "framework/ImageLoading.h"
#include "pages/IPage.h"
#include "pages/LanguagePage.h"
#include "pages/LoadingPage.h"
#include "resource.h"

#include <commctrl.h>

#include <chrono>

using namespace std::chrono_literals;

namespace {

// A page on the error page's template whose Close button is bound to a key no document has.
class UnknownKeyPage : public IPage {
public:
    UnknownKeyPage(std::shared_ptr<LanguageManager> manager, CWnd* parent)
        : IPage(std::move(manager), IDD_ERROR_PAGE, parent)
    {
    }
    void OnNavigateToPage() override {}
    CString GetPageName() const override { return L"UnknownKeyPage"; }
    PageKind GetPageKind() const override { return PageKind::Error; }
    BOOL OnInitDialog() override
    {
        IPage::OnInitDialog();
        BindText("NO_SUCH_KEY", IDC_ERROR_CLOSE);
        BindText("BUTTON_NEXT", IDC_ERROR_TITLE);
        UpdateTexts();
        return TRUE;
    }
};

COLORREF CenterPixel(HWND control)
{
    RECT client;
    GetClientRect(control, &client);
    HDC dc = GetDC(control);
    const COLORREF color = GetPixel(dc, client.right / 2, client.bottom / 2);
    ReleaseDC(control, dc);
    return color;
}

}  // namespace

TEST_CASE("A key without text leaves the template's text in place")
{
    auto manager = std::make_shared<LanguageManager>();
    PageHost host;
    UnknownKeyPage page(manager, &host);
    REQUIRE(page.Create(page.TemplateId(), &host));
    CHECK(ControlText(page.m_hWnd, IDC_ERROR_CLOSE) == L"Close");
    CHECK(ControlText(page.m_hWnd, IDC_ERROR_TITLE) == L"");
}

TEST_CASE("Every page paints its bottom band with the accent colour")
{
    auto manager = std::make_shared<LanguageManager>();
    PageHost host;
    UnknownKeyPage page(manager, &host);
    REQUIRE(page.Create(page.TemplateId(), &host));
    const ControlColors band = StaticColorsOf(page.m_hWnd, IDC_PAGE_BAND);
    CHECK(BrushColor(band.brush) == RGB(127, 188, 66));
    CHECK(band.backgroundMode == TRANSPARENT);
}

TEST_CASE("Images come from the resources; a missing one is simply empty")
{
    const auto logo = LoadImageResource(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDR_IMAGE_LOGO), L"IMAGE_BLOB");
    REQUIRE(logo);
    CHECK(logo->GetWidth() == 256);
    CHECK(logo->GetHeight() == 256);
    const auto tick = LoadImageResource(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDR_IMAGE_SUCCESS), L"IMAGE_BLOB2");
    REQUIRE(tick);
    CHECK(tick->GetWidth() == 512);
    CHECK_FALSE(LoadImageResource(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDR_IMAGE_SUCCESS), L"IMAGE_BLOB"));
    CHECK_FALSE(LoadImageFromBytes("not an image", 12));
}

TEST_CASE("The image control paints its image stretched, and only the background without one")
{
    auto manager = std::make_shared<LanguageManager>();
    PageHost host;
    UnknownKeyPage page(manager, &host);
    page.SetBackgroundColor(RGB(255, 255, 255));
    REQUIRE(page.Create(page.TemplateId(), &host));
    CStaticFromImage picture;
    REQUIRE(picture.SubclassDlgItem(IDC_PAGE_IMAGE, &page));
    page.ShowWindow(SW_SHOW);

    picture.LoadImage(IDR_IMAGE_SUCCESS, L"IMAGE_BLOB2");
    REQUIRE(picture.GetImage());
    picture.UpdateWindow();
    PumpMessagesFor(100ms);
    const COLORREF painted = CenterPixel(picture.m_hWnd);
    CHECK(GetGValue(painted) > 150);
    CHECK(GetGValue(painted) > GetRValue(painted) + 40);
    CHECK(GetGValue(painted) > GetBValue(painted) + 40);

    picture.SetImage(nullptr);
    picture.UpdateWindow();
    PumpMessagesFor(100ms);
    CHECK(CenterPixel(picture.m_hWnd) == RGB(255, 255, 255));
}

TEST_CASE("The loading page turns its bar into a marquee when shown")
{
    auto manager = std::make_shared<LanguageManager>();
    PageHost host;
    LoadingPage page(manager, &host);
    REQUIRE(page.Create(page.TemplateId(), &host));
    CHECK(page.GetPageName() == L"LoadingPage");
    HWND bar = GetDlgItem(page.m_hWnd, IDC_PROGRESS);
    CHECK((GetWindowLongPtrW(bar, GWL_STYLE) & PBS_MARQUEE) == 0);
    page.OnNavigateToPage();
    CHECK((GetWindowLongPtrW(bar, GWL_STYLE) & PBS_MARQUEE) != 0);
    CHECK(SendMessageW(bar, PBM_GETRANGE, TRUE, 0) == 0);
    CHECK(SendMessageW(bar, PBM_GETRANGE, FALSE, 0) == 100);
}

TEST_CASE("Texts go to whichever control has the bound id now, and never to a page whose window is gone")
{
    auto manager = std::make_shared<LanguageManager>();
    PageHost host;
    LanguagePage languages(manager, &host);
    REQUIRE(languages.Create(languages.TemplateId(), &host));
    REQUIRE(manager->SetLanguage(L"English"));
    auto page = std::make_unique<UnknownKeyPage>(manager, &host);
    REQUIRE(page->Create(page->TemplateId(), &host));
    CHECK(ControlText(page->m_hWnd, IDC_ERROR_TITLE) == L"Next");

    // The control is replaced by another with the same id, as a page may rebuild a control.
    DestroyWindow(GetDlgItem(page->m_hWnd, IDC_ERROR_TITLE));
    REQUIRE(CreateWindowW(L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 100, 20, page->m_hWnd,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_ERROR_TITLE)), nullptr, nullptr));
    REQUIRE(manager->SetLanguage(L"espa\x00F1ol"));
    CHECK(ControlText(page->m_hWnd, IDC_ERROR_TITLE) == L"Siguiente");

    // Its window ends before the page object: later language changes pass it by.
    page->DestroyWindow();
    REQUIRE(manager->SetLanguage(L"English"));
    CHECK(ControlText(languages.m_hWnd, 1010) == L"Next");
    page.reset();
    REQUIRE(manager->SetLanguage(L"espa\x00F1ol"));
}

TEST_CASE("When GDI+ cannot start, pictures stay empty and pages still show")
{
    GdiPlusOutage outage;
    REQUIRE(outage.Refused());
    CHECK_FALSE(GdiPlusSession::IsRunning());
    CHECK_FALSE(LoadImageResource(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDR_IMAGE_LOGO), L"IMAGE_BLOB"));

    auto manager = std::make_shared<LanguageManager>();
    PageHost host;
    ErrorPage page(manager, &host);
    page.SetBackgroundColor(RGB(255, 255, 255));
    REQUIRE(page.Create(page.TemplateId(), &host));
    page.ShowWindow(SW_SHOW);
    HWND picture = GetDlgItem(page.m_hWnd, IDC_PAGE_IMAGE);
    REQUIRE(picture);
    UpdateWindow(picture);
    PumpMessagesFor(100ms);
    CHECK(CenterPixel(picture) == RGB(255, 255, 255));
    CHECK(ControlText(page.m_hWnd, IDC_ERROR_CLOSE) == L"Close");
}
