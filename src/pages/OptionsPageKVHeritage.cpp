#include "pages/OptionsPageKVHeritage.h"

#include "profile/ConfigurationManager.h"
#include "resource.h"

OptionsPageKVHeritage::OptionsPageKVHeritage(std::shared_ptr<LanguageManager> languageManager, CWnd* parent)
    : IPage(std::move(languageManager), IDD_OPTIONS_PAGE, parent),
      m_options({IDC_OPTIONS_CHECK_1, IDC_OPTIONS_CHECK_2, IDC_OPTIONS_CHECK_3})
{
    m_messageMap.OnCommand(IDC_NEXT, BN_CLICKED, [this] { OnNext(); });
}

void OptionsPageKVHeritage::DoDataExchange(CDataExchange* exchange)
{
    IPage::DoDataExchange(exchange);
    DDX_Control(exchange, IDC_OPTIONS_TITLE, m_titleControl);
    m_options.Bind(exchange);
}

BOOL OptionsPageKVHeritage::OnInitDialog()
{
    IPage::OnInitDialog();
    m_options.CheckAll();
    BindText("OPTIONS_TITLE", IDC_OPTIONS_TITLE);
    BindText("OPTIONS_CHECK_1", IDC_OPTIONS_CHECK_1);
    BindText("OPTIONS_CHECK_2", IDC_OPTIONS_CHECK_2);
    BindText("OPTIONS_CHECK_3", IDC_OPTIONS_CHECK_3);
    BindText("BUTTON_NEXT", IDC_NEXT);
    UpdateTexts();
    MakeTitleFont(m_titleControl);
    return TRUE;
}

void OptionsPageKVHeritage::OnNext()
{
    ConfigurationManager::Instance()->m_options = m_options.States();
    NotifyButton(ButtonType::Next);
}
