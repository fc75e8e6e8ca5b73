#include "pages/DownloadPageBase.h"

#include "framework/PrivateMessages.h"
#include "framework/SetupLog.h"
#include "framework/TextConversion.h"
#include "framework/Worker.h"
#include "locale/LanguageManager.h"
#include "profile/ConfigurationManager.h"
#include "remote/Package.h"
#include "remote/TelemetryNames.h"
#include "resource.h"
#include "transfer/DownloadManager.h"
#include "transfer/EncodingUtilities.h"
#include "transfer/InstallerPreparation.h"
#include "transfer/ProcessLaunch.h"

namespace {

constexpr int kMarqueeMilliseconds = 30;

}  // namespace

DownloadPageBase::DownloadPageBase(std::shared_ptr<LanguageManager> languageManager, UINT templateId, CWnd* parent)
    : IPage(std::move(languageManager), templateId, parent)
{
    m_messageMap.OnMessage(WM_DOWNLOAD_PROGRESS, [this](WPARAM w, LPARAM) { OnProgress(w); return 0; });
    m_messageMap.OnMessage(WM_DOWNLOAD_SIZE_UNKNOWN, [this](WPARAM, LPARAM) {
        EnterMarquee();
        m_marqueeMode = true;
        return 0;
    });
    m_messageMap.OnMessage(WM_DOWNLOAD_DONE, [this](WPARAM, LPARAM) { OnDownloadDone(); return 0; });
    m_messageMap.OnMessage(WM_INSTALLER_ENDED, [this](WPARAM, LPARAM) { OnInstallerEndedMessage(); return 0; });
}

void DownloadPageBase::DoDataExchange(CDataExchange* exchange)
{
    IPage::DoDataExchange(exchange);
    DDX_Control(exchange, IDC_PROGRESS, m_progressBar);
    DDX_Control(exchange, IDC_PAGE_IMAGE, m_pageImage);
}

BOOL DownloadPageBase::OnInitDialog()
{
    IPage::OnInitDialog();
    BindText("PROGRESS_TITLE", IDC_PROGRESS_TITLE);
    BindText("PROGRESS_DESC", IDC_PROGRESS_DESC);
    UpdateTexts();
    m_progressBar.SetRange(0, 100);
    const auto configuration = ConfigurationManager::Instance();
    if (configuration->m_wizardType == WIZARD_DLM) {
        m_pageImage.SetImage(configuration->m_productImage);
    } else {
        m_pageImage.LoadImage(IDR_IMAGE_LOGO, L"IMAGE_BLOB");
    }
    return TRUE;
}

void DownloadPageBase::OnNavigateToPage()
{
    const auto configuration = ConfigurationManager::Instance();
    for (const auto& offer : configuration->m_shownOffers) {
        if (offer->m_pn.enabled) {
            offer->WriteNoShowRecord();
        }
    }
    if (configuration->m_setupPackage) {
        m_downloadQueue.push_back(configuration->m_setupPackage);
    }
    m_downloadQueue.insert(m_downloadQueue.end(), configuration->m_acceptedOffers.begin(),
                           configuration->m_acceptedOffers.end());
    StartNextDownload();
}

void DownloadPageBase::StartNextDownload()
{
    if (m_run->IsCancelled() || m_downloadQueue.empty()) {
        return;
    }
    const DownloadOrder order = OrderOf(*m_downloadQueue.front());
    LogEntry() << "Downloading " << m_downloadQueue.front()->LogName() << " from " << SetupLog::AddressOf(order.url);
    m_download = std::make_shared<WorkResult<DownloadManager::Outcome>>(m_hWnd, WM_DOWNLOAD_DONE);
    const bool started = StartWorker("Download", [result = m_download, order, window = m_hWnd, run = m_run,
                                                  manager = DownloadManager::Instance()] {
        result->Deliver(manager->DownloadFile(order, window, *run));
    });
    if (!started) {
        m_download->Deliver({{false, L"Could not start the download."}, nullptr});
    }
}

