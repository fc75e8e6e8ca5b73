#include "app/CAboutDlg.h"

#include "profile/ConfigurationManager.h"
#include "resource.h"

CAboutDlg::CAboutDlg(CWnd* parent) : CDialogEx(IDD_ABOUTBOX, parent) {}

void CAboutDlg::DoDataExchange(CDataExchange* exchange)
{
    CDialogEx::DoDataExchange(exchange);
    DDX_Control(exchange, IDC_ABOUT_VERSION, m_versionLabel);
}

BOOL CAboutDlg::OnInitDialog()
{
    CDialogEx::OnInitDialog();
    CString text;
    text.Format(L"Tessera, Version %s", static_cast<const wchar_t*>(ConfigurationManager::Instance()->m_version));
    m_versionLabel.SetWindowText(text);
    return TRUE;
}
