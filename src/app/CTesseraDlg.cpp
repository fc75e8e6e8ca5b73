#include "app/CTesseraDlg.h"

#include "app/CAboutDlg.h"
#include "app/FolderCleanup.h"
#include "framework/AfxGlobals.h"
#include "framework/PaintContext.h"
#include "framework/MessagePump.h"
#include "framework/PrivateMessages.h"
#include "framework/SetupLog.h"
#include "framework/Worker.h"
#include "locale/LanguageManager.h"
#include "pages/ConfigurationsPageKVHeritage.h"
#include "pages/DownloadPageDlm.h"
#include "pages/DownloadPageIsv.h"
#include "pages/ErrorPage.h"
#include "pages/FinishPageDlm.h"
#include "pages/FinishPageIsv.h"
#include "pages/LanguagePage.h"
#include "pages/LanguagePageKV.h"
#include "pages/LicensePageIsv.h"
#include "pages/LoadingPage.h"
#include "pages/OptionsPageKVHeritage.h"
#include "pages/ProductPage.h"
#include "pages/WarningPageKVHeritage.h"
#include "pages/WelcomePageIsv.h"
#include "profile/BuildConstants.h"
#include "profile/ConfigurationManager.h"
#include "remote/ApiManager.h"
#include "remote/TelemetryNames.h"
#include "resource.h"

namespace {

// Where the first pages sit in the page list. The language page and the loading page are the only
// pages until the configuration has arrived; the pages it brings follow from index 2 on.
constexpr int kLanguagePageIndex = 0;
constexpr int kLoadingPageIndex = 1;
constexpr int kFirstConfiguredPageIndex = 2;
constexpr int kPagesBeforeConfiguration = 2;

bool HasCloseItem(HMENU menu)
{
    return GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND) != static_cast<UINT>(-1);
}

std::chrono::milliseconds Remaining(std::chrono::steady_clock::time_point deadline)
{
    const auto now = std::chrono::steady_clock::now();
    return now < deadline ? std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now)
                          : std::chrono::milliseconds(0);
}

// Sends the package's quit event and waits, keeping the thread's messages flowing, until no send of the
// package runs or the deadline has come.
void SendQuit(Package& package, std::chrono::steady_clock::time_point deadline)
{
    package.SendEvent(EventId::Quit, nullptr);
    PumpMessagesUntil([&package] { return package.PendingEvents() == 0; }, Remaining(deadline));
}

}  // namespace

CTesseraDlg::CTesseraDlg(CWnd* parent)
    : CDialogEx(IDD_TESSERA_DIALOG, parent),
      m_hIcon(LoadIconW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(IDR_MAINFRAME))),
      m_languageManager(std::make_shared<LanguageManager>())
{
    m_messageMap.OnMessageOrDefault(WM_SYSCOMMAND, [this](WPARAM w, LPARAM l, LRESULT&) { return OnSysCommand(w, l); });
    m_messageMap.OnMessageOrDefault(WM_PAINT, [this](WPARAM, LPARAM, LRESULT&) { return OnPaint(); });
    m_messageMap.OnMessage(WM_QUERYDRAGICON, [this](WPARAM, LPARAM) { return reinterpret_cast<LRESULT>(m_hIcon); });
    m_messageMap.OnMessage(WM_LOAD_COMPLETE, [this](WPARAM w, LPARAM l) { return OnLoadCompleteMessage(w, l); });
    m_messageMap.OnMessage(WM_CREATE_NEXT_PAGE, [this](WPARAM w, LPARAM l) { return OnCreateNextPage(w, l); });
    m_messageMap.OnMessage(WM_CREATE_START_PAGES, [this](WPARAM, LPARAM) { EnsureStartPages(); return 0; });
    m_messageMap.OnMessage(WM_CLOSE, [this](WPARAM, LPARAM) { OnClose(); return 0; });
}

