#include "pages/LoadingPage.h"

#include "eligibility/EligibilityChecker.h"
#include "framework/GdiPlus.h"
#include "framework/ImageLoading.h"
#include "framework/PrivateMessages.h"
#include "framework/SetupLog.h"
#include "framework/Worker.h"
#include "locale/LanguageManager.h"
#include "profile/ConfigurationManager.h"
#include "remote/ApiManager.h"
#include "remote/ConfigurationDocument.h"
#include "remote/Package.h"
#include "resource.h"
#include "transfer/DownloadManager.h"

#include <commctrl.h>

#include <system_error>
#include <thread>

LoadingPage::LoadingPage(std::shared_ptr<LanguageManager> languageManager, CWnd* parent)
    : IPage(std::move(languageManager), IDD_LOADING_PAGE, parent)
{
    m_messageMap.OnMessage(WM_REQUEST_COMPLETE, [this](WPARAM, LPARAM) { OnRequestComplete(); return 0; });
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
    if (m_result) {
        return;
    }
    m_result = std::make_shared<WorkResult<Loaded>>(m_hWnd, WM_REQUEST_COMPLETE);
    const bool started = StartWorker("Loading", [result = m_result, run = m_run] {
        Loaded loaded;
        try {
            loaded = Load(run);
        } catch (const std::exception& failure) {
            loaded.failure = failure.what();
        } catch (...) {
            loaded.failure = "unknown exception";
        }
        result->Deliver(std::move(loaded));
    });
    if (!started) {
        Loaded failed;
        failed.failure = "the worker could not start";
        m_result->Deliver(std::move(failed));
    }
}

LoadingPage::Loaded LoadingPage::Load(const std::shared_ptr<const Cancellation>& run)
{
    const auto api = ApiManager::Instance();
    const auto configuration = ConfigurationManager::Instance();
    const std::unique_ptr<nlohmann::json> document = api->RequestConfiguration(*run);

    Loaded loaded;
    const ConfigurationDocument::Outcome outcome = ConfigurationDocument::Apply(*document, *configuration);
    if (outcome.incomplete) {
        loaded.incomplete = true;
        return loaded;
    }
    if (!outcome.readOffers) {
        FetchPictures(loaded, *run);
        return loaded;
    }
    EligibilityChecker checker(configuration->m_maxOffers);
    bool stop = false;
    for (const nlohmann::json& element : document->at("o")) {
        if (run->IsCancelled()) {
            LogEntry() << "Offer checks ended by the quit";
            return loaded;
        }
        auto offer = std::make_shared<Package>(api->MakeBaseRequest(), element, false, std::string(),
                                               static_cast<int>(loaded.offers.size()));
        // Its telemetry belongs to the run: a quit cuts the pause before a second attempt short.
        offer->m_run = run;
        if (checker.Evaluate(offer, stop, loaded.offers)) {
            loaded.offers.push_back(offer);
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
    FetchPictures(loaded, *run);
    return loaded;
}

void LoadingPage::FetchPictures(Loaded& loaded, const Cancellation& run)
{
    const auto configuration = ConfigurationManager::Instance();
    const auto manager = DownloadManager::Instance();
    std::vector<CString> urls;
    for (const auto& offer : loaded.offers) {
        urls.push_back(offer->ImageUrl());
    }
    const bool fetchLogo = configuration->m_wizardType == WIZARD_DLM && !configuration->m_logoUrl.IsEmpty();
    if (fetchLogo) {
        urls.push_back(configuration->m_logoUrl);
    }
    // Side by side: the wait is that of the slowest picture, not the sum of them all. Every fetch ends
    // within its limits, and all are joined before the worker goes on.
    std::vector<std::vector<char>> bytes(urls.size());
    std::vector<std::thread> fetches;
    fetches.reserve(urls.size());
    for (std::size_t index = 0; index < urls.size(); ++index) {
        if (urls[index].IsEmpty()) {
            continue;
        }
        const auto fetch = [&, index] {
            try {
                bytes[index] = manager->FetchToMemory(urls[index], run);
            } catch (...) {
                bytes[index].clear();
            }
        };
        try {
            fetches.emplace_back(fetch);
        } catch (const std::system_error&) {
            fetch();
        }
    }
    for (auto& thread : fetches) {
        thread.join();
    }
    if (fetchLogo) {
        loaded.logo = std::move(bytes.back());
        bytes.pop_back();
    }
    loaded.pictures = std::move(bytes);
}

void LoadingPage::OnRequestComplete()
{
    std::optional<Loaded> loaded = m_result ? m_result->Take() : std::nullopt;
    // Once the user has quit nothing more is shown.
    if (!loaded || m_run->IsCancelled()) {
        return;
    }
    const auto configuration = ConfigurationManager::Instance();
    if (loaded->incomplete) {
        LogEntry() << "Configuration incomplete: the product's title or URL is missing";
        ShowConfigurationError();
        return;
    }
    if (!loaded->failure.empty()) {
        LogEntry() << "Configuration failed: " << loaded->failure;
        if (configuration->m_wizardType == WIZARD_DLM) {
            ShowConfigurationError();
            return;
        }
    }
    LogEntry() << "Configuration applied: " << loaded->offers.size() << " offer(s) admitted";
    // Decoded here, so every bitmap is made and released on this thread, while GDI+ runs.
    for (std::size_t index = 0; index < loaded->offers.size() && index < loaded->pictures.size(); ++index) {
        const std::vector<char>& picture = loaded->pictures[index];
        if (!picture.empty()) {
            loaded->offers[index]->m_image = LoadImageFromBytes(picture.data(), picture.size());
        }
    }
    if (!loaded->logo.empty()) {
        configuration->m_productImage = LoadImageFromBytes(loaded->logo.data(), loaded->logo.size());
    }
    if (m_completionHandler) {
        m_completionHandler(std::move(loaded->offers));
    }
}

void LoadingPage::ShowConfigurationError()
{
    NotifyError(m_languageManager->GetString("PAGE_CONFIGURATION_ERROR_TITLE"),
                m_languageManager->GetString("PAGE_CONFIGURATION_ERROR_DESC"));
}
