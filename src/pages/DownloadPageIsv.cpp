#include "pages/DownloadPageIsv.h"

#include "framework/SetupLog.h"
#include "framework/TextConversion.h"
#include "profile/ConfigurationManager.h"
#include "remote/Package.h"
#include "remote/TelemetryNames.h"
#include "resource.h"
#include "transfer/DownloadTarget.h"
#include "transfer/HeritageFlags.h"

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
    if (m_installQueue.empty()) {
        NotifyInstallFinished();
        Finish("PAGE_ERROR_TITLE", "PAGE_ERROR_TEXT");
        return;
    }
    const auto configuration = ConfigurationManager::Instance();
    const Package& package = *m_installQueue.front().package;
    if (package.m_isMainProduct) {
        const CString arguments =
            configuration->m_heritagePages ? BuildHeritageFlagString() : configuration->m_installArguments;
        StartFrontInstaller(arguments, true, configuration->m_downloadFolder);
    } else {
        StartFrontInstaller(AnsiToCString(package.m_installArgs), false, configuration->m_downloadFolder);
    }
}

void DownloadPageIsv::OnInstallerEnded(const InstallItem& item, const InstallerEnded& ended)
{
    if (!item.package->m_isMainProduct) {
        item.package->SendEvent(EventId::Installed, nullptr);
    } else {
        // The product's installer is the one the user waits for; the offers' only start.
        NotifyInstallFinished();
        const auto& [exitCode, text] = ended.result;
        if (exitCode != 0) {
            item.package->SendEvent(FailureEventId(*item.package),
                                    {{EventKey::FailureText, "EXEC FAILED: " + ToAnsi(text)}});
            m_productFailed = true;
        } else {
            ConfigurationManager::Instance()->m_downloadedFile = ended.path;
            item.package->SendEvent(EventId::Installed, nullptr);
        }
    }
    StartNextInstall();
}

void DownloadPageIsv::NotifyInstallFinished() const
{
    if (m_installFinishedHandler) {
        m_installFinishedHandler();
    }
}
