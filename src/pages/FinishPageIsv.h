#pragma once

#include "framework/CButton.h"
#include "pages/FinishPageBase.h"

// The end of an ISV run: Finish starts the installed product unless the user cleared the box.
class FinishPageIsv : public FinishPageBase {
public:
    FinishPageIsv(std::shared_ptr<LanguageManager> languageManager, CWnd* parent);
    CString GetPageName() const override { return L"FinishPageISV"; }

protected:
    void DoDataExchange(CDataExchange* exchange) override;
    void InitLaunchControls() override;
    void LaunchChosen() override;

private:
    CButton m_launchCheck;
};
