#include "pages/FinishPageBase.h"

#include "resource.h"

FinishPageBase::FinishPageBase(std::shared_ptr<LanguageManager> languageManager, UINT templateId, CWnd* parent)
    : IPage(std::move(languageManager), templateId, parent)
{
    m_messageMap.OnCommand(IDC_FINISH, BN_CLICKED, [this] {
        LaunchChosen();
        NotifyButton(ButtonType::Finish);
    });
}

void FinishPageBase::DoDataExchange(CDataExchange* exchange)
{
    IPage::DoDataExchange(exchange);
    DDX_Control(exchange, IDC_PAGE_IMAGE, m_pageImage);
}

BOOL FinishPageBase::OnInitDialog()
{
    IPage::OnInitDialog();
    BindText("PAGE_FINISH_TITLE", IDC_FINISH_TITLE);
    BindText("PAGE_FINISH_TEXT", IDC_FINISH_TEXT);
    BindText("BUTTON_FINISH", IDC_FINISH);
    InitLaunchControls();
    UpdateTexts();
    m_pageImage.LoadImage(IDR_IMAGE_SUCCESS, L"IMAGE_BLOB2");
    return TRUE;
}

void FinishPageBase::OnNavigateToPage()
{
    if (CWnd* main = GetParent()) {
        main->ModifyStyle(WS_MINIMIZEBOX, 0, SWP_FRAMECHANGED);
    }
    SendMessage(DM_SETDEFID, IDC_FINISH);
}
