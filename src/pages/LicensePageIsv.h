#pragma once

#include "framework/CBrush.h"
#include "framework/CLinkCtrl.h"
#include "framework/CRichEditCtrl.h"
#include "framework/CStatic.h"
#include "pages/IPage.h"

// The first page after the configuration in the branded page set: the licence agreement in a read-only
// box, the legal links under it, Agree and Back.
class LicensePageIsv : public IPage {
public:
    LicensePageIsv(std::shared_ptr<LanguageManager> languageManager, CWnd* parent);

    BOOL OnInitDialog() override;
    // Agree takes the focus, so the agreement is shown from its start rather than selected.
    void OnNavigateToPage() override;
    // Also fills the terms and privacy addresses into the links after each language change.
    void UpdateTexts() override;
    CString GetPageName() const override { return L"LicensePage"; }
    PageKind GetPageKind() const override { return PageKind::Welcome; }

protected:
    void DoDataExchange(CDataExchange* exchange) override;
    HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT kind) override;

private:
    CRichEditCtrl m_agreement;
    CStatic m_titleControl;
    CLinkCtrl m_links;
    CBrush m_backgroundBrush;
};
