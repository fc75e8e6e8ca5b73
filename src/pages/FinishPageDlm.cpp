#include "pages/FinishPageDlm.h"

#include "framework/DesktopShell.h"
#include "profile/ConfigurationManager.h"
#include "resource.h"
#include "transfer/ProcessLaunch.h"

FinishPageDlm::FinishPageDlm(std::shared_ptr<LanguageManager> languageManager, CWnd* parent)
    : FinishPageBase(std::move(languageManager), IDD_FINISH_PAGE_DLM, parent)
{
}

void FinishPageDlm::DoDataExchange(CDataExchange* exchange)
{
    FinishPageBase::DoDataExchange(exchange);
    DDX_Control(exchange, IDC_LAUNCH_RADIO, m_launchRadio);
    DDX_Control(exchange, IDC_OPEN_FOLDER_RADIO, m_openFolderRadio);
}

void FinishPageDlm::InitLaunchControls()
{
    BindText("LAUNCH_RADIO", IDC_LAUNCH_RADIO);
    BindText("OPEN_FOLDER_RADIO", IDC_OPEN_FOLDER_RADIO);
    m_launchRadio.SetCheck(BST_CHECKED);
}

void FinishPageDlm::LaunchChosen()
{
    const auto configuration = ConfigurationManager::Instance();
    const CString path = configuration->m_downloadedFile;
    if (m_launchRadio.GetCheck() == BST_CHECKED) {
        DesktopShell::Open(path);
    } else if (m_openFolderRadio.GetCheck() == BST_CHECKED) {
        ShowInExplorer(path);
    }
    // Held from the end of its download until now; from here on the file is the user's.
    configuration->m_downloadedFileHold.reset();
}
