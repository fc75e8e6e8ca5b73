#pragma once

#include "pages/CStaticFromImage.h"
#include "pages/IPage.h"

// What the two finish pages share: the picture of success, the thanks, Finish, and a main window that
// can no longer be minimised once the page is shown.
class FinishPageBase : public IPage {
public:
    BOOL OnInitDialog() override;
    void OnNavigateToPage() override;
    PageKind GetPageKind() const override { return PageKind::Finish; }

protected:
    FinishPageBase(std::shared_ptr<LanguageManager> languageManager, UINT templateId, CWnd* parent);
    void DoDataExchange(CDataExchange* exchange) override;
    // Binds the page's own launch controls and checks the one that launches.
    virtual void InitLaunchControls() = 0;
    // Starts what the user chose, before the wizard ends.
    virtual void LaunchChosen() = 0;

private:
    CStaticFromImage m_pageImage;
};
