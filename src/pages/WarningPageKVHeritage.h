#pragma once

#include "framework/CBrush.h"
#include "framework/CLinkCtrl.h"
#include "framework/CStatic.h"
#include "pages/IPage.h"

// The heritage warning before the licence page: a title, a subtitle and a text with links (which the
// page leaves inert), Next and Back.
class WarningPageKVHeritage : public IPage {
public:
    WarningPageKVHeritage(std::shared_ptr<LanguageManager> languageManager, CWnd* parent);

    BOOL OnInitDialog() override;
    void OnNavigateToPage() override {}
    CString GetPageName() const override { return L"WarningPageKVHeritage"; }
    PageKind GetPageKind() const override { return PageKind::Heritage; }

protected:
    void DoDataExchange(CDataExchange* exchange) override;
    HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT kind) override;

private:
    CStatic m_titleControl;
    CLinkCtrl m_text;
    CBrush m_backgroundBrush;
};
