#pragma once

#include "framework/CProgressCtrl.h"
#include "framework/WorkResult.h"
#include "pages/CStaticFromImage.h"
#include "pages/IPage.h"
#include "transfer/DownloadManager.h"

#include <deque>
#include <memory>
#include <utility>

class Package;

// What the two download pages share: the product and the accepted offers are downloaded one after
// the other, with the bar showing the running download, and the downloaded files queued for their
// installers. Downloads and installers run on workers that post their results (WM_DOWNLOAD_DONE,
// WM_INSTALLER_ENDED); the user-interface thread never waits for one. Once the run is cancelled a
// result that comes in is still reported, but nothing further starts.
class DownloadPageBase : public IPage {
public:
    BOOL OnInitDialog() override;
    // Writes the no-show records of the shown offers, queues the product and the accepted offers and
    // starts the first download.
    void OnNavigateToPage() override;
    PageKind GetPageKind() const override { return PageKind::Download; }
    void OnRunEnded() override { m_installQueue.clear(); }

protected:
    struct InstallItem {
        std::shared_ptr<Package> package;
        // The downloaded installer, held against changes until it has been started.
        std::shared_ptr<HeldFile> file;
    };
    // What an installer's worker hands back: the program it ran (an archive's program once unpacked)
    // and RunProcess's result.
    struct InstallerEnded {
        CString path;
        std::pair<DWORD, CString> result;
    };
    using DownloadOrder = DownloadManager::Order;

    DownloadPageBase(std::shared_ptr<LanguageManager> languageManager, UINT templateId, CWnd* parent);
    void DoDataExchange(CDataExchange* exchange) override;

    virtual DownloadOrder OrderOf(const Package& package) const = 0;
    // A downloaded package: queue it for installation or not.
    virtual void OnDownloaded(const std::shared_ptr<Package>& package, const std::shared_ptr<HeldFile>& file) = 0;
    // The download queue is empty: install or finish.
    virtual void OnDownloadsDone() = 0;
    // The installer of the front of the install queue has ended (waited for) or been started.
    virtual void OnInstallerEnded(const InstallItem& item, const InstallerEnded& ended) = 0;
    // Whether the product's event 3 goes out when its file is in. An event 3 is the package's last, so
    // a page that installs the product reports it once its installer has ended instead.
    virtual bool ReportsProductOnDownload() const { return true; }

    void StartNextDownload();
    // Runs the front of the install queue with the arguments on a worker: a ZIP archive is unpacked into
    // a folder of base first (off this thread: the shell takes its time), then the program is started
    // and, with wait, waited for. OnInstallerEnded hears of it. Nothing starts once the run is cancelled.
    void StartFrontInstaller(const CString& arguments, bool wait, const CString& base);
    // The bar moves by itself: the length is unknown, or the work has no percentage.
    void EnterMarquee();
    // The product failed: the title and text keys go to the error handler; otherwise Next.
    void Finish(const char* titleKey, const char* textKey);
    // An offer's URL as given, or after the image base when it is no URL by itself ("files/setup.exe").
    static CString PrefixedUrl(const CString& url);
    // The event id of a failed package: 3 for the product when the run reports its failures so, else -1.
    static int FailureEventId(const Package& package);

    CProgressCtrl m_progressBar;
    CStaticFromImage m_pageImage;
    bool m_marqueeMode = false;
    bool m_productFailed = false;
    std::deque<std::shared_ptr<Package>> m_downloadQueue;
    std::deque<InstallItem> m_installQueue;

private:
    void OnProgress(WPARAM percentage);
    void OnDownloadDone();
    void OnInstallerEndedMessage();

    // The running download's and installer's results; a worker holds its own copy.
    std::shared_ptr<WorkResult<DownloadManager::Outcome>> m_download;
    std::shared_ptr<WorkResult<InstallerEnded>> m_installer;
};
