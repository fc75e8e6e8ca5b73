#pragma once

#include "framework/CProgressCtrl.h"
#include "framework/WorkResult.h"
#include "pages/IPage.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class Package;

// The page shown while the configuration is fetched and the offers are checked: a moving bar. The work,
// the offers' pictures included, runs on a worker that posts WM_REQUEST_COMPLETE when it has finished;
// the page then decodes the pictures and hands the admitted offers to the controller, or reports the
// configuration error. A quit ends the worker's waits and its offer loop; its result is then dropped.
class LoadingPage : public IPage {
public:
    using Offers = std::vector<std::shared_ptr<Package>>;
    using CompletionHandler = std::function<void(Offers)>;

    LoadingPage(std::shared_ptr<LanguageManager> languageManager, CWnd* parent);

    // Starts the worker the first time the page is shown.
    void OnNavigateToPage() override;
    CString GetPageName() const override { return L"LoadingPage"; }
    PageKind GetPageKind() const override { return PageKind::Loading; }

    // Receives the admitted offers, their pictures decoded, on the user-interface thread.
    CompletionHandler m_completionHandler;

protected:
    void DoDataExchange(CDataExchange* exchange) override;

private:
    // What the worker hands back.
    struct Loaded {
        // A DLM configuration without the product's title or URL.
        bool incomplete = false;
        // The configuration could not be had or read: why.
        std::string failure;
        Offers offers;
        // The bytes of each offer's picture, in the offers' order; empty when none came.
        std::vector<std::vector<char>> pictures;
        // The DLM product's logo.
        std::vector<char> logo;
    };

    // The worker: fetches and applies the configuration, checks its offers one by one and fetches the
    // admitted offers' pictures side by side. It touches no window.
    static Loaded Load(const std::shared_ptr<const Cancellation>& run);
    static void FetchPictures(Loaded& loaded, const Cancellation& run);
    void OnRequestComplete();
    void ShowConfigurationError();

    CProgressCtrl m_progress;
    std::shared_ptr<WorkResult<Loaded>> m_result;
};
