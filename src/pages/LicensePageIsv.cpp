#include "pages/LicensePageIsv.h"

#include "framework/LinkMarkup.h"
#include "locale/LanguageManager.h"
#include "profile/ConfigurationManager.h"
#include "resource.h"

LicensePageIsv::LicensePageIsv(std::shared_ptr<LanguageManager> languageManager, CWnd* parent)
    : IPage(std::move(languageManager), IDD_LICENSE_PAGE, parent)
{
    m_messageMap.OnCommand(IDC_AGREE, BN_CLICKED, [this] { NotifyButton(ButtonType::Next); });
    m_messageMap.OnCommand(IDC_BACK, BN_CLICKED, [this] { NotifyButton(ButtonType::Back); });
    m_messageMap.OnNotify(IDC_LICENSE_LINKS, NM_CLICK, [this](NMHDR& notification) { return OnLinkClick(notification); });
}

void LicensePageIsv::DoDataExchange(CDataExchange* exchange)
{
    IPage::DoDataExchange(exchange);
    DDX_Control(exchange, IDC_LICENSE_AGREEMENT, m_agreement);
    DDX_Control(exchange, IDC_LICENSE_TITLE, m_titleControl);
    DDX_Control(exchange, IDC_LICENSE_LINKS, m_links);
}

BOOL LicensePageIsv::OnInitDialog()
{
    IPage::OnInitDialog();
    m_agreement.SetAutoURLDetect(TRUE);
    m_backgroundBrush.CreateSolidBrush(ConfigurationManager::Instance()->m_backgroundColor);
    BindText("LICENSE_TITLE", IDC_LICENSE_TITLE);
    BindText("LICENSE_TEXT", IDC_LICENSE_TEXT);
    BindText("LICENSE_EULA", IDC_LICENSE_AGREEMENT);
    BindText("LICENSE_DISCLAIMER", IDC_LICENSE_LINKS);
    BindText("BUTTON_AGREE", IDC_AGREE);
    BindText("BUTTON_BACK", IDC_BACK);
    UpdateTexts();
    MakeTitleFont(m_titleControl);
    return TRUE;
}

void LicensePageIsv::OnNavigateToPage()
{
    m_agreement.SendMessage(EM_SETSEL, 0, 0);
    m_agreement.SendMessage(EM_SCROLLCARET);
    SendMessage(DM_SETDEFID, IDC_AGREE);
    if (CWnd* agree = GetDlgItem(IDC_AGREE)) {
        agree->SetFocus();
    }
}

void LicensePageIsv::UpdateTexts()
{
    IPage::UpdateTexts();
    if (!m_links.GetSafeHwnd()) {
        return;
    }
    CString text = m_languageManager->GetString("LICENSE_DISCLAIMER");
    if (text.IsEmpty()) {
        return;
    }
    const auto configuration = ConfigurationManager::Instance();
    text.Replace(L"[LICENSE_TOS_URL]", LinkMarkup::Address(configuration->m_termsUrl));
    text.Replace(L"[LICENSE_PRIVACY_URL]", LinkMarkup::Address(configuration->m_privacyUrl));
    m_links.SetWindowText(text);
}

HBRUSH LicensePageIsv::OnCtlColor(CDC* dc, CWnd* control, UINT kind)
{
    if (control->GetDlgCtrlID() == IDC_LICENSE_LINKS) {
        dc->SetBkMode(TRANSPARENT);
        return m_backgroundBrush;
    }
    return IPage::OnCtlColor(dc, control, kind);
}
