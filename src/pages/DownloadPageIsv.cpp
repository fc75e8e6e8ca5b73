#include "pages/DownloadPageIsv.h"

#include "framework/SetupLog.h"
#include "framework/TextConversion.h"
#include "profile/ConfigurationManager.h"
#include "remote/Package.h"
#include "remote/TelemetryNames.h"
#include "resource.h"
#include "transfer/DownloadTarget.h"
#include "transfer/HeritageFlags.h"
#include "transfer/InstallerPreparation.h"
#include "transfer/ProcessLaunch.h"

#include <chrono>

DownloadPageIsv::DownloadPageIsv(std::shared_ptr<LanguageManager> languageManager, CWnd* parent)
    : DownloadPageBase(std::move(languageManager), IDD_DOWNLOAD_PAGE_ISV, parent)
{
}

DownloadPageBase::DownloadOrder DownloadPageIsv::OrderOf(const Package& package) const
{
    if (!package.m_isMainProduct) {
        return {PrefixedUrl(AnsiToCString(package.m_downloadUrl)), CString(), true, package.m_sha256};
    }
    const CString url = PrefixedUrl(ConfigurationManager::Instance()->m_productUrl);
    // The product's address may end in a bare segment (".../track/beta"). Saved under that name the
    // installer could not be started: Windows looks for "beta.exe". So it gets the extension.
    CString name = ::DownloadTarget::FileNameOfUrl(url);
    if (!name.IsEmpty() && name.Find(L'.') < 0) {
        name += L".exe";
    } else {
        name.Empty();
    }
    return {url, name, true, ConfigurationManager::Instance()->m_productSha256};
}

void DownloadPageIsv::OnDownloaded(const std::shared_ptr<Package>& package, const std::shared_ptr<HeldFile>& file)
{
    m_installQueue.push_back({package, file});
}

void DownloadPageIsv::OnDownloadsDone()
{
    if (m_installStartedHandler) {
        m_installStartedHandler();
    }
    EnterMarquee();
    m_marqueeMode = true;
    StartNextInstall();
}

void DownloadPageIsv::StartNextInstall()
{
    const auto configuration = ConfigurationManager::Instance();
    while (!m_installQueue.empty()) {
        const InstallItem item = m_installQueue.front();
        CString path = item.file->Path();
        if (const int kind = DetectArchiveType(path); kind != 0) {
            path = PrepareInstaller(path, kind, configuration->m_downloadFolder);
        }
        const bool product = item.package->m_isMainProduct;
        CString arguments = AnsiToCString(item.package->m_installArgs);
        if (product) {
            arguments = configuration->m_heritagePages ? BuildHeritageFlagString() : configuration->m_installArguments;
        }
        if (product) {
            m_installFuture = LaunchAsync(path, arguments, true, item.file);
            m_productInstallerPath = path;
            SetTimer(TIMER_INSTALL, 100);
            return;
        }
        StartWithoutWaiting(path, arguments, item.file);
        item.package->SendEvent(EventId::Installed, nullptr);
        m_installQueue.pop_front();
        if (m_installQueue.empty()) {
            if (m_installFinishedHandler) {
                m_installFinishedHandler();
            }
        }
    }
    Finish("PAGE_ERROR_TITLE", "PAGE_ERROR_TEXT");
}

void DownloadPageIsv::OnOtherTimer(UINT_PTR id)
{
    if (id == TIMER_INSTALL) {
        OnInstallTimer();
    }
}

void DownloadPageIsv::OnInstallTimer()
{
    if (!m_installFuture.valid() || m_installFuture.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
        return;
    }
    KillTimer(TIMER_INSTALL);
    const InstallItem item = m_installQueue.front();
    if (m_installFinishedHandler) {
        m_installFinishedHandler();
    }
    const auto [exitCode, text] = m_installFuture.get();
    if (exitCode != 0) {
        item.package->SendEvent(FailureEventId(*item.package),
                                {{EventKey::FailureText, "EXEC FAILED: " + ToAnsi(text)}});
        m_productFailed = true;
    } else {
        ConfigurationManager::Instance()->m_downloadedFile = m_productInstallerPath;
        item.package->SendEvent(EventId::Installed, nullptr);
    }
    m_installQueue.pop_front();
    StartNextInstall();
}
