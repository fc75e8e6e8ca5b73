#include <doctest/doctest.h>

#include "ControlFontDC.h"
#include "GalleryWizard.h"
#include "MessageBoxRecorder.h"
#include "PageTestHelpers.h"
#include "framework/GdiPlus.h"
#include "framework/TextConversion.h"
#include "locale/LanguageManager.h"
#include "profile/ConfigurationManager.h"
#include "resource.h"

#include <commctrl.h>
#include <tinyxml2.h>

#include <algorithm>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Room a push button keeps for its frame and focus rectangle, on each side.
constexpr int kButtonBorder = 3;
// Between a check box's or radio button's box and its text.
constexpr int kBoxGap = 4;

// A control's text as it is drawn, the room it takes in the control's font and the room the control has.
struct TextFit {
    std::wstring text;
    SIZE needed{};
    SIZE available{};
};

std::wstring ClassOf(HWND control)
{
    wchar_t name[64] = {};
    GetClassNameW(control, name, 64);
    return name;
}

// A SysLink control shows its markup without the anchor tags.
std::wstring WithoutLinkTags(const std::wstring& markup)
{
    static const std::wregex tag(L"</?a\\b[^>]*>", std::regex::icase);
    return std::regex_replace(markup, tag, L"");
}

SIZE DrawnExtent(HWND control, const std::wstring& text, UINT format, int width)
{
    const ControlFontDC dc(control);
    RECT rect{0, 0, width, 0};
    DrawTextW(dc.Get(), text.c_str(), static_cast<int>(text.size()), &rect, format | DT_CALCRECT);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

// Nothing for controls without a text of their own to fit: pictures, rules, edits, lists, bars.
std::optional<TextFit> MeasureText(HWND control)
{
    const std::wstring text = ControlText(GetParent(control), GetDlgCtrlID(control)).Str();
    if (text.empty()) {
        return std::nullopt;
    }
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    RECT client{};
    GetClientRect(control, &client);
    const SIZE room{client.right, client.bottom};
    const std::wstring kind = ClassOf(control);

    if (_wcsicmp(kind.c_str(), WC_STATICW) == 0) {
        const LONG type = style & SS_TYPEMASK;
        const UINT prefix = (style & SS_NOPREFIX) ? DT_NOPREFIX : 0;
        if (type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT) {
            return TextFit{text, DrawnExtent(control, text, DT_WORDBREAK | DT_EXPANDTABS | prefix, room.cx), room};
        }
        if (type == SS_LEFTNOWORDWRAP || type == SS_SIMPLE) {
            return TextFit{text, DrawnExtent(control, text, DT_SINGLELINE | DT_EXPANDTABS | prefix, room.cx), room};
        }
        return std::nullopt;
    }
    if (_wcsicmp(kind.c_str(), WC_LINK) == 0) {
        const std::wstring shown = WithoutLinkTags(text);
        return TextFit{shown, DrawnExtent(control, shown, DT_WORDBREAK | DT_NOPREFIX, room.cx), room};
    }
    if (_wcsicmp(kind.c_str(), WC_BUTTONW) == 0) {
        const UINT lines = (style & BS_MULTILINE) ? DT_WORDBREAK : DT_SINGLELINE;
        switch (style & BS_TYPEMASK) {
        case BS_PUSHBUTTON:
        case BS_DEFPUSHBUTTON: {
            const SIZE label = DrawnExtent(control, text, lines, room.cx - 2 * kButtonBorder);
            return TextFit{text, {label.cx + 2 * kButtonBorder, label.cy + 2 * kButtonBorder}, room};
        }
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_3STATE:
        case BS_AUTO3STATE:
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON: {
            const int box = GetSystemMetrics(SM_CXMENUCHECK) + kBoxGap;
            const SIZE label = DrawnExtent(control, text, lines, room.cx - box);
            return TextFit{text, {label.cx + box, label.cy}, room};
        }
        default:
            return std::nullopt;
        }
    }
    return std::nullopt;
}

// The display names of the build's language documents; a document listed under two ids counts once.
std::vector<CString> LanguagesOfBuild(const LanguageManager& languages)
{
    std::vector<CString> names;
    for (const UINT id : languages.LocaleResourceIds()) {
        tinyxml2::XMLDocument document;
        REQUIRE(languages.LoadLocaleDocument(id, document));
        const tinyxml2::XMLElement* locale = document.FirstChildElement("Locale");
        REQUIRE(locale);
        REQUIRE(locale->Attribute("name"));
        const CString name = LanguageManager::LocaleDisplayName(AnsiToCString(locale->Attribute("name")));
        if (std::find(names.begin(), names.end(), name) == names.end()) {
            names.push_back(name);
        }
    }
    return names;
}

BOOL CALLBACK CollectChild(HWND child, LPARAM children)
{
    reinterpret_cast<std::vector<HWND>*>(children)->push_back(child);
    return TRUE;
}

std::vector<HWND> ChildrenOf(HWND page)
{
    std::vector<HWND> children;
    EnumChildWindows(page, CollectChild, reinterpret_cast<LPARAM>(&children));
    return children;
}

std::string Describe(const CString& page, HWND control, const CString& language, const TextFit& fit,
                     const RECT& bounds, const RECT& pageArea)
{
    std::wstring shown = fit.text.substr(0, 60);
    std::replace_if(shown.begin(), shown.end(), [](wchar_t c) { return c == L'\r' || c == L'\n'; }, L' ');
    std::wostringstream text;
    text << page.Str() << L", control " << GetDlgCtrlID(control) << L", language " << language.Str() << L": \""
         << shown << L"\" needs " << fit.needed.cx << L"x" << fit.needed.cy << L" px, has "
         << fit.available.cx << L"x" << fit.available.cy << L", placed at " << bounds.left << L"," << bounds.top
         << L" to " << bounds.right << L"," << bounds.bottom << L" in a page of " << pageArea.right << L"x"
         << pageArea.bottom;
    return ToUtf8(text.str());
}

// Checks every shown text control of the page; the count of those it measured.
int CheckTextsFit(HWND page, const CString& pageName, const CString& language)
{
    RECT pageArea{};
    GetClientRect(page, &pageArea);
    int measured = 0;
    for (HWND control : ChildrenOf(page)) {
        const std::optional<TextFit> fit = IsShownInItsPage(control) ? MeasureText(control) : std::nullopt;
        if (!fit) {
            continue;
        }
        ++measured;
        RECT bounds{};
        GetWindowRect(control, &bounds);
        MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&bounds), 2);
        INFO(Describe(pageName, control, language, *fit, bounds, pageArea));
        CHECK(fit->needed.cx <= fit->available.cx);
        CHECK(fit->needed.cy <= fit->available.cy);
        // A control reaching past its page is cut off by the page.
        CHECK(bounds.left >= 0);
        CHECK(bounds.top >= 0);
        CHECK(bounds.right <= pageArea.right);
        CHECK(bounds.bottom <= pageArea.bottom);
    }
    return measured;
}

