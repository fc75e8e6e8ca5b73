#pragma once

#include "framework/CStatic.h"
#include "pages/CheckBoxGroup.h"
#include "pages/IPage.h"

// The heritage options after the offers: three check boxes, all checked at first, stored on Next.
class OptionsPageKVHeritage : public IPage {
public:
    OptionsPageKVHeritage(std::shared_ptr<LanguageManager> languageManager, CWnd* parent);

    BOOL OnInitDialog() override;
    void OnNavigateToPage() override {}
    CString GetPageName() const override { return L"OptionsPageKVHeritage"; }
    PageKind GetPageKind() const override { return PageKind::Heritage; }

protected:
    void DoDataExchange(CDataExchange* exchange) override;

private:
    void OnNext();

    CStatic m_titleControl;
    CheckBoxGroup<3> m_options;
};
