#include "app/CTesseraDlg.h"

#include "app/CAboutDlg.h"
#include "app/FolderCleanup.h"
#include "app/WindowMessages.h"
#include "framework/AfxGlobals.h"
#include "framework/MessagePump.h"
#include "locale/LanguageManager.h"
#include "pages/ErrorPage.h"
#include "pages/LanguagePage.h"
#include "pages/LanguagePageKV.h"
#include "pages/LoadingPage.h"
#include "profile/BuildConstants.h"
#include "profile/ConfigurationManager.h"
#include "remote/ApiManager.h"
#include "remote/Package.h"
#include "resource.h"
#include "transfer/DownloadManager.h"

#include <climits>

namespace {

bool HasCloseItem(HMENU menu)
{
    return GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND) != static_cast<UINT>(-1);
}

// Waits until no telemetry send of the package is running, keeping the thread's messages flowing.
void WaitForTelemetry(Package& package)
{
    PumpMessagesUntil([&package] { return package.PendingEvents() == 0; });
}

}  // namespace

CTesseraDlg::CTesseraDlg(CWnd* parent)
    : CDialogEx(IDD_TESSERA_DIALOG, parent),
      m_hIcon(LoadIconW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(IDR_MAINFRAME))),
      m_languageManager(std::make_shared<LanguageManager>(this))
{
    m_messageMap.OnMessageOrDefault(WM_SYSCOMMAND, [this](WPARAM w, LPARAM l, LRESULT&) { return OnSysCommand(w, l); });
    m_messageMap.OnMessageOrDefault(WM_PAINT, [this](WPARAM, LPARAM, LRESULT&) { return OnPaint(); });
    m_messageMap.OnMessage(WM_QUERYDRAGICON, [this](WPARAM, LPARAM) { return reinterpret_cast<LRESULT>(m_hIcon); });
    m_messageMap.OnMessage(WM_LOAD_COMPLETE, [this](WPARAM w, LPARAM l) { return OnLoadCompleteMessage(w, l); });
    m_messageMap.OnMessage(WM_CLOSE, [this](WPARAM, LPARAM) { OnClose(); return 0; });
}

CTesseraDlg::~CTesseraDlg()
{
    ReleaseImages();
}

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
    CreateInitialPages();

    if (configuration->m_wizardType == WIZARD_ISV) {
        m_productIcon.ShowWindow(SW_HIDE);
        m_separator.ShowWindow(SW_HIDE);
    }
    // For DLM the icon and title come back once the configuration has named the product.
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

CRect CTesseraDlg::PageRectangle()
{
    CRect rect;
    GetDlgItem(IDC_PAGE_FRAME)->GetWindowRect(rect);
    ScreenToClient(rect);
    return rect;
}

bool CTesseraDlg::CreateInitialPages()
{
    const CRect rect = PageRectangle();
    m_errorPage = std::make_unique<ErrorPage>(m_languageManager, this);
    CreatePage(*m_errorPage, rect);

    if (ConfigurationManager::Instance()->m_brandedPages) {
        CreateAndAddPage(std::make_unique<LanguagePageKV>(m_languageManager, this), rect);
    } else {
        CreateAndAddPage(std::make_unique<LanguagePage>(m_languageManager, this), rect);
    }
    CreateAndAddPage(std::make_unique<LoadingPage>(m_languageManager, this), rect);
    if (auto* loading = dynamic_cast<LoadingPage*>(m_pages.back().get())) {
        // May run on the thread that fetched the last image: it only hands the list over and posts.
        loading->m_completionHandler = [this](std::vector<std::shared_ptr<Package>> offers) {
            m_offers = std::move(offers);
            PostMessage(WM_LOAD_COMPLETE);
        };
    }

    m_currentPage = 0;
    if (m_pages.empty()) {
        return false;
    }
    m_pages.front()->ShowWindow(SW_SHOW);
    m_pages.front()->SetFocus();
    return true;
}

void CTesseraDlg::CreatePage(IPage& page, const CRect& rect)
{
    page.Create(page.TemplateId(), this);
    page.SetBackgroundColor(ConfigurationManager::Instance()->m_backgroundColor, TRUE);
    page.SetButtonHandler([this](ButtonType type) { OnPageButton(type); });
    page.ShowWindow(SW_HIDE);
    // Pages go above the frame and the band they overlap, so those never paint over a page.
    page.SetWindowPos(nullptr, rect.left, rect.top, rect.Width(), rect.Height(), SWP_NOACTIVATE);
}

