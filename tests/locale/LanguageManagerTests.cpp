#include <doctest/doctest.h>

#include "BuildVariant.h"
#include "MessageBoxRecorder.h"
#include "PageTestHelpers.h"
#include "WineEnvironment.h"
#include "framework/AfxGlobals.h"
#include "framework/UniqueHandle.h"
#include "locale/LanguageManager.h"
#include "pages/LanguagePage.h"
#include "profile/ConfigurationManager.h"

#include <tinyxml2.h>

#include <string>

namespace {

std::vector<CString> Items(CComboBox& combo)
{
    std::vector<CString> items;
    for (int i = 0; i < combo.GetCount(); ++i) {
        items.push_back(combo.GetLBText(i));
    }
    return items;
}

// The language page gives the manager a real combo box to fill.
struct LanguageList {
    LanguageList() : manager(std::make_shared<LanguageManager>()), page(manager, &host)
    {
        REQUIRE(page.Create(page.TemplateId(), &host));
    }
    CComboBox& Combo() { return *static_cast<CComboBox*>(page.GetDlgItem(1000)); }

    PageHost host;
    std::shared_ptr<LanguageManager> manager;
    LanguagePage page;
};

// Takes the locale documents from a module of the suite's folder for as long as it lives.
class LocaleModule {
public:
    explicit LocaleModule(const wchar_t* name)
    {
        wchar_t path[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, path, MAX_PATH);
        CString folder(path);
        folder = folder.Left(folder.ReverseFind(L'\\') + 1);
        m_module.Reset(LoadLibraryExW(folder + name, nullptr, LOAD_LIBRARY_AS_DATAFILE));
        AfxSetResourceHandle(m_module.Get());
    }
    ~LocaleModule() { AfxSetResourceHandle(nullptr); }
    bool Loaded() const { return m_module.IsValid(); }

private:
    UniqueModule m_module;
};

}  // namespace

TEST_CASE("The list holds the languages of this wizard type and selects the user's one")
{
    MessageBoxRecorder boxes;
    LanguageList list;
    const std::vector<CString> items = Items(list.Combo());
    const std::string locale = WineEnvironment::Variable("TESSERA_TEST_LOCALE");
    const CString selected = list.Combo().GetLBText(list.Combo().GetCurSel());

    if (IsIsvBuild()) {
        REQUIRE(items.size() == 2);
        CHECK(items[0] == L"English");
        CHECK(items[1] == L"espa\x00F1ol");
    } else {
        REQUIRE(items.size() == 14);
        CHECK(items[0] == L"English");
        CHECK(items[3] == items[11]);
    }
    // Without a document of the user's language the first one, English, is taken.
    CString expectedName = L"English";
    CString expectedCode = L"en_US";
    if (locale == "es_ES") {
        expectedName = L"espa\x00F1ol";
        expectedCode = L"es";
    } else if (locale == "de_DE" && !IsIsvBuild()) {
        expectedName = L"Deutsch";
        expectedCode = L"de";
    }
    CHECK(selected == expectedName);
    CHECK(IsShownInItsPage(list.Combo().m_hWnd) == !ConfigurationManager::Instance()->m_brandedPages);
    CHECK(ConfigurationManager::Instance()->m_languageName == expectedName);
    CHECK(ConfigurationManager::Instance()->m_languageCode == expectedCode);
    CHECK(boxes.Requests().empty());
}

