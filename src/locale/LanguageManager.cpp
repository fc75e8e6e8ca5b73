#include "locale/LanguageManager.h"

#include "framework/AfxGlobals.h"
#include "framework/CComboBox.h"
#include "framework/MessageBoxSeam.h"
#include "framework/TextConversion.h"
#include "locale/LanguageListener.h"
#include "locale/StringReferences.h"
#include "profile/ConfigurationManager.h"
#include "resource.h"

#include <tinyxml2.h>

#include <algorithm>

namespace {

constexpr wchar_t kLocaleType[] = L"LOCALE";

void ShowParseFailure(const char* detail)
{
    CString text;
    text.Format(L"Failed to parse language xml file, error code: %S", detail ? detail : "");
    AfxMessageBox(text, MB_OK);
}

CString NativeLanguageName(const wchar_t* code)
{
    wchar_t name[85] = {};
    return GetLocaleInfoEx(code, LOCALE_SNATIVELANGNAME, name, 85) > 0 ? CString(name) : CString();
}

}  // namespace

std::vector<UINT> LanguageManager::LocaleResourceIds() const
{
    switch (ConfigurationManager::Instance()->m_wizardType) {
    case WIZARD_DLM: {
        std::vector<UINT> ids;
        for (UINT id = IDR_LOCALE_DLM_FIRST; id <= IDR_LOCALE_DLM_LAST; ++id) {
            ids.push_back(id);
        }
        return ids;
    }
    case WIZARD_ISV:
        return {IDR_LOCALE_ISV_EN_US, IDR_LOCALE_ISV_ES};
    default:
        AfxMessageBox(L"Unknown wizard type (language manager", MB_OK);
        return {};
    }
}

CString LanguageManager::LocaleDisplayName(const CString& code)
{
    CString name = NativeLanguageName(code);
    if (name.IsEmpty() && code.GetLength() > 2) {
        name = NativeLanguageName(code.Left(2));
    }
    return name.IsEmpty() ? code : name;
}

void LanguageManager::FillLanguageCombo(CComboBox& combo)
{
    const std::vector<UINT> ids = LocaleResourceIds();
    m_resourceIds.clear();
    m_localeCodes.clear();
    combo.ResetContent();

    wchar_t userLocale[85] = {};
    CString userLanguage;
    if (GetUserDefaultLocaleName(userLocale, 85) > 0) {
        userLanguage = LocaleDisplayName(userLocale);
    }
    if (userLanguage.IsEmpty()) {
        userLanguage = L"English";
    }

    int selection = 0;
    for (UINT id : ids) {
        tinyxml2::XMLDocument document;
        if (!LoadLocaleDocument(id, document)) {
            continue;
        }
        const tinyxml2::XMLElement* locale = document.FirstChildElement("Locale");
        if (!locale) {
            continue;
        }
        const char* name = locale->Attribute("name");
        if (!name) {
            ShowParseFailure("No name attribute");
            continue;
        }
        const CString code = AnsiToCString(name);
        const CString display = LocaleDisplayName(code);
        if (display == userLanguage) {
            selection = combo.GetCount();
        }
        combo.AddString(display);
        m_resourceIds[display] = id;
        m_localeCodes[display] = code;
    }
    combo.SetCurSel(selection);
    if (ConfigurationManager::Instance()->m_brandedPages) {
        combo.ShowWindow(SW_HIDE);
    }
}

bool LanguageManager::LoadLocaleDocument(UINT id, tinyxml2::XMLDocument& document) const
{
    HINSTANCE module = AfxGetResourceHandle();
    HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(id), kLocaleType);
    CString text;
    if (!resource) {
        text.Format(L"Failed to find resource with id: %d", static_cast<int>(id));
        AfxMessageBox(text, MB_OK);
        return false;
    }
    HGLOBAL loaded = LoadResource(module, resource);
    if (!loaded) {
        text.Format(L"Failed to load resource with id: %d", static_cast<int>(id));
        AfxMessageBox(text, MB_OK);
        return false;
    }
    const auto* data = static_cast<const char*>(LockResource(loaded));
    const DWORD size = SizeofResource(module, resource);
    if (document.Parse(data ? data : "", data ? size : 0) != tinyxml2::XML_SUCCESS) {
        ShowParseFailure(document.ErrorStr());
        return false;
    }
    return true;
}