CTesseraDlg::~CTesseraDlg()
{
    // Workers hold what they touch; a dialog that goes without EndRun (a test's) stops them starting more.
    m_run->Cancel();
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
    SetupLog::StartupStep("main window created");
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
    SetupLog::StartupStep("first pages created");
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
    // Only the first page is made before the window shows; the error and loading pages follow once it
    // has (WM_CREATE_START_PAGES), or at once when one of them is wanted first.
    m_errorPage = std::make_unique<ErrorPage>(m_languageManager, this);
    if (ConfigurationManager::Instance()->m_brandedPages) {
        CreateAndAddPage(std::make_unique<LanguagePageKV>(m_languageManager, this), rect);
    } else {
        CreateAndAddPage(std::make_unique<LanguagePage>(m_languageManager, this), rect);
    }
    SetupLog::StartupStep("language page created");
    auto loading = std::make_unique<LoadingPage>(m_languageManager, this);
    // Called from the loading page's own message: the pages are built from a message of the dialog's.
    loading->m_completionHandler = [this](std::vector<std::shared_ptr<Package>> offers) {
        m_deliveredOffers = std::move(offers);
        PostMessage(WM_LOAD_COMPLETE);
    };
    AddPage(std::move(loading));
    PostMessage(WM_CREATE_START_PAGES);

    m_currentPage = kLanguagePageIndex;
    m_pages.front()->ShowWindow(SW_SHOW);
    m_pages.front()->SetFocus();
    LogEntry() << "Page shown: " << m_pages.front()->GetPageName();
    return true;
}

void CTesseraDlg::EnsureStartPages()
{
    const CRect rect = PageRectangle();
    if (!m_errorPage->GetSafeHwnd()) {
        CreatePage(*m_errorPage, rect);
    }
    IPage& loading = *m_pages[kLoadingPageIndex];
    if (!loading.GetSafeHwnd()) {
        CreatePage(loading, rect);
    }
}

void CTesseraDlg::CreatePage(IPage& page, const CRect& rect)
{
    page.Create(page.TemplateId(), this);
    page.SetBackgroundColor(ConfigurationManager::Instance()->m_backgroundColor, TRUE);
    page.SetButtonHandler([this](ButtonType type) { OnPageButton(type); });
    page.SetRun(m_run);
    page.ShowWindow(SW_HIDE);
    // Pages go above the frame and the band they overlap, so those never paint over a page.
    page.SetWindowPos(nullptr, rect.left, rect.top, rect.Width(), rect.Height(), SWP_NOACTIVATE);
}

void CTesseraDlg::CreateAndAddPage(std::unique_ptr<IPage> page, const CRect& rect)
{
    CreatePage(*page, rect);
    AddPage(std::move(page));
}

void CTesseraDlg::AddPage(std::unique_ptr<IPage> page)
{
    page->SetErrorHandler([this](const CString& title, const CString& text) { ShowErrorPage(title, text); });
    m_pages.push_back(std::move(page));
}

LRESULT CTesseraDlg::OnLoadCompleteMessage(WPARAM, LPARAM)
{
    // A late message while quitting, or a second one, must not build pages on a closing window.
    std::optional<std::vector<std::shared_ptr<Package>>> offers = std::exchange(m_deliveredOffers, std::nullopt);
    if (m_closing || !offers || m_configurationArrived) {
        return 0;
    }
    m_configurationArrived = true;
    LogEntry() << "Configuration complete: " << offers->size() << " offer(s) handed to the wizard";
    m_offerSequence.SetOffers(std::move(*offers));

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

    QueueConfiguredPages();
    return OnCreateNextPage(0, 0);
}

LRESULT CTesseraDlg::OnCreateNextPage(WPARAM, LPARAM)
{
    if (m_closing) {
        m_pagesToCreate.clear();
        return 0;
    }
    if (!m_pagesToCreate.empty()) {
        std::unique_ptr<IPage> page = std::move(m_pagesToCreate.front());
        m_pagesToCreate.pop_front();
        CreateAndAddPage(std::move(page), PageRectangle());
    }
    if (!m_pagesToCreate.empty()) {
        PostMessage(WM_CREATE_NEXT_PAGE);
        return 0;
    }
    // The loading page is shown now, so this shows the first page the configuration brought.
    OnPageButton(ButtonType::Next);
    return 0;
}

