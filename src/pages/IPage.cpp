#include "pages/IPage.h"

#include "framework/WebAddress.h"
#include "locale/LanguageManager.h"
#include "profile/ConfigurationManager.h"
#include "resource.h"

#include <commctrl.h>

IPage::IPage(std::shared_ptr<LanguageManager> languageManager, UINT templateId, CWnd* parent)
    : CDialogEx(templateId, parent), m_languageManager(std::move(languageManager))
{
    m_languageManager->AddListener(this);
    m_bandBrush.CreateSolidBrush(ConfigurationManager::Instance()->m_accentColor);
}

IPage::~IPage()
{
    m_languageManager->RemoveListener(this);
}

void IPage::SetButtonHandler(ButtonHandler handler)
{
    m_buttonHandler = std::move(handler);
}

void IPage::SetErrorHandler(ErrorHandler handler)
{
    m_errorHandler = std::move(handler);
}

void IPage::BindText(const std::string& key, int controlId)
{
    m_texts.emplace_back(controlId, key);
}

void IPage::UpdateTexts()
{
    if (!m_hWnd) {
        return;
    }
    for (const auto& [controlId, key] : m_texts) {
        HWND control = ::GetDlgItem(m_hWnd, controlId);
        if (!control) {
            continue;
        }
        const CString text = m_languageManager->GetString(key);
        if (!text.IsEmpty()) {
            ::SetWindowTextW(control, text);
        }
    }
}

HBRUSH IPage::OnCtlColor(CDC* dc, CWnd* control, UINT kind)
{
    if (control->GetDlgCtrlID() == IDC_PAGE_BAND) {
        dc->SetBkMode(TRANSPARENT);
        return m_bandBrush;
    }
    return CDialogEx::OnCtlColor(dc, control, kind);
}

void IPage::NotifyButton(ButtonType type) const
{
    if (m_buttonHandler) {
        m_buttonHandler(type);
    }
}

void IPage::NotifyError(const CString& title, const CString& text) const
{
    if (m_errorHandler) {
        m_errorHandler(title, text);
    }
}

LRESULT IPage::OnLinkClick(NMHDR& notification)
{
    const auto& link = reinterpret_cast<const NMLINK&>(notification);
    if (link.item.szUrl[0] != L'\0') {
        WebAddress::Open(link.item.szUrl);
    }
    return 0;
}

void IPage::MakeTitleFont(CWnd& title)
{
    HFONT current = title.GetFont();
    if (!current) {
        return;
    }
    LOGFONTW font{};
    GetObjectW(current, sizeof(font), &font);
    font.lfHeight = 12;
    font.lfWeight = 1000;
    m_titleFont.CreateFontIndirect(&font);
    title.SetFont(m_titleFont);
}
