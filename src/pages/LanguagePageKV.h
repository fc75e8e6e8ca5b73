#pragma once

#include "pages/LanguagePageBase.h"

// The maker-branded first page: a welcome title and text; the language list stays hidden and the
// language matching the user's Windows language is taken.
class LanguagePageKV : public LanguagePageBase {
public:
    LanguagePageKV(std::shared_ptr<LanguageManager> languageManager, CWnd* parent);

    CString GetPageName() const override { return L"LanguagePageKV"; }
};
