#pragma once

#include "pages/DownloadPageBase.h"

#include <functional>

// The ISV download page: everything goes to the temporary folder; the product's installer is run and
// waited for, then the offers' installers are started. A product that fails to download or install
// ends the run on the error page once the offers have been started.
class DownloadPageIsv : public DownloadPageBase {
public:
    DownloadPageIsv(std::shared_ptr<LanguageManager> languageManager, CWnd* parent);

    CString GetPageName() const override { return L"DownloadPageISV"; }

    // Called when the installations begin and when they have ended; the controller asks before a quit
    // in between.
    std::function<void()> m_installStartedHandler;
    std::function<void()> m_installFinishedHandler;

protected:
    DownloadOrder OrderOf(const Package& package) const override;
    void OnDownloaded(const std::shared_ptr<Package>& package, const std::shared_ptr<HeldFile>& file) override;
    void OnDownloadsDone() override;
    void OnInstallerEnded(const InstallItem& item, const InstallerEnded& ended) override;
    bool ReportsProductOnDownload() const override { return false; }

private:
    // Runs the front of the queue: the product waited for, an offer only started. Finishes when the
    // queue is empty.
    void StartNextInstall();
    void NotifyInstallFinished() const;
};
