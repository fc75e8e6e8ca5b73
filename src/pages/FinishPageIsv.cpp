#include "pages/FinishPageIsv.h"

#include "resource.h"
#include "transfer/ProcessLaunch.h"

FinishPageIsv::FinishPageIsv(std::shared_ptr<LanguageManager> languageManager, CWnd* parent)
    : FinishPageBase(std::move(languageManager), IDD_FINISH_PAGE_ISV, parent)
{
}

void FinishPageIsv::DoDataExchange(CDataExchange* exchange)
{
    FinishPageBase::DoDataExchange(exchange);
    DDX_Control(exchange, IDC_LAUNCH_CHECK, m_launchCheck);
}

void FinishPageIsv::InitLaunchControls()
{
    BindText("LAUNCH_CHECKBOX", IDC_LAUNCH_CHECK);
    m_launchCheck.SetCheck(BST_CHECKED);
}

void FinishPageIsv::LaunchChosen()
{
    if (m_launchCheck.GetCheck() == BST_CHECKED) {
        LaunchInstalledProduct();
    }
}