void CTesseraDlg::QueueConfiguredPages()
{
    const auto add = [this](std::unique_ptr<IPage> page) { m_pagesToCreate.push_back(std::move(page)); };
    const auto configuration = ConfigurationManager::Instance();
    const bool heritage = configuration->m_heritagePages;
    if (configuration->m_brandedPages && heritage) {
        add(std::make_unique<WarningPageKVHeritage>(m_languageManager, this));
    }
    if (configuration->m_brandedPages) {
        add(std::make_unique<LicensePageIsv>(m_languageManager, this));
    } else {
        add(std::make_unique<WelcomePageIsv>(m_languageManager, this));
    }
    for (const auto& offer : m_offerSequence.Offers()) {
        add(std::make_unique<ProductPage>(m_languageManager, offer, this));
    }
    if (heritage) {
        add(std::make_unique<OptionsPageKVHeritage>(m_languageManager, this));
        add(std::make_unique<ConfigurationsPageKVHeritage>(m_languageManager, this));
    }
    if (configuration->m_wizardType == WIZARD_DLM) {
        add(std::make_unique<DownloadPageDlm>(m_languageManager, this));
        add(std::make_unique<FinishPageDlm>(m_languageManager, this));
    } else if (configuration->m_wizardType == WIZARD_ISV) {
        auto download = std::make_unique<DownloadPageIsv>(m_languageManager, this);
        download->m_installStartedHandler = [this] { m_installInProgress = true; };
        download->m_installFinishedHandler = [this] { m_installInProgress = false; };
        add(std::move(download));
        add(std::make_unique<FinishPageIsv>(m_languageManager, this));
    }
}

