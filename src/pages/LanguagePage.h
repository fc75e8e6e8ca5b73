#pragma once

#include "pages/LanguagePageBase.h"

// The plain first page: one line of instructions above the language list.
class LanguagePage : public LanguagePageBase {
public:
    LanguagePage(std::shared_ptr<LanguageManager> languageManager, CWnd* parent);

    CString GetPageName() const override { return L"LanguagePage"; }
};
