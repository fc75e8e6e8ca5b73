#pragma once

#include "framework/CProgressCtrl.h"
#include "pages/CStaticFromImage.h"
#include "pages/IPage.h"
#include "transfer/DownloadManager.h"

#include <deque>
#include <future>
#include <vector>
#include <memory>
#include <utility>

class Package;

// What the two download pages share: the product and the accepted offers are downloaded one after
// the other, with the bar showing the running download, and the downloaded files queued for their
// installers. The user-interface thread never waits: a 100 ms timer polls the running task's future.
class DownloadPageBase : public IPage {
public:
    BOOL OnInitDialog() override;
    // Writes the no-show records of the shown offers, queues the product and the accepted offers and
    // starts the first download.
    void OnNavigateToPage() override;
    PageKind GetPageKind() const override { return PageKind::Download; }

    static constexpr UINT_PTR TIMER_DOWNLOAD = 0x1000;
    static constexpr UINT_PTR TIMER_INSTALL = 0x1002;

protected:
    struct InstallItem {
        std::shared_ptr<Package> package;
        // The downloaded installer, held against changes until it has been started.
        std::shared_ptr<HeldFile> file;
    };
    using DownloadOrder = DownloadManager::Order;

    DownloadPageBase(std::shared_ptr<LanguageManager> languageManager, UINT templateId, CWnd* parent);
    void DoDataExchange(CDataExchange* exchange) override;

    virtual DownloadOrder OrderOf(const Package& package) const = 0;
    // A downloaded package: queue it for installation or not.
    virtual void OnDownloaded(const std::shared_ptr<Package>& package, const std::shared_ptr<HeldFile>& file) = 0;
    // The download queue is empty: install or finish.
    virtual void OnDownloadsDone() = 0;
    // Whether the product's event 3 goes out when its file is in. An event 3 is the package's last, so
    // a page that installs the product reports it once its installer has ended instead.
    virtual bool ReportsProductOnDownload() const { return true; }
    // A timer other than the download timer.
    virtual void OnOtherTimer(UINT_PTR) {}

    void StartNextDownload();
    // The bar moves by itself: the length is unknown, or the work has no percentage.
    void EnterMarquee();
    // The product failed: the title and text keys go to the error handler; otherwise Next.
    void Finish(const char* titleKey, const char* textKey);
    // An offer's URL as given, or after the image base when it is no URL by itself ("files/setup.exe").
    static CString PrefixedUrl(const CString& url);
    // The event id of a failed package: 3 for the product when the run reports its failures so, else -1.
    static int FailureEventId(const Package& package);
    // Starts an installer without waiting for it. Each start keeps its own future: replacing one that is
    // still running would make this thread wait until the process has been created.
    void StartWithoutWaiting(const CString& path, const CString& arguments, std::shared_ptr<HeldFile> file);

    CProgressCtrl m_progressBar;
    CStaticFromImage m_pageImage;
    bool m_marqueeMode = false;
    std::future<DownloadManager::Outcome> m_downloadFuture;
    std::future<std::pair<DWORD, CString>> m_installFuture;
    std::vector<std::future<std::pair<DWORD, CString>>> m_startsWithoutWaiting;
    bool m_productFailed = false;
    std::deque<std::shared_ptr<Package>> m_downloadQueue;
    std::deque<InstallItem> m_installQueue;

private:
    void OnProgress(WPARAM percentage);
    void OnDownloadTimer();
};
