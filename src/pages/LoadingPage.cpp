#include "pages/LoadingPage.h"

#include "eligibility/EligibilityChecker.h"
#include "framework/GdiPlus.h"
#include "framework/ImageLoading.h"
#include "framework/SetupLog.h"
#include "locale/LanguageManager.h"
#include "pages/OfferImageHandOff.h"
#include "profile/ConfigurationManager.h"
#include "remote/ApiManager.h"
#include "remote/ConfigurationDocument.h"
#include "remote/Package.h"
#include "resource.h"
#include "transfer/DownloadManager.h"

#include <commctrl.h>

namespace {

// Tells the page that the worker has finished, however it leaves.
class CompletionNotice {
public:
    explicit CompletionNotice(HWND page) : m_page(page) {}
    ~CompletionNotice() { ::PostMessageW(m_page, LoadingPage::WM_REQUEST_COMPLETE, 0, 0); }
    CompletionNotice(const CompletionNotice&) = delete;
    CompletionNotice& operator=(const CompletionNotice&) = delete;

private:
    HWND m_page;
};

}  // namespace

LoadingPage::LoadingPage(std::shared_ptr<LanguageManager> languageManager, CWnd* parent)
    : IPage(std::move(languageManager), IDD_LOADING_PAGE, parent)
{
    m_messageMap.OnMessage(WM_REQUEST_COMPLETE, [this](WPARAM w, LPARAM l) { return OnRequestComplete(w, l); });
}

LoadingPage::~LoadingPage()
{
    if (m_result.valid()) {
        m_result.wait();
    }
}

void LoadingPage::DoDataExchange(CDataExchange* exchange)
{
    IPage::DoDataExchange(exchange);
    DDX_Control(exchange, IDC_PROGRESS, m_progress);
}

void LoadingPage::OnNavigateToPage()
{
    m_progress.SetRange(0, 100);
    m_progress.SetPos(0);
    m_progress.SetMarquee(TRUE, 30);
    m_progress.ModifyStyle(0, PBS_MARQUEE);
    if (m_result.valid()) {
        m_result.wait();
    }
    m_configIncomplete->store(false);
    m_result = std::async(std::launch::async, &LoadingPage::LoadConfiguration, m_hWnd, m_configIncomplete);
}

LoadingPage::Offers LoadingPage::LoadConfiguration(HWND page, std::shared_ptr<std::atomic<bool>> configIncomplete)
{
    const CompletionNotice notice(page);
    const auto api = ApiManager::Instance();
    const auto configuration = ConfigurationManager::Instance();
    const std::unique_ptr<nlohmann::json> document = api->RequestConfiguration();

    const ConfigurationDocument::Outcome outcome = ConfigurationDocument::Apply(*document, *configuration);
    if (outcome.incomplete) {
        configIncomplete->store(true);
        return {};
    }
    Offers admitted;
    if (!outcome.readOffers) {
        return admitted;
    }
    EligibilityChecker checker(configuration->m_maxOffers);
    bool stop = false;
    for (const nlohmann::json& element : document->at("o")) {
        auto offer = std::make_shared<Package>(api->MakeBaseRequest(), element, false, std::string(),
                                               static_cast<int>(admitted.size()));
        if (checker.Evaluate(offer, stop, admitted)) {
            admitted.push_back(offer);
            ++configuration->m_offerCount;
            if (offer->m_exclusive) {
                LogEntry() << offer->LogName() << " is exclusive: no further offer is read";
                break;
            }
        }
        if (stop) {
            break;
        }
    }
    return admitted;
}

LRESULT LoadingPage::OnRequestComplete(WPARAM, LPARAM)
{
    const auto configuration = ConfigurationManager::Instance();
    // Once the user has quit nothing more is shown; an answer from an earlier worker has no future here.
    if (configuration->m_quitRequested || !m_result.valid()) {
        return 0;
    }
    if (m_configIncomplete->load()) {
        LogEntry() << "Configuration incomplete: the product's title or URL is missing";
        ShowConfigurationError();
        return 0;
    }
    Offers offers;
    try {
        offers = m_result.get();
    } catch (const std::exception& failure) {
        LogEntry() << "Configuration failed: " << failure.what();
        if (configuration->m_wizardType == WIZARD_DLM) {
            ShowConfigurationError();
            return 0;
        }
    }
    LogEntry() << "Configuration applied: " << offers.size() << " offer(s) admitted";
    HandOverWithImages(std::move(offers));
    return 0;
}

void LoadingPage::HandOverWithImages(Offers offers)
{
    const auto configuration = ConfigurationManager::Instance();
    const bool fetchLogo = configuration->m_wizardType == WIZARD_DLM && !configuration->m_logoUrl.IsEmpty();
    const int pending = static_cast<int>(offers.size()) + (fetchLogo ? 1 : 0);
    if (pending == 0) {
        if (m_completionHandler) {
            m_completionHandler(std::move(offers));
        }
        return;
    }
    // Every fetch is counted before the first starts, so an early finisher cannot end the wait.
    const auto handOff = std::make_shared<OfferImageHandOff>(offers, m_completionHandler, pending);
    if (fetchLogo) {
        DownloadManager::Instance()->FetchToMemoryAsync(
            configuration->m_logoUrl, [handOff, configuration](std::unique_ptr<std::vector<char>> bytes) {
                if (bytes && !bytes->empty()) {
                    configuration->m_productImage = LoadImageFromBytes(bytes->data(), bytes->size());
                }
                handOff->CompleteOne();
            });
    }
    for (const auto& offer : offers) {
        offer->DownloadImage([handOff] { handOff->CompleteOne(); });
    }
}

void LoadingPage::ShowConfigurationError()
{
    NotifyError(m_languageManager->GetString("PAGE_CONFIGURATION_ERROR_TITLE"),
                m_languageManager->GetString("PAGE_CONFIGURATION_ERROR_DESC"));
}
