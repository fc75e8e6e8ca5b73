#pragma once

#include "framework/CComboBox.h"
#include "pages/IPage.h"

// What the plain and the branded language page share: the language list, the live switch of the
// language and the Next button. They differ only in their template and texts.
class LanguagePageBase : public IPage {
public:
    void OnNavigateToPage() override {}
    PageKind GetPageKind() const override { return PageKind::Language; }

protected:
    using TextBindings = std::vector<std::pair<std::string, int>>;

    LanguagePageBase(std::shared_ptr<LanguageManager> languageManager, UINT templateId, CWnd* parent,
                     TextBindings bindings);

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* exchange) override;

    CComboBox m_languageList;

private:
    void ApplySelectedLanguage();

    TextBindings m_bindings;
};
