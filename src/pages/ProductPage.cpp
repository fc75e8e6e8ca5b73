#include "pages/ProductPage.h"

#include "framework/GdiPlus.h"
#include "framework/LinkMarkup.h"
#include "framework/TextConversion.h"
#include "locale/LanguageManager.h"
#include "profile/ConfigurationManager.h"
#include "remote/Package.h"
#include "remote/TelemetryNames.h"
#include "resource.h"

ProductPage::ProductPage(std::shared_ptr<LanguageManager> languageManager, std::shared_ptr<Package> package,
                         CWnd* parent)
    : IPage(std::move(languageManager), IDD_PRODUCT_PAGE, parent), m_package(std::move(package))
{
    m_messageMap.OnCommand(IDC_ACCEPT, BN_CLICKED, [this] { OnAccept(); });
    m_messageMap.OnCommand(IDC_DECLINE, BN_CLICKED, [this] { OnDecline(ButtonType::Decline); });
    m_messageMap.OnCommand(IDC_SKIP_ALL, BN_CLICKED, [this] { OnDecline(ButtonType::SkipAll); });
    m_messageMap.OnNotify(IDC_OFFER_DISCLAIMER, NM_CLICK,
                          [this](NMHDR& notification) { return OnLinkClick(notification); });
}

void ProductPage::DoDataExchange(CDataExchange* exchange)
{
    IPage::DoDataExchange(exchange);
    DDX_Control(exchange, IDC_OFFER_DISCLAIMER, m_link);
    DDX_Control(exchange, IDC_OFFER_PICTURE, m_picture);
    DDX_Control(exchange, IDC_SKIP_ALL, m_skipAllButton);
}

BOOL ProductPage::OnInitDialog()
{
    IPage::OnInitDialog();
    m_backgroundBrush.CreateSolidBrush(ConfigurationManager::Instance()->m_backgroundColor);
    if (IsLastOfFlow()) {
        m_skipAllButton.ShowWindow(SW_HIDE);
    }
    m_picture.SetImage(m_package->m_image);
    BindText("BUTTON_ACCEPT", IDC_ACCEPT);
    BindText("BUTTON_DECLINE", IDC_DECLINE);
    BindText("BUTTON_SKIP_ALL", IDC_SKIP_ALL);
    BindText("PRODUCT_DISCLAIMER", IDC_OFFER_DISCLAIMER);
    UpdateTexts();
    return TRUE;
}

bool ProductPage::IsLastOfFlow() const
{
    const int position = m_package->m_position;
    return position == ConfigurationManager::Instance()->m_offerCount - 1 || position == m_package->m_flow.mo - 1;
}

void ProductPage::UpdateTexts()
{
    IPage::UpdateTexts();
    if (!m_link.GetSafeHwnd()) {
        return;
    }
    CString text = m_languageManager->GetString("PRODUCT_DISCLAIMER");
    if (text.IsEmpty()) {
        return;
    }
    // The configuration is UTF-8, and so are the offer's texts taken from it.
    text.Replace(L"[PACKAGE_NAME]", LinkMarkup::Text(Utf8ToCString(m_package->m_displayName)));
    text.Replace(L"[PACKAGE_PRIVACY_URL]", LinkMarkup::Address(Utf8ToCString(m_package->m_privacyUrl)));
    text.Replace(L"[PACKAGE_EULA_URL]", LinkMarkup::Address(Utf8ToCString(m_package->m_eulaUrl)));
    m_link.SetWindowText(text);
}

void ProductPage::OnNavigateToPage()
{
    ConfigurationManager::Instance()->m_shownOffers.push_back(m_package);
    SendMessage(DM_SETDEFID, IDC_ACCEPT);
}

void ProductPage::OnAccept()
{
    ConfigurationManager::Instance()->m_acceptedOffers.push_back(m_package);
    NotifyButton(ButtonType::Accept);
}

void ProductPage::OnDecline(ButtonType type)
{
    ConfigurationManager::Instance()->m_offerDeclined = true;
    m_package->SendEvent(EventId::Declined, nullptr);
    NotifyButton(type);
}

HBRUSH ProductPage::OnCtlColor(CDC* dc, CWnd* control, UINT kind)
{
    if (control->GetDlgCtrlID() == IDC_OFFER_DISCLAIMER) {
        dc->SetBkMode(TRANSPARENT);
        return m_backgroundBrush;
    }
    return IPage::OnCtlColor(dc, control, kind);
}
