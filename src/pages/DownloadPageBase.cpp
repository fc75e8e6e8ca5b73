#include "pages/DownloadPageBase.h"

#include "framework/GdiPlus.h"
#include "framework/SetupLog.h"
#include "framework/TextConversion.h"
#include "locale/LanguageManager.h"
#include "profile/ConfigurationManager.h"
#include "remote/Package.h"
#include "remote/TelemetryNames.h"
#include "resource.h"
#include "transfer/DownloadManager.h"
#include "transfer/ProcessLaunch.h"
#include "transfer/DownloadMessages.h"
#include "transfer/EncodingUtilities.h"

#include <chrono>

namespace {

constexpr UINT kPollMilliseconds = 100;
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
    m_messageMap.OnMessageOrDefault(WM_TIMER, [this](WPARAM id, LPARAM, LRESULT&) {
        if (id == TIMER_DOWNLOAD) {
            OnDownloadTimer();
        } else {
            OnOtherTimer(id);
        }
        return false;
    });
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
    if (ConfigurationManager::Instance()->m_quitRequested || m_downloadQueue.empty()) {
        return;
    }
    const DownloadOrder target = OrderOf(*m_downloadQueue.front());
    LogEntry() << "Downloading " << m_downloadQueue.front()->LogName() << " from " << SetupLog::AddressOf(target.url);
    m_downloadFuture = std::async(std::launch::async, [target, window = m_hWnd] {
        return DownloadManager::Instance()->DownloadFile(target, window);
    });
    SetTimer(TIMER_DOWNLOAD, kPollMilliseconds);
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

void DownloadPageBase::OnDownloadTimer()
{
    if (!m_downloadFuture.valid() ||
        m_downloadFuture.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
        return;
    }
    KillTimer(TIMER_DOWNLOAD);
    const std::shared_ptr<Package> package = m_downloadQueue.front();
    m_downloadQueue.pop_front();
    const DownloadManager::Outcome outcome = m_downloadFuture.get();
    const auto& [succeeded, text] = outcome.result;
    const auto configuration = ConfigurationManager::Instance();

    if (!succeeded) {
        LogEntry() << "Download of " << package->LogName() << " failed: " << text;
        package->SendEvent(FailureEventId(*package), {{EventKey::FailureText, "DOWNLOAD FAILED: " + ToAnsi(text)}});
        if (package->m_isMainProduct) {
            m_productFailed = true;
        }
    } else {
        if (package->m_isMainProduct) {
            configuration->m_downloadedFile = outcome.file->Path();
            if (ReportsProductOnDownload()) {
                package->SendEvent(EventId::Installed, nullptr);
            }
        }
        OnDownloaded(package, outcome.file);
    }
    // After a quit the result above is still reported, but nothing further is downloaded or started.
    if (configuration->m_quitRequested) {
        return;
    }
    if (!m_downloadQueue.empty()) {
        StartNextDownload();
    } else {
        OnDownloadsDone();
    }
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

void DownloadPageBase::StartWithoutWaiting(const CString& path, const CString& arguments,
                                           std::shared_ptr<HeldFile> file)
{
    m_startsWithoutWaiting.push_back(LaunchAsync(path, arguments, false, std::move(file)));
}
