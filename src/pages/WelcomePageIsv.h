#pragma once

#include "framework/CMFCLinkCtrl.h"
#include "pages/CStaticFromImage.h"
#include "pages/IPage.h"

// The first page after the configuration in the plain page set: the product's picture and name, a
// greeting, and links to the legal pages (each hidden when the run has no address for it).
class WelcomePageIsv : public IPage {
public:
    WelcomePageIsv(std::shared_ptr<LanguageManager> languageManager, CWnd* parent);

    BOOL OnInitDialog() override;
    void OnNavigateToPage() override {}
    // Also fits the links to their texts again, so a language change leaves none cut off.
    void UpdateTexts() override;
    CString GetPageName() const override { return L"WelcomePage"; }
    PageKind GetPageKind() const override { return PageKind::Welcome; }

protected:
    void DoDataExchange(CDataExchange* exchange) override;

private:
    CMFCLinkCtrl m_privacyLink;
    CMFCLinkCtrl m_termsLink;
    CMFCLinkCtrl m_sdkLink;
    CStaticFromImage m_logo;
};