void CTesseraDlg::CreateAndAddPage(std::unique_ptr<IPage> page, const CRect& rect)
{
    CreatePage(*page, rect);
    page->SetErrorHandler([this](const CString& title, const CString& text) { ShowErrorPage(title, text); });
    m_pages.push_back(std::move(page));
}

LRESULT CTesseraDlg::OnLoadCompleteMessage(WPARAM, LPARAM)
{
    const auto configuration = ConfigurationManager::Instance();
    const bool dlm = configuration->m_wizardType == WIZARD_DLM;
    m_languageManager->SetLanguage(configuration->m_languageName);

    if (dlm) {
        m_productIcon.SetImage(configuration->m_productImage);
        m_productIcon.ShowWindow(SW_SHOW);
        m_titleLabel.SetWindowText(configuration->m_productTitle);
        m_titleLabel.ShowWindow(SW_SHOW);
        SetWindowText(configuration->m_productTitle + L" Setup");
    }
    if (configuration->m_setupPackage) {
        configuration->m_setupPackage->Refresh(ApiManager::Instance()->MakeBaseRequest(),
                                               dlm ? configuration->m_productTitle : configuration->m_productId,
                                               configuration->m_cfl, configuration->m_productTitle,
                                               configuration->m_ch);
    }

    OnPageButton(ButtonType::Next);
    return 0;
}

void CTesseraDlg::OnPageButton(ButtonType type)
{
    switch (type) {
    case ButtonType::Next:
        if (m_currentPage == 0 && m_wentBack) {
            ShowPage(2);
        } else if (m_currentPage == 0) {
            StartSetupPackage();
            ShowPage(1);
        } else {
            ShowPage(m_currentPage + 1);
        }
        break;
    case ButtonType::SkipAll:
        m_skipAllClicked = true;
        [[fallthrough]];
    case ButtonType::Decline:
        if (m_offerCursor >= 0 && m_offerCursor < static_cast<int>(m_offers.size()) &&
            m_offers[static_cast<std::size_t>(m_offerCursor)]->m_flow.saad) {
            m_skipAllAfterDecline = true;
        }
        [[fallthrough]];
    case ButtonType::Accept:
        ShowPage(m_currentPage + 1 + CountOfferPagesToSkip());
        break;
    case ButtonType::Back:
        m_wentBack = true;
        ShowPage(m_currentPage == 2 ? 0 : m_currentPage - 1);
        break;
    case ButtonType::Close:
        EndDialog(1);
        break;
    case ButtonType::Finish:
        RemoveTempFolder();
        EndDialog(1);
        break;
    }
}

void CTesseraDlg::StartSetupPackage()
{
    const auto configuration = ConfigurationManager::Instance();
    const BaseRequest request = ApiManager::Instance()->MakeBaseRequest();
    if (configuration->m_wizardType == WIZARD_ISV) {
        configuration->m_setupPackage =
            std::make_shared<Package>(request, true, configuration->m_productId, configuration->m_cfl,
                                      configuration->m_productTitle, configuration->m_ch, 0);
    } else {
        configuration->m_setupPackage =
            std::make_shared<Package>(request, true, CString(), CString(), CString(), CString(), 0);
    }
    configuration->m_setupPackage->SendEvent(1, nullptr);
}

void CTesseraDlg::ShowPage(int index)
{
    if (index < 0 || index >= static_cast<int>(m_pages.size())) {
        return;
    }
    IPage& page = *m_pages[static_cast<std::size_t>(index)];
    page.ShowWindow(SW_SHOW);
    page.SetFocus();
    if (m_currentPage != index && m_currentPage >= 0 && m_currentPage < static_cast<int>(m_pages.size())) {
        m_pages[static_cast<std::size_t>(m_currentPage)]->ShowWindow(SW_HIDE);
    }
    m_currentPage = index;
    page.OnNavigateToPage();

    const CString name = page.GetPageName();
    HMENU systemMenu = GetSystemMenu(FALSE);
    if (name == L"DownloadPageDLM" || name == L"DownloadPageISV") {
        DeleteMenu(systemMenu, SC_CLOSE, MF_BYCOMMAND);
    } else if ((name == L"FinishPageDLM" || name == L"FinishPageISV") && !HasCloseItem(systemMenu)) {
        AppendMenuW(systemMenu, MF_STRING, SC_CLOSE, L"Close");
    }
    OutputDebugStringW(name + L"\n");
}

