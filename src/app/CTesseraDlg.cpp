#include "app/CTesseraDlg.h"

#include "app/CAboutDlg.h"
#include "framework/AfxGlobals.h"
#include "profile/BuildConstants.h"
#include "profile/ConfigurationManager.h"
#include "resource.h"

CTesseraDlg::CTesseraDlg(CWnd* parent)
    : CDialogEx(IDD_TESSERA_DIALOG, parent), m_hIcon(LoadIconW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(IDR_MAINFRAME)))
{
    m_messageMap.OnMessageOrDefault(WM_SYSCOMMAND, [this](WPARAM w, LPARAM l, LRESULT&) { return OnSysCommand(w, l); });
    m_messageMap.OnMessageOrDefault(WM_PAINT, [this](WPARAM, LPARAM, LRESULT&) { return OnPaint(); });
    m_messageMap.OnMessage(WM_QUERYDRAGICON, [this](WPARAM, LPARAM) { return reinterpret_cast<LRESULT>(m_hIcon); });
    m_messageMap.OnMessage(WM_CLOSE, [this](WPARAM, LPARAM) { OnClose(); return 0; });
}

CTesseraDlg::~CTesseraDlg() = default;

void CTesseraDlg::DoDataExchange(CDataExchange* exchange)
{
    CDialogEx::DoDataExchange(exchange);
    DDX_Control(exchange, IDC_TITLE_LABEL, m_titleLabel);
    DDX_Control(exchange, IDC_PRODUCT_ICON, m_productIcon);
    DDX_Control(exchange, IDC_SEPARATOR, m_separator);
    DDX_Control(exchange, IDC_BAND, m_band);
}

BOOL CTesseraDlg::OnInitDialog()
{
    CDialogEx::OnInitDialog();

    const CString aboutText = LoadResourceString(IDS_ABOUTBOX);
    if (HMENU systemMenu = GetSystemMenu(FALSE); systemMenu && !aboutText.IsEmpty()) {
        AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(systemMenu, MF_STRING, IDM_ABOUTBOX, aboutText);
    }
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    if (!AcquireSingleInstance() || !ApplyWizardTitle()) {
        return FALSE;
    }

    const auto configuration = ConfigurationManager::Instance();
    m_bandBrush.CreateSolidBrush(configuration->m_accentColor);
    m_titleLabel.SetWindowText(configuration->m_productTitle);

    if (configuration->m_wizardType == WIZARD_ISV) {
        m_productIcon.ShowWindow(SW_HIDE);
        m_separator.ShowWindow(SW_HIDE);
    }
    m_titleLabel.ShowWindow(SW_HIDE);
    return TRUE;
}

bool CTesseraDlg::AcquireSingleInstance()
{
    const CString name = CString(L"Global\\Tessera") + BuildConstants::WizardTypeKey + L"SingleInstanceMutex";
    m_singleInstanceMutex.Reset(CreateMutexW(nullptr, TRUE, name));
    const DWORD error = GetLastError();
    if (m_singleInstanceMutex && error == ERROR_ALREADY_EXISTS) {
        m_singleInstanceMutex.Reset();
        MessageBox(L"Another setup is already running, please close it and try again", L"Error",
                   MB_ICONERROR | MB_SYSTEMMODAL);
        EndDialog(1);
        return false;
    }
    return true;
}

bool CTesseraDlg::ApplyWizardTitle()
{
    const auto configuration = ConfigurationManager::Instance();
    switch (configuration->m_wizardType) {
    case WIZARD_DLM:
        SetWindowText(L"Setup");
        return true;
    case WIZARD_ISV:
        SetWindowText(configuration->m_productTitle + L" ");
        return true;
    default:
        MessageBox(L"Invalid wizard type", CString(), MB_ICONERROR | MB_SYSTEMMODAL);
        EndDialog(1);
        return false;
    }
}

HBRUSH CTesseraDlg::OnCtlColor(CDC* dc, CWnd* control, UINT kind)
{
    if (control->GetDlgCtrlID() == IDC_BAND) {
        dc->SetBkMode(TRANSPARENT);
        return m_bandBrush;
    }
    return CDialogEx::OnCtlColor(dc, control, kind);
}

bool CTesseraDlg::OnSysCommand(WPARAM command, LPARAM)
{
    if ((command & 0xFFF0) != IDM_ABOUTBOX) {
        return false;
    }
    CAboutDlg about(this);
    about.DoModal();
    return true;
}

bool CTesseraDlg::OnPaint()
{
    if (!IsIconic(m_hWnd)) {
        return false;
    }
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_hWnd, &paint);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    GetClientRect(&client);
    const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, m_hIcon);
    EndPaint(m_hWnd, &paint);
    return true;
}

void CTesseraDlg::OnCancel()
{
    OnClose();
}

void CTesseraDlg::OnClose()
{
    m_singleInstanceMutex.Reset();
    ShowWindow(SW_HIDE);
    EndDialog(IDCANCEL);
}
