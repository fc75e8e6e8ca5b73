#include "pages/DownloadPageDlm.h"

#include "framework/TextConversion.h"
#include "profile/ConfigurationManager.h"
#include "remote/Package.h"
#include "remote/TelemetryNames.h"
#include "resource.h"

namespace {

constexpr const char* kErrorTitleKey = "PAGE_DOWNLOAD_ERROR_TITLE";
constexpr const char* kErrorTextKey = "PAGE_DOWNLOAD_ERROR_DESC";

}  // namespace

DownloadPageDlm::DownloadPageDlm(std::shared_ptr<LanguageManager> languageManager, CWnd* parent)
    : DownloadPageBase(std::move(languageManager), IDD_DOWNLOAD_PAGE_DLM, parent)
{
}

DownloadPageBase::DownloadOrder DownloadPageDlm::OrderOf(const Package& package) const
{
    const auto configuration = ConfigurationManager::Instance();
    if (package.m_isMainProduct) {
        return {configuration->m_productUrl, configuration->m_productFileName, false, configuration->m_productSha256};
    }
    return {PrefixedUrl(AnsiToCString(package.m_downloadUrl)), CString(), true, package.m_sha256};
}

void DownloadPageDlm::OnDownloaded(const std::shared_ptr<Package>& package, const std::shared_ptr<HeldFile>& file)
{
    if (package->m_isMainProduct) {
        // Held until the finish page has opened it.
        ConfigurationManager::Instance()->m_downloadedFileHold = file;
    } else {
        m_installQueue.push_back({package, file});
    }
}

void DownloadPageDlm::OnDownloadsDone()
{
    StartNextInstall();
}

void DownloadPageDlm::StartNextInstall()
{
    if (m_installQueue.empty()) {
        Finish(kErrorTitleKey, kErrorTextKey);
        return;
    }
    // Only offers are queued: the product's file waits for the finish page.
    StartFrontInstaller(AnsiToCString(m_installQueue.front().package->m_installArgs), false,
                        ConfigurationManager::Instance()->m_tempFolder);
}

void DownloadPageDlm::OnInstallerEnded(const InstallItem& item, const InstallerEnded&)
{
    item.package->SendEvent(EventId::Installed, nullptr);
    StartNextInstall();
}
