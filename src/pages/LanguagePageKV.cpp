#include "pages/LanguagePageKV.h"

#include "resource.h"

LanguagePageKV::LanguagePageKV(std::shared_ptr<LanguageManager> languageManager, CWnd* parent)
    : LanguagePageBase(std::move(languageManager), IDD_LANGUAGE_PAGE_KV, parent,
                       {{"BUTTON_NEXT", IDC_NEXT},
                        {"SPLASH_TITLE_KV", IDC_SPLASH_TITLE_KV},
                        {"SPLASH_TEXT_KV", IDC_SPLASH_TEXT_KV}})
{
}