void CTesseraDlg::OnPageButton(ButtonType type)
{
    switch (type) {
    case ButtonType::Next:
        if (m_currentPage == kLanguagePageIndex && m_wentBack) {
            // The loading page is not shown again.
            ShowPage(kFirstConfiguredPageIndex);
        } else if (m_currentPage == kLanguagePageIndex) {
            StartSetupPackage();
            ShowPage(kLoadingPageIndex);
        } else {
            ShowPage(m_currentPage + 1);
        }
        break;
    case ButtonType::SkipAll:
    case ButtonType::Decline:
        m_offerSequence.OnDecline(type == ButtonType::SkipAll);
        ShowPage(m_currentPage + 1 + CountOfferPagesToSkip());
        break;
    case ButtonType::Accept:
        ShowPage(m_currentPage + 1 + CountOfferPagesToSkip());
        break;
    case ButtonType::Back:
        m_wentBack = true;
        ShowPage(m_currentPage == kFirstConfiguredPageIndex ? kLanguagePageIndex : m_currentPage - 1);
        break;
    case ButtonType::Close:
        LogEntry() << "Quit: Close on the error page";
        EndRun(false, 1);
        break;
    case ButtonType::Finish:
        LogEntry() << "Finished";
        EndRun(false, 1);
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
    configuration->m_setupPackage->m_run = m_run;
    configuration->m_setupPackage->SendEvent(EventId::SetupStarted, nullptr);
}

void CTesseraDlg::ShowPage(int index)
{
    if (m_closing || index < 0 || index >= static_cast<int>(m_pages.size())) {
        return;
    }
    EnsureStartPages();
    IPage& page = *m_pages[static_cast<std::size_t>(index)];
    page.ShowWindow(SW_SHOW);
    page.SetFocus();
    if (m_currentPage != index && m_currentPage >= 0 && m_currentPage < static_cast<int>(m_pages.size())) {
        m_pages[static_cast<std::size_t>(m_currentPage)]->ShowWindow(SW_HIDE);
    }
    m_currentPage = index;
    page.OnNavigateToPage();

    HMENU systemMenu = GetSystemMenu(FALSE);
    if (page.GetPageKind() == PageKind::Download) {
        DeleteMenu(systemMenu, SC_CLOSE, MF_BYCOMMAND);
    } else if (page.GetPageKind() == PageKind::Finish && !HasCloseItem(systemMenu)) {
        AppendMenuW(systemMenu, MF_STRING, SC_CLOSE, L"Close");
    }
    const CString name = page.GetPageName();
    OutputDebugStringW(name + L"\n");
    LogEntry() << "Page shown: " << name;
}

void CTesseraDlg::ShowErrorPage(const CString& title, const CString& text)
{
    if (m_closing) {
        return;
    }
    EnsureStartPages();
    if (m_currentPage >= 0 && m_currentPage < static_cast<int>(m_pages.size())) {
        m_pages[static_cast<std::size_t>(m_currentPage)]->ShowWindow(SW_HIDE);
    }
    m_errorPage->m_title = title;
    m_errorPage->m_text = text;
    m_errorPage->UpdateData(FALSE);
    m_errorPage->ShowWindow(SW_SHOW);
    m_errorPage->SetFocus();
    m_errorShown = true;
    LogEntry() << "Page shown: " << m_errorPage->GetPageName() << " (" << title << ")";
    if (HMENU systemMenu = GetSystemMenu(FALSE); !HasCloseItem(systemMenu)) {
        AppendMenuW(systemMenu, MF_STRING, SC_CLOSE, L"Close");
    }
}

int CTesseraDlg::CountOfferPagesToSkip()
{
    return m_offerSequence.CountOfferPagesToSkip(OfferPagesAfter(m_currentPage)).pagesToSkip;
}

int CTesseraDlg::OfferPagesAfter(int index) const
{
    int count = 0;
    for (std::size_t next = static_cast<std::size_t>(index) + 1;
         next < m_pages.size() && m_pages[next]->GetPageKind() == PageKind::Offer; ++next) {
        ++count;
    }
    return count;
}

CString CTesseraDlg::ShownPageName() const
{
    if (m_errorShown) {
        return m_errorPage->GetPageName();
    }
    const bool valid = m_currentPage >= 0 && m_currentPage < static_cast<int>(m_pages.size());
    return valid ? m_pages[static_cast<std::size_t>(m_currentPage)]->GetPageName() : CString();
}

void CTesseraDlg::RemoveTempFolder()
{
    const CString folder = ConfigurationManager::Instance()->m_tempFolder;
    if (!folder.IsEmpty()) {
        DeleteFolderTree(folder);
        // The tree removal leaves an empty folder in place; the setup's own folder goes even then,
        // or every run that downloaded nothing would leave one behind.
        RemoveDirectoryW(folder);
        LogEntry() << "Temporary folder " << folder
                   << (GetFileAttributesW(folder) == INVALID_FILE_ATTRIBUTES ? " removed" : " still there");
    }
}

void CTesseraDlg::OnClose()
{
    if (m_closing) {
        return;
    }
    const int pageCount = static_cast<int>(m_pages.size());
    const bool configurationPending = pageCount == kPagesBeforeConfiguration;
    if (!m_errorShown && (m_currentPage < pageCount - 1 || configurationPending)) {
        const CString question = m_languageManager->GetString(m_installInProgress ? "PROGRESS_QUIT" : "MSG_EXIT");
        if (MessageBox(question, CString(), MB_OKCANCEL | MB_ICONQUESTION) != IDOK) {
            return;
        }
    }
    LogEntry() << "Quit: the window was closed on " << ShownPageName();
    EndRun(true, IDCANCEL);
}

void CTesseraDlg::EndRun(bool quitting, INT_PTR result)
{
    if (m_closing) {
        return;
    }
    m_closing = true;
    // From here on nothing starts: no page, no download, no installer, no further configuration attempt.
    m_run->Cancel();
    m_singleInstanceMutex.Reset();
    ShowWindow(SW_HIDE);

    const auto deadline = std::chrono::steady_clock::now() + kEndOfRunBound;
    const auto configuration = ConfigurationManager::Instance();
    if (quitting) {
        for (const auto& offer : configuration->m_shownOffers) {
            SendQuit(*offer, deadline);
        }
        if (const auto setup = configuration->m_setupPackage) {
            SendQuit(*setup, deadline);
        }
    }
    // Every send still running, a second attempt of an earlier event among them, and every worker: a
    // download cut short lets go of its file once it has seen the cancellation.
    if (!PumpMessagesUntil([] { return Package::SendsRunning() == 0 && WorkersRunning() == 0; },
                           Remaining(deadline))) {
        LogEntry() << Package::SendsRunning() << " telemetry send(s) and " << WorkersRunning()
                   << " worker(s) still running at the end of the run";
    }
    for (const auto& page : m_pages) {
        page->OnRunEnded();
    }
    RemoveTempFolder();
    EndDialog(result);
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
    if (!m_firstPaintSeen) {
        m_firstPaintSeen = true;
        SetupLog::StartupStep("first page painted");
    }
    if (!IsIconic(m_hWnd)) {
        return false;
    }
    const PaintContext paint(m_hWnd);
    const HDC dc = paint.Get();
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    GetClientRect(&client);
    const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, m_hIcon);
    return true;
}

void CTesseraDlg::ReleaseImages()
{
    // Every admitted offer's, shown or not: a send still running may hold its package past GDI+.
    const auto configuration = ConfigurationManager::Instance();
    using Offers = std::vector<std::shared_ptr<Package>>;
    const std::initializer_list<const Offers*> lists{&m_offerSequence.Offers(), &configuration->m_acceptedOffers,
                                                     &configuration->m_shownOffers};
    for (const Offers* offers : lists) {
        for (const auto& offer : *offers) {
            offer->m_image.reset();
        }
    }
    configuration->m_productImage.reset();
    m_productIcon.SetImage(nullptr);
}
