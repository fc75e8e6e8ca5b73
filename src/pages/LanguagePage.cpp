#include "pages/LanguagePage.h"

#include "resource.h"

LanguagePage::LanguagePage(std::shared_ptr<LanguageManager> languageManager, CWnd* parent)
    : LanguagePageBase(std::move(languageManager), IDD_LANGUAGE_PAGE, parent,
                       {{"BUTTON_NEXT", IDC_NEXT}, {"SPLASH_TEXT", IDC_SPLASH_TEXT}})
{
}