// Puts back the configuration fields that the wizard's arrival and the language changes set.
struct ConfigurationKept {
    ~ConfigurationKept()
    {
        configuration->m_productTitle = productTitle;
        configuration->m_privacyUrl = privacyUrl;
        configuration->m_termsUrl = termsUrl;
        configuration->m_productImage = productImage;
        configuration->m_offerCount = offerCount;
        configuration->m_shownOffers = shownOffers;
        configuration->m_languageName = languageName;
        configuration->m_languageCode = languageCode;
    }

    const std::shared_ptr<ConfigurationManager> configuration = ConfigurationManager::Instance();
    const CString productTitle = configuration->m_productTitle;
    const CString privacyUrl = configuration->m_privacyUrl;
    const CString termsUrl = configuration->m_termsUrl;
    const std::shared_ptr<Gdiplus::Image> productImage = configuration->m_productImage;
    const int offerCount = configuration->m_offerCount;
    const std::vector<std::shared_ptr<Package>> shownOffers = configuration->m_shownOffers;
    const CString languageName = configuration->m_languageName;
    const CString languageCode = configuration->m_languageCode;
};

}  // namespace

TEST_CASE("No text of any page is cut off by its control in any language of the build")
{
    const ConfigurationKept kept;
    MessageBoxRecorder boxes;
    CTesseraDlg dialog;
    dialog.SetBackgroundColor(ConfigurationManager::Instance()->m_backgroundColor);
    REQUIRE(dialog.Create(IDD_TESSERA_DIALOG));
    GalleryWizard wizard(dialog);
    CTesseraDlgTestPeer& peer = wizard.Peer();
    REQUIRE(wizard.ArriveWithConfiguration(GalleryWizard::TwoOffers()));
    const int pageCount = peer.PageCount();

    // Every text a failed run can end on: a failed configuration, installation (ISV) or download (DLM).
    const std::pair<const char*, const char*> errorTexts[] = {
        {"PAGE_CONFIGURATION_ERROR_TITLE", "PAGE_CONFIGURATION_ERROR_DESC"},
        {"PAGE_ERROR_TITLE", "PAGE_ERROR_TEXT"},
        {"PAGE_DOWNLOAD_ERROR_TITLE", "PAGE_DOWNLOAD_ERROR_DESC"}};

    const std::vector<CString> languages = LanguagesOfBuild(*peer.Languages());
    CHECK(languages.size() >= 2);
    for (const CString& language : languages) {
        REQUIRE_MESSAGE(peer.Languages()->SetLanguage(language), ToUtf8(language));
        for (int index = 0; index < pageCount; ++index) {
            wizard.Show(index);
            IPage& page = peer.Page(index);
            const int measured = CheckTextsFit(page.m_hWnd, page.GetPageName(), language);
            // Only the loading page is without texts; a page measured empty would check nothing.
            CHECK_MESSAGE((measured > 0) == (page.GetPageKind() != PageKind::Loading),
                          ToUtf8(page.GetPageName() + L", " + language));
        }
        for (const auto& [titleKey, textKey] : errorTexts) {
            wizard.ShowError(titleKey, textKey);
            CheckTextsFit(peer.Error().m_hWnd, CString(L"ErrorPage with ") + AnsiToCString(titleKey), language);
        }
    }
    CHECK(boxes.Requests().empty());
}
