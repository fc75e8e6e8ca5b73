#pragma once

#include "framework/CProgressCtrl.h"
#include "pages/IPage.h"

#include <atomic>
#include <future>
#include <memory>
#include <vector>

class Package;

// The page shown while the configuration is fetched and the offers are checked: a moving bar. The work
// runs on a worker thread; the page hears back through WM_REQUEST_COMPLETE, fetches the offers'
// pictures and hands the admitted offers to the controller, or reports the configuration error.
class LoadingPage : public IPage {
public:
    using Offers = std::vector<std::shared_ptr<Package>>;
    using CompletionHandler = std::function<void(Offers)>;

    // Posted by the worker to the page, both parameters 0, when it has finished one way or another.
    static constexpr UINT WM_REQUEST_COMPLETE = WM_USER + 4;

    LoadingPage(std::shared_ptr<LanguageManager> languageManager, CWnd* parent);
    // Waits for a running worker; pictures still coming in go to a hand-off that outlives the page.
    ~LoadingPage() override;

    void OnNavigateToPage() override;
    CString GetPageName() const override { return L"LoadingPage"; }
    PageKind GetPageKind() const override { return PageKind::Loading; }

    // Receives the admitted offers once their pictures are in. It may run on a fetch thread.
    CompletionHandler m_completionHandler;

protected:
    void DoDataExchange(CDataExchange* exchange) override;

private:
    // The worker: fetches and applies the configuration and checks its offers one by one. It reaches
    // the page only through the window handle and the shared flag, never through the page itself.
    static Offers LoadConfiguration(HWND page, std::shared_ptr<std::atomic<bool>> configIncomplete);
    LRESULT OnRequestComplete(WPARAM, LPARAM);
    void HandOverWithImages(Offers offers);
    void ShowConfigurationError();

    CProgressCtrl m_progress;
    std::future<Offers> m_result;
    // Set by the worker when a DLM configuration lacks the product's title or URL.
    std::shared_ptr<std::atomic<bool>> m_configIncomplete = std::make_shared<std::atomic<bool>>(false);
};