TEST_CASE("Loaded strings have their references resolved and the page placeholders kept")
{
    LanguageList list;
    REQUIRE(list.manager->SetLanguage(L"English"));
    CHECK(list.manager->GetString("SPLASH_TEXT") ==
          L"To continue, please select your preferred language, and click \"Next\".");
    CHECK(list.manager->GetString("PRODUCT_TITLE") == ConfigurationManager::Instance()->m_productTitle);
    const CString disclaimer = list.manager->GetString("PRODUCT_DISCLAIMER");
    CHECK(disclaimer.Find(L"\"[PACKAGE_NAME]\"") >= 0);
    CHECK(disclaimer.Find(L"<a href=\"[PACKAGE_PRIVACY_URL]\">Privacy Policy</a>") >= 0);
    CHECK(list.manager->GetString("NO_SUCH_KEY").IsEmpty());
    CHECK(ConfigurationManager::Instance()->m_languageCode == L"en_US");
    if (IsIsvBuild()) {
        CHECK(list.manager->GetString("PROGRESS_STATUS") == L"$percent$ Completed");
        CHECK(list.manager->GetString("PAGE_FINISH_TITLE") == L"Thank you.\r\nYour installation is complete.");
    }
    if (ConfigurationManager::Instance()->m_brandedPages) {
        CHECK_FALSE(list.manager->GetString("LICENSE_EULA").IsEmpty());
        CHECK(list.manager->GetString("LICENSE_DISCLAIMER").Find(L"[LICENSE_TOS_URL]") >= 0);
    } else {
        CHECK(list.manager->GetString("LICENSE_EULA").IsEmpty());
    }

    REQUIRE(list.manager->SetLanguage(L"espa\x00F1ol"));
    CHECK(list.manager->GetString("BUTTON_NEXT") == L"Siguiente");
    CHECK(ConfigurationManager::Instance()->m_languageCode == L"es");
}

TEST_CASE("An unknown language changes nothing")
{
    MessageBoxRecorder boxes;
    LanguageList list;
    REQUIRE(list.manager->SetLanguage(L"English"));
    CHECK_FALSE(list.manager->SetLanguage(L"Klingon"));
    CHECK(list.manager->GetString("BUTTON_NEXT") == L"Next");
    CHECK(ConfigurationManager::Instance()->m_languageName == L"English");
    CHECK(boxes.Requests().empty());
}

TEST_CASE("Broken documents are reported and leave the table as far as it was read")
{
    MessageBoxRecorder boxes;
    LanguageManager manager;

    tinyxml2::XMLDocument noRoot;
    noRoot.Parse("<Other/>");
    CHECK_FALSE(manager.LoadStrings(noRoot));

    tinyxml2::XMLDocument emptyElement;
    emptyElement.Parse("<Locale name=\"xx\"><BUTTON_NEXT>Go</BUTTON_NEXT><EMPTY/><LATER>x</LATER></Locale>");
    CHECK_FALSE(manager.LoadStrings(emptyElement));
    CHECK(manager.GetString("BUTTON_NEXT") == L"Go");
    CHECK(manager.GetString("LATER").IsEmpty());

    tinyxml2::XMLDocument missing;
    CHECK_FALSE(manager.LoadLocaleDocument(999, missing));

    const auto requests = boxes.Requests();
    REQUIRE(requests.size() == 3);
    CHECK(requests[0].text == L"Failed to parse language xml file, error code: No Locale element");
    CHECK(requests[1].text == L"Failed to parse language xml file, error code: No name or text attribute");
    CHECK(requests[2].text == L"Failed to find resource with id: 999");
    CHECK(requests[2].type == MB_OK);
}

TEST_CASE("A language whose document breaks off part way leaves the language shown so far")
{
    MessageBoxRecorder boxes;
    LocaleModule documents(L"broken_locales.dll");
    REQUIRE(documents.Loaded());
    LanguageList list;
    REQUIRE(list.Combo().GetCount() == 2);
    REQUIRE(list.manager->SetLanguage(L"English"));
    boxes.Clear();

    CHECK_FALSE(list.manager->SetLanguage(list.Combo().GetLBText(1)));
    CHECK(list.manager->GetString("BUTTON_NEXT") == L"Next");
    CHECK(list.manager->GetString("SPLASH_TEXT") == L"Pick a language.");
    CHECK(ControlText(list.page.m_hWnd, 1010) == L"Next");
    CHECK(ConfigurationManager::Instance()->m_languageName == L"English");
    CHECK(ConfigurationManager::Instance()->m_languageCode == L"en_US");
    const auto shown = boxes.Requests();
    REQUIRE(shown.size() == 1);
    CHECK(shown[0].text == L"Failed to parse language xml file, error code: No name or text attribute");
}