void DownloadPageBase::OnProgress(WPARAM percentage)
{
    // A fraction, not a whole-number division: the bar moves through the download, not only at its end.
    const double fraction = static_cast<double>(static_cast<unsigned>(percentage)) / 100.0;
    if (fraction > 1.0) {
        EnterMarquee();
        return;
    }
    if (m_marqueeMode) {
        m_progressBar.SetMarquee(FALSE, 0);
        m_progressBar.SetRange(0, 100);
        m_progressBar.SetPos(0);
        m_progressBar.SetState(PBST_NORMAL);
        m_progressBar.ModifyStyle(PBS_MARQUEE, 0);
        m_marqueeMode = false;
    }
    m_progressBar.SetPos(static_cast<int>(fraction * 100.0));
}

void DownloadPageBase::EnterMarquee()
{
    m_progressBar.SetRange(0, 100);
    m_progressBar.SetPos(0);
    m_progressBar.SetMarquee(TRUE, kMarqueeMilliseconds);
    m_progressBar.ModifyStyle(0, PBS_MARQUEE);
}

void DownloadPageBase::OnDownloadDone()
{
    std::optional<DownloadManager::Outcome> outcome = m_download ? m_download->Take() : std::nullopt;
    if (!outcome || m_downloadQueue.empty()) {
        return;
    }
    const std::shared_ptr<Package> package = m_downloadQueue.front();
    m_downloadQueue.pop_front();
    const auto& [succeeded, text] = outcome->result;
    const auto configuration = ConfigurationManager::Instance();

    if (!succeeded) {
        LogEntry() << "Download of " << package->LogName() << " failed: " << text;
        package->SendEvent(FailureEventId(*package), {{EventKey::FailureText, "DOWNLOAD FAILED: " + ToAnsi(text)}});
        if (package->m_isMainProduct) {
            m_productFailed = true;
        }
    } else {
        if (package->m_isMainProduct) {
            configuration->m_downloadedFile = outcome->file->Path();
            if (ReportsProductOnDownload()) {
                package->SendEvent(EventId::Installed, nullptr);
            }
        }
        OnDownloaded(package, outcome->file);
    }
    // After a quit the result above is still reported, but nothing further is downloaded or started.
    if (m_run->IsCancelled()) {
        return;
    }
    if (!m_downloadQueue.empty()) {
        StartNextDownload();
    } else {
        OnDownloadsDone();
    }
}

void DownloadPageBase::StartFrontInstaller(const CString& arguments, bool wait, const CString& base)
{
    if (m_run->IsCancelled() || m_installQueue.empty()) {
        return;
    }
    const InstallItem& item = m_installQueue.front();
    m_installer = std::make_shared<WorkResult<InstallerEnded>>(m_hWnd, WM_INSTALLER_ENDED);
    const bool started = StartWorker("Installer", [result = m_installer, file = item.file, arguments, wait, base,
                                                   run = m_run] {
        CString path = file->Path();
        if (const int kind = DetectArchiveType(path); kind != 0) {
            path = PrepareInstaller(path, kind, base);
        }
        // The last look before anything runs: a quit meanwhile starts nothing.
        if (run->IsCancelled()) {
            return;
        }
        const auto ran = RunProcess(path, arguments, wait, file.get(), *run);
        result->Deliver({path, ran});
    });
    if (!started) {
        m_installer->Deliver({item.file->Path(), {4294967295u, L"Could not start the installer."}});
    }
}

void DownloadPageBase::OnInstallerEndedMessage()
{
    std::optional<InstallerEnded> ended = m_installer ? m_installer->Take() : std::nullopt;
    // An installer left running by a quit reports nothing, and nothing follows it.
    if (!ended || m_installQueue.empty() || m_run->IsCancelled()) {
        return;
    }
    const InstallItem item = m_installQueue.front();
    m_installQueue.pop_front();
    OnInstallerEnded(item, *ended);
}

void DownloadPageBase::Finish(const char* titleKey, const char* textKey)
{
    if (m_productFailed) {
        NotifyError(m_languageManager->GetString(titleKey), m_languageManager->GetString(textKey));
    } else {
        NotifyButton(ButtonType::Next);
    }
}

CString DownloadPageBase::PrefixedUrl(const CString& url)
{
    return IsValidUrl(url) ? url : ConfigurationManager::Instance()->m_imageBaseUrl + url;
}

int DownloadPageBase::FailureEventId(const Package& package)
{
    const bool reportAsInstalled = package.m_isMainProduct && ConfigurationManager::Instance()->m_reportDownloadFailures;
    return reportAsInstalled ? EventId::Installed : EventId::Failed;
}
