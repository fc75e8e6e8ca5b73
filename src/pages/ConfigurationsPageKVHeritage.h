#pragma once

#include "framework/CStatic.h"
#include "pages/CheckBoxGroup.h"
#include "pages/IPage.h"

// The heritage configurations after the options: five check boxes in two groups, all checked at first,
// stored on Next; Back keeps them as they are.
class ConfigurationsPageKVHeritage : public IPage {
public:
    ConfigurationsPageKVHeritage(std::shared_ptr<LanguageManager> languageManager, CWnd* parent);

    BOOL OnInitDialog() override;
    void OnNavigateToPage() override {}
    CString GetPageName() const override { return L"ConfigurationsPageKVHeritage"; }
    PageKind GetPageKind() const override { return PageKind::Heritage; }

protected:
    void DoDataExchange(CDataExchange* exchange) override;

private:
    void OnNext();

    CStatic m_titleControl;
    CheckBoxGroup<5> m_configurations;
};