void CTesseraDlg::ShowErrorPage(const CString& title, const CString& text)
{
    if (m_currentPage >= 0 && m_currentPage < static_cast<int>(m_pages.size())) {
        m_pages[static_cast<std::size_t>(m_currentPage)]->ShowWindow(SW_HIDE);
    }
    m_errorPage->m_title = title;
    m_errorPage->m_text = text;
    m_errorPage->UpdateData(FALSE);
    m_errorPage->ShowWindow(SW_SHOW);
    m_errorPage->SetFocus();
    m_errorShown = true;
    if (HMENU systemMenu = GetSystemMenu(FALSE); !HasCloseItem(systemMenu)) {
        AppendMenuW(systemMenu, MF_STRING, SC_CLOSE, L"Close");
    }
}

int CTesseraDlg::CountOfferPagesToSkip()
{
    const auto configuration = ConfigurationManager::Instance();
    int skipped = 0;
    for (;;) {
        const int next = m_currentPage + skipped + 1;
        if (next >= static_cast<int>(m_pages.size()) ||
            m_pages[static_cast<std::size_t>(next)]->GetPageName() != L"ProductPage") {
            return skipped;
        }
        ++m_offerCursor;
        if (m_offerCursor >= static_cast<int>(m_offers.size())) {
            return skipped;
        }
        Package& offer = *m_offers[static_cast<std::size_t>(m_offerCursor)];
        bool byDecline = false;
        if (!m_skipAllClicked && !m_skipAllAfterDecline && !m_maxOffersExceeded) {
            if (configuration->m_offerDeclined && offer.m_flow.sied) {
                byDecline = true;
                // A skipped offer must not limit the ones after it.
                offer.m_flow.mo = INT_MAX;
                --configuration->m_offerAdjustment;
            }
            for (int earlier = 0; earlier < m_offerCursor; ++earlier) {
                if (m_offerCursor >= m_offers[static_cast<std::size_t>(earlier)]->m_flow.mo) {
                    m_maxOffersExceeded = true;
                    break;
                }
            }
        }
        if (!m_skipAllClicked && !m_skipAllAfterDecline && !m_maxOffersExceeded && !byDecline) {
            return skipped;
        }
        if (m_offerCursor < configuration->m_maxOffers) {
            offer.SendEvent(2, {{"13", SkipReason(byDecline)}});
        }
        ++skipped;
    }
}

const char* CTesseraDlg::SkipReason(bool byDecline) const
{
    if (m_skipAllClicked) {
        return "SKIP ALL CLICKED";
    }
    if (byDecline) {
        return "SKIPPED BECAUSE OF EARLIER DECLINE";
    }
    if (m_maxOffersExceeded) {
        return "EXCEEDED MAX NUMBER OF OFFERS IN FLOW";
    }
    return "SKIP ALL AFTER DECLINE OFFER DECLINED";
}

void CTesseraDlg::RemoveTempFolder()
{
    const CString folder = ConfigurationManager::Instance()->m_tempFolder;
    if (!folder.IsEmpty()) {
        DeleteFolderTree(folder);
    }
}

void CTesseraDlg::OnClose()
{
    if (m_closing) {
        return;
    }
    const auto configuration = ConfigurationManager::Instance();
    const int pageCount = static_cast<int>(m_pages.size());
    const bool configurationPending = pageCount == 2;
    if (!m_errorShown && (m_currentPage < pageCount - 1 || configurationPending)) {
        const CString question = m_languageManager->GetString(m_installInProgress ? "PROGRESS_QUIT" : "MSG_EXIT");
        if (MessageBox(question, CString(), MB_OKCANCEL | MB_ICONQUESTION) != IDOK) {
            return;
        }
    }
    m_closing = true;
    m_singleInstanceMutex.Reset();
    ShowWindow(SW_HIDE);
    configuration->m_quitRequested = true;
    DownloadManager::Instance()->m_cancelled = true;

    const auto shownOffers = configuration->m_shownOffers;
    for (const auto& offer : shownOffers) {
        offer->SendEvent(5, nullptr);
        WaitForTelemetry(*offer);
    }
    if (const auto setup = configuration->m_setupPackage) {
        setup->SendEvent(5, nullptr);
        WaitForTelemetry(*setup);
    }
    RemoveTempFolder();
    EndDialog(IDCANCEL);
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

void CTesseraDlg::ReleaseImages()
{
    const auto configuration = ConfigurationManager::Instance();
    for (const auto* offers : {&configuration->m_acceptedOffers, &configuration->m_shownOffers}) {
        for (const auto& offer : *offers) {
            offer->m_image.reset();
        }
    }
    configuration->m_productImage.reset();
    m_productIcon.SetImage(nullptr);
}
