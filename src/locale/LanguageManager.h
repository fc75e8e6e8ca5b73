#pragma once

#include "framework/CString.h"

#include <windows.h>

#include <map>
#include <string>
#include <unordered_map>
#include <vector>

namespace tinyxml2 {
class XMLDocument;
}
class CComboBox;
class CWnd;
class IPage;

// The wizard's texts: lists the languages of this wizard type, loads the chosen language's document
// into a string table, resolves references between its strings and pushes the texts into every page.
class LanguageManager {
public:
    explicit LanguageManager(CWnd* owner);

    std::vector<UINT> LocaleResourceIds() const;
    void FillLanguageCombo(CComboBox& combo);
    bool LoadLocaleDocument(UINT id, tinyxml2::XMLDocument& document) const;
    bool LoadStrings(const tinyxml2::XMLDocument& document);
    bool SetLanguage(const CString& display);
    CString GetString(const std::string& key) const;
    static CString LocaleDisplayName(const CString& code);
    void ExpandReferences();

    void RegisterPage(IPage* page);
    void UnregisterPage(IPage* page);

private:
    CWnd* m_owner;
    std::unordered_map<CString, UINT> m_resourceIds;
    std::unordered_map<CString, CString> m_localeCodes;
    std::vector<IPage*> m_pages;
    std::map<std::string, std::string> m_strings;
};
