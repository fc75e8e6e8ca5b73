#include "pages/ConfigurationsPageKVHeritage.h"

#include "profile/ConfigurationManager.h"
#include "resource.h"

ConfigurationsPageKVHeritage::ConfigurationsPageKVHeritage(std::shared_ptr<LanguageManager> languageManager,
                                                           CWnd* parent)
    : IPage(std::move(languageManager), IDD_CONFIGURATIONS_PAGE, parent),
      // The first box has its text in a label beside it, as it runs over two lines.
      m_configurations({IDC_CONFIGURATIONS_CHECK_1, IDC_CONFIGURATIONS_CHECK_2, IDC_CONFIGURATIONS_CHECK_3,
                        IDC_CONFIGURATIONS_CHECK_4, IDC_CONFIGURATIONS_CHECK_5})
{
    m_messageMap.OnCommand(IDC_NEXT, BN_CLICKED, [this] { OnNext(); });
    m_messageMap.OnCommand(IDC_BACK, BN_CLICKED, [this] { NotifyButton(ButtonType::Back); });
}

void ConfigurationsPageKVHeritage::DoDataExchange(CDataExchange* exchange)
{
    IPage::DoDataExchange(exchange);
    DDX_Control(exchange, IDC_CONFIGURATIONS_TITLE, m_titleControl);
    m_configurations.Bind(exchange);
}

BOOL ConfigurationsPageKVHeritage::OnInitDialog()
{
    IPage::OnInitDialog();
    m_configurations.CheckAll();
    BindText("CONFIGURATIONS_TITLE", IDC_CONFIGURATIONS_TITLE);
    BindText("CONFIGURATIONS_SUBTITLE_1", IDC_CONFIGURATIONS_SUBTITLE_1);
    BindText("CONFIGURATIONS_TEXT_1", IDC_CONFIGURATIONS_TEXT_1);
    BindText("CONFIGURATIONS_CHECK_1", IDC_CONFIGURATIONS_LABEL_1);
    BindText("CONFIGURATIONS_CHECK_2", IDC_CONFIGURATIONS_CHECK_2);
    BindText("CONFIGURATIONS_SUBTITLE_2", IDC_CONFIGURATIONS_SUBTITLE_2);
    BindText("CONFIGURATIONS_TEXT_2", IDC_CONFIGURATIONS_TEXT_2);
    BindText("CONFIGURATIONS_CHECK_3", IDC_CONFIGURATIONS_CHECK_3);
    BindText("CONFIGURATIONS_CHECK_4", IDC_CONFIGURATIONS_CHECK_4);
    BindText("CONFIGURATIONS_CHECK_5", IDC_CONFIGURATIONS_CHECK_5);
    BindText("BUTTON_NEXT", IDC_NEXT);
    BindText("BUTTON_BACK", IDC_BACK);
    UpdateTexts();
    MakeTitleFont(m_titleControl);
    return TRUE;
}

void ConfigurationsPageKVHeritage::OnNext()
{
    ConfigurationManager::Instance()->m_configurations = m_configurations.States();
    NotifyButton(ButtonType::Next);
}
