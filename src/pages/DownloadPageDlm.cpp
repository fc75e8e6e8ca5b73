#include "pages/DownloadPageDlm.h"

#include "framework/TextConversion.h"
#include "profile/ConfigurationManager.h"
#include "remote/Package.h"
#include "remote/TelemetryNames.h"
#include "resource.h"
#include "transfer/InstallerPreparation.h"
#include "transfer/ProcessLaunch.h"

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
    if (m_installQueue.empty()) {
        Finish(kErrorTitleKey, kErrorTextKey);
        return;
    }
    StartNextInstall();
}

void DownloadPageDlm::StartNextInstall()
{
    const auto configuration = ConfigurationManager::Instance();
    while (!m_installQueue.empty()) {
        const InstallItem item = m_installQueue.front();
        CString path = item.file->Path();
        if (const int kind = DetectArchiveType(path); kind != 0) {
            path = PrepareInstaller(path, kind, configuration->m_tempFolder);
        }
        const bool product = item.package->m_isMainProduct;
        const CString arguments =
            product ? configuration->m_installArguments : AnsiToCString(item.package->m_installArgs);
        if (product) {
            m_installFuture = LaunchAsync(path, arguments, true, item.file);
        } else {
            StartWithoutWaiting(path, arguments, item.file);
        }
        item.package->SendEvent(EventId::Installed, nullptr);
        m_installQueue.pop_front();
    }
    Finish(kErrorTitleKey, kErrorTextKey);
}
