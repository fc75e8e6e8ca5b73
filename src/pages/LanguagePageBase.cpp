#include "pages/LanguagePageBase.h"

#include "locale/LanguageManager.h"
#include "resource.h"

LanguagePageBase::LanguagePageBase(std::shared_ptr<LanguageManager> languageManager, UINT templateId, CWnd* parent,
                                   TextBindings bindings)
    : IPage(std::move(languageManager), templateId, parent), m_bindings(std::move(bindings))
{
    m_messageMap.OnCommand(IDC_LANGUAGE_LIST, CBN_SELCHANGE, [this] { ApplySelectedLanguage(); });
    m_messageMap.OnCommand(IDC_NEXT, BN_CLICKED, [this] { NotifyButton(ButtonType::Next); });
}

void LanguagePageBase::DoDataExchange(CDataExchange* exchange)
{
    IPage::DoDataExchange(exchange);
    DDX_Control(exchange, IDC_LANGUAGE_LIST, m_languageList);
}

BOOL LanguagePageBase::OnInitDialog()
{
    IPage::OnInitDialog();
    for (const auto& [key, controlId] : m_bindings) {
        BindText(key, controlId);
    }
    m_languageManager->FillLanguageCombo(m_languageList);
    // Setting the language applies the texts to every page, this one included.
    ApplySelectedLanguage();
    SendMessage(DM_SETDEFID, IDC_NEXT);
    return TRUE;
}

void LanguagePageBase::ApplySelectedLanguage()
{
    const int selection = m_languageList.GetCurSel();
    if (selection == CB_ERR) {
        return;
    }
    m_languageManager->SetLanguage(m_languageList.GetLBText(selection));
}
