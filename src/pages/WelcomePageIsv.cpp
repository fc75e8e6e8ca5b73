#include "pages/WelcomePageIsv.h"

#include "profile/ConfigurationManager.h"
#include "resource.h"

WelcomePageIsv::WelcomePageIsv(std::shared_ptr<LanguageManager> languageManager, CWnd* parent)
    : IPage(std::move(languageManager), IDD_WELCOME_PAGE, parent)
{
    m_messageMap.OnCommand(IDC_NEXT, BN_CLICKED, [this] { NotifyButton(ButtonType::Next); });
}

void WelcomePageIsv::DoDataExchange(CDataExchange* exchange)
{
    IPage::DoDataExchange(exchange);
    DDX_Control(exchange, IDC_PRIVACY_LINK, m_privacyLink);
    DDX_Control(exchange, IDC_TERMS_LINK, m_termsLink);
    DDX_Control(exchange, IDC_SDK_LINK, m_sdkLink);
    DDX_Control(exchange, IDC_PAGE_IMAGE, m_logo);
}

BOOL WelcomePageIsv::OnInitDialog()
{
    IPage::OnInitDialog();
    const auto configuration = ConfigurationManager::Instance();
    const bool dlm = configuration->m_wizardType == WIZARD_DLM;
    if (dlm) {
        m_logo.SetImage(configuration->m_productImage);
    } else {
        m_logo.LoadImage(IDR_IMAGE_LOGO, L"IMAGE_BLOB");
    }

    BindText("WELCOME_TITLE", IDC_WELCOME_TITLE);
    BindText("PRODUCT_TITLE", IDC_WELCOME_PRODUCT);
    BindText("WELCOME_TEXT", IDC_WELCOME_TEXT);
    BindText("BUTTON_NEXT", IDC_NEXT);
    BindText("PRIVACY_LINK", IDC_PRIVACY_LINK);
    BindText(dlm ? "TOS_LINK" : "EULA_LINK", IDC_TERMS_LINK);
    BindText("SDK_LINK", IDC_SDK_LINK);
    UpdateTexts();

    const std::pair<CMFCLinkCtrl*, CString> links[] = {{&m_privacyLink, configuration->m_privacyUrl},
                                                       {&m_termsLink, configuration->m_termsUrl},
                                                       {&m_sdkLink, configuration->m_sdkLicenseUrl}};
    for (const auto& [link, url] : links) {
        link->SetURL(url);
        if (url.IsEmpty()) {
            link->ShowWindow(SW_HIDE);
        }
    }
    return TRUE;
}

void WelcomePageIsv::UpdateTexts()
{
    IPage::UpdateTexts();
    for (CMFCLinkCtrl* link : {&m_privacyLink, &m_termsLink, &m_sdkLink}) {
        link->SizeToContent();
    }
}
