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
class LanguageListener;

// The wizard's texts: lists the languages of this wizard type, loads the chosen language's document
// into a string table, resolves references between its strings and tells every listener (each page)
// that the texts changed.
class LanguageManager {
public:
    LanguageManager() = default;

    std::vector<UINT> LocaleResourceIds() const;
    void FillLanguageCombo(CComboBox& combo);
    bool LoadLocaleDocument(UINT id, tinyxml2::XMLDocument& document) const;
    bool LoadStrings(const tinyxml2::XMLDocument& document);
    bool SetLanguage(const CString& display);
    CString GetString(const std::string& key) const;
    static CString LocaleDisplayName(const CString& code);
    void ExpandReferences();

    // Listeners are told in the order they were added; one that is removed is not told again.
    void AddListener(LanguageListener* listener);
    void RemoveListener(LanguageListener* listener);

private:
    // The heritage pages' texts for the language of that locale name (the heritage build only).
    void MergeHeritageStrings(const char* localeName);

    std::unordered_map<CString, UINT> m_resourceIds;
    std::unordered_map<CString, CString> m_localeCodes;
    std::vector<LanguageListener*> m_listeners;
    std::map<std::string, std::string> m_strings;
};
