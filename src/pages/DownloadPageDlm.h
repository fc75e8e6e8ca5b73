#pragma once

#include "pages/DownloadPageBase.h"

// The DLM download page: the product's installer is only downloaded, into the user's Downloads
// folder under the configured file name, for the finish page to open or show; the accepted offers
// are downloaded to the temporary folder and started.
class DownloadPageDlm : public DownloadPageBase {
public:
    DownloadPageDlm(std::shared_ptr<LanguageManager> languageManager, CWnd* parent);

    CString GetPageName() const override { return L"DownloadPageDLM"; }

protected:
    DownloadOrder OrderOf(const Package& package) const override;
    void OnDownloaded(const std::shared_ptr<Package>& package, const std::shared_ptr<HeldFile>& file) override;
    void OnDownloadsDone() override;
    void OnInstallerEnded(const InstallItem& item, const InstallerEnded& ended) override;

private:
    // Starts the next queued offer installer without waiting; finishes when none is left.
    void StartNextInstall();
};
