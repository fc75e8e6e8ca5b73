#include "pages/WarningPageKVHeritage.h"

#include "profile/ConfigurationManager.h"
#include "resource.h"

WarningPageKVHeritage::WarningPageKVHeritage(std::shared_ptr<LanguageManager> languageManager, CWnd* parent)
    : IPage(std::move(languageManager), IDD_WARNING_PAGE, parent)
{
    m_messageMap.OnCommand(IDC_NEXT, BN_CLICKED, [this] { NotifyButton(ButtonType::Next); });
    m_messageMap.OnCommand(IDC_BACK, BN_CLICKED, [this] { NotifyButton(ButtonType::Back); });
}

void WarningPageKVHeritage::DoDataExchange(CDataExchange* exchange)
{
    IPage::DoDataExchange(exchange);
    DDX_Control(exchange, IDC_WARNING_TITLE, m_titleControl);
    DDX_Control(exchange, IDC_WARNING_TEXT, m_text);
}

BOOL WarningPageKVHeritage::OnInitDialog()
{
    IPage::OnInitDialog();
    m_backgroundBrush.CreateSolidBrush(ConfigurationManager::Instance()->m_backgroundColor);
    BindText("WARNING_TITLE", IDC_WARNING_TITLE);
    BindText("WARNING_SUBTITLE", IDC_WARNING_SUBTITLE);
    BindText("WARNING_TEXT", IDC_WARNING_TEXT);
    BindText("BUTTON_NEXT", IDC_NEXT);
    BindText("BUTTON_BACK", IDC_BACK);
    UpdateTexts();
    MakeTitleFont(m_titleControl);
    return TRUE;
}

HBRUSH WarningPageKVHeritage::OnCtlColor(CDC* dc, CWnd* control, UINT kind)
{
    if (control->GetDlgCtrlID() == IDC_WARNING_TEXT) {
        dc->SetBkMode(TRANSPARENT);
        return m_backgroundBrush;
    }
    return IPage::OnCtlColor(dc, control, kind);
}