bool LanguageManager::LoadStrings(const tinyxml2::XMLDocument& document)
{
    const tinyxml2::XMLElement* locale = document.FirstChildElement("Locale");
    if (!locale) {
        ShowParseFailure("No Locale element");
        return false;
    }
    m_strings.clear();
    const auto configuration = ConfigurationManager::Instance();
    m_strings["PRODUCT_TITLE"] = ToUtf8(configuration->m_productTitle);

    if (configuration->m_brandedPages) {
        tinyxml2::XMLDocument branded;
        if (LoadLocaleDocument(IDR_LOCALE_BRANDED, branded)) {
            for (auto* element = branded.FirstChildElement(); element; element = element->NextSiblingElement()) {
                m_strings[element->Name()] = element->GetText() ? element->GetText() : "";
            }
        }
    }

    if (configuration->m_heritagePages) {
        MergeHeritageStrings(locale->Attribute("name"));
    }

    for (auto* element = locale->FirstChildElement(); element; element = element->NextSiblingElement()) {
        if (!element->Name() || !element->GetText()) {
            ShowParseFailure("No name or text attribute");
            return false;
        }
        m_strings[element->Name()] = element->GetText();
    }
    ExpandReferences();
    return true;
}

void LanguageManager::MergeHeritageStrings(const char* localeName)
{
    // Spanish has its own heritage texts; every other language shows the English ones.
    const bool spanish = localeName && std::string(localeName).rfind("es", 0) == 0;
    const UINT id = spanish ? IDR_LOCALE_HERITAGE_ES : IDR_LOCALE_HERITAGE_EN_US;
    // A resource module without the heritage texts leaves those pages with their template texts.
    tinyxml2::XMLDocument heritage;
    if (!FindResourceW(AfxGetResourceHandle(), MAKEINTRESOURCEW(id), kLocaleType) ||
        !LoadLocaleDocument(id, heritage)) {
        return;
    }
    if (const tinyxml2::XMLElement* root = heritage.FirstChildElement("Locale")) {
        for (auto* element = root->FirstChildElement(); element; element = element->NextSiblingElement()) {
            m_strings[element->Name()] = element->GetText() ? element->GetText() : "";
        }
    }
}

void LanguageManager::ExpandReferences()
{
    ExpandStringReferences(m_strings);
}

bool LanguageManager::SetLanguage(const CString& display)
{
    const auto id = m_resourceIds.find(display);
    if (id == m_resourceIds.end()) {
        return false;
    }
    tinyxml2::XMLDocument document;
    if (!LoadLocaleDocument(id->second, document)) {
        return false;
    }
    // A document that is read only in part would leave a mix of two languages: the one shown so far
    // stays, texts and name, and the failure has been reported by LoadStrings.
    std::map<std::string, std::string> previous = m_strings;
    if (!LoadStrings(document)) {
        m_strings = std::move(previous);
        return false;
    }
    // A listener may add or remove listeners while it is told: each one still listed is told once.
    const std::vector<LanguageListener*> listeners = m_listeners;
    for (LanguageListener* listener : listeners) {
        if (std::find(m_listeners.begin(), m_listeners.end(), listener) != m_listeners.end()) {
            listener->OnTextsChanged();
        }
    }
    const auto configuration = ConfigurationManager::Instance();
    configuration->m_languageName = display;
    const auto code = m_localeCodes.find(display);
    configuration->m_languageCode = code != m_localeCodes.end() ? code->second : CString();
    return true;
}

CString LanguageManager::GetString(const std::string& key) const
{
    const auto found = m_strings.find(key);
    if (found == m_strings.end() || found->second.empty()) {
        return {};
    }
    const std::string& value = found->second;
    return Utf8ToCString(std::string_view(value.c_str()));
}

void LanguageManager::AddListener(LanguageListener* listener)
{
    m_listeners.push_back(listener);
}

void LanguageManager::RemoveListener(LanguageListener* listener)
{
    m_listeners.erase(std::remove(m_listeners.begin(), m_listeners.end(), listener), m_listeners.end());
}
