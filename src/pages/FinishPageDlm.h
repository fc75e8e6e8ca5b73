#pragma once

#include "framework/CButton.h"
#include "pages/FinishPageBase.h"

// The end of a DLM run: Finish opens the downloaded file, or shows it in its folder.
class FinishPageDlm : public FinishPageBase {
public:
    FinishPageDlm(std::shared_ptr<LanguageManager> languageManager, CWnd* parent);
    CString GetPageName() const override { return L"FinishPageDLM"; }

protected:
    void DoDataExchange(CDataExchange* exchange) override;
    void InitLaunchControls() override;
    void LaunchChosen() override;

private:
    CButton m_launchRadio;
    CButton m_openFolderRadio;
};
