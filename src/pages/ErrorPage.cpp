#include "pages/ErrorPage.h"

#include "resource.h"

ErrorPage::ErrorPage(std::shared_ptr<LanguageManager> languageManager, CWnd* parent)
    : IPage(std::move(languageManager), IDD_ERROR_PAGE, parent)
{
    m_messageMap.OnCommand(IDC_ERROR_CLOSE, BN_CLICKED, [this] { NotifyButton(ButtonType::Close); });
}

void ErrorPage::DoDataExchange(CDataExchange* exchange)
{
    IPage::DoDataExchange(exchange);
    DDX_Text(exchange, IDC_ERROR_TITLE, m_title);
    DDX_Text(exchange, IDC_ERROR_TEXT, m_text);
    DDX_Control(exchange, IDC_PAGE_IMAGE, m_pageImage);
}

BOOL ErrorPage::OnInitDialog()
{
    IPage::OnInitDialog();
    m_pageImage.LoadImage(IDR_IMAGE_FAILURE, L"IMAGE_BLOB3");
    BindText("BUTTON_CLOSE", IDC_ERROR_CLOSE);
    UpdateTexts();
    return TRUE;
}
