#include <doctest/doctest.h>

#include "FixtureRuns.h"
#include "MessageBoxRecorder.h"
#include "OfferElements.h"
#include "PageTestHelpers.h"
#include "StandInService.h"
#include "framework/MessagePump.h"
#include "locale/LanguageManager.h"
#include "pages/DownloadPageDlm.h"
#include "pages/DownloadPageIsv.h"
#include "pages/LanguagePage.h"
#include "pages/LanguagePageKV.h"
#include "profile/ConfigurationManager.h"
#include "profile/MachineFacts.h"
#include "remote/ApiManager.h"
#include "remote/Package.h"
#include "resource.h"
#include "transfer/DownloadManager.h"
#include "framework/PrivateMessages.h"

#include <shlwapi.h>

#include <chrono>
#include <map>

using namespace std::chrono_literals;
using nlohmann::json;

namespace {

const char kProductPath[] = "/endpoint/bramweb/os/riserollout/track/beta";
// The product's events carry its title as their package identifier.
const char kProduct[] = "Bramble Web";

// A run that has reached its download page: the product, the accepted offers, scratch folders, the
// service's addresses, and the page's handlers recorded.
struct DownloadFixture {
    DownloadFixture()
    {
        ClearFixtureRuns();
        const auto configuration = ConfigurationManager::Instance();
        configuration->m_telemetryUrl = CString(service.BaseUrl() + L"/zbd");
        configuration->m_imageBaseUrl = CString(service.BaseUrl() + L"/f/");
        configuration->m_productUrl = CString(service.BaseUrl() + L"/endpoint/bramweb/os/riserollout/track/beta");
        configuration->m_productFileName = L"BrambleWebSetup.exe";
        configuration->m_tempFolder = MachineFacts::CreateUniqueTempFolder();
        configuration->m_downloadFolder = MachineFacts::CreateUniqueTempFolder();
        configuration->m_shownOffers.clear();
        configuration->m_acceptedOffers.clear();
        configuration->m_productTitle = L"Bramble Web";
        configuration->m_setupPackage = std::make_shared<Package>(ApiManager::Instance()->MakeBaseRequest(), true,
                                                                  L"Bramble_Web", CString(), L"Bramble Web",
                                                                  CString(), 0);
        if (configuration->m_brandedPages) {
            languagePage = std::make_unique<LanguagePageKV>(manager, &host);
        } else {
            languagePage = std::make_unique<LanguagePage>(manager, &host);
        }
        REQUIRE(languagePage->Create(languagePage->TemplateId(), &host));
    }

    // An accepted offer downloaded from path (relative to the image base, or a full URL).
    void AcceptOffer(const std::string& id, const std::string& path)
    {
        auto offer = MakeOffer({{"u", path}, {"p", "/quiet /id=" + id}}, id,
                               static_cast<int>(ConfigurationManager::Instance()->m_acceptedOffers.size()));
        ConfigurationManager::Instance()->m_acceptedOffers.push_back(offer);
    }

    // Shows the page and waits until it hands over: Next or the error page.
    void Run(DownloadPageBase& page)
    {
        REQUIRE(page.Create(page.TemplateId(), &host));
        page.SetButtonHandler([this](ButtonType type) { buttons.push_back(type); });
        page.SetErrorHandler([this](const CString& title, const CString& text) { errors.emplace_back(title, text); });
        page.OnNavigateToPage();
        PumpMessagesUntil([this] { return !buttons.empty() || !errors.empty(); }, 60s);
    }

    // Shows the page in a run of the test's, and returns while it works.
    void Start(DownloadPageBase& page, const std::shared_ptr<Cancellation>& run)
    {
        page.SetRun(run);
        REQUIRE(page.Create(page.TemplateId(), &host));
        page.SetButtonHandler([this](ButtonType type) { buttons.push_back(type); });
        page.OnNavigateToPage();
    }

    // Event id -> texts ("12", or "" when absent) of one package's events, by its "5" identifier.
    std::multimap<std::string, std::string> EventsOf(const std::string& packageId)
    {
        std::multimap<std::string, std::string> events;
        for (const auto& record : service.Events()) {
            const auto& event = record.at("event");
            if (event.is_object() && event.value("5", "") == packageId) {
                events.emplace(event.value("6", ""), event.value("12", ""));
            }
        }
        return events;
    }
    std::multimap<std::string, std::string> WaitForEventsOf(const std::string& packageId, std::size_t count)
    {
        PumpMessagesUntil([&] { return EventsOf(packageId).size() >= count; }, 15s);
        PumpMessagesFor(300ms);
        return EventsOf(packageId);
    }
    // Offer installers are started without waiting: their records come in their own time.
    std::vector<FixtureRun> WaitForRuns(const std::string& program, std::size_t count)
    {
        PumpMessagesUntil([&] { return FixtureRuns(program).size() >= count; }, 15s);
        return FixtureRuns(program);
    }
    bool Requested(const std::string& path)
    {
        for (const auto& request : service.Requests()) {
            if (request.at("path") == path) {
                return true;
            }
        }
        return false;
    }

    StandInService service;
    MessageBoxRecorder boxes;
    std::shared_ptr<LanguageManager> manager = std::make_shared<LanguageManager>();
    PageHost host;
    std::unique_ptr<IPage> languagePage;
    std::vector<ButtonType> buttons;
    std::vector<std::pair<CString, CString>> errors;
};

using Events = std::multimap<std::string, std::string>;

json FilesScenario(const json& files)
{
    return json{{"extends", "common"}, {"files", files}};
}

}  // namespace

TEST_CASE_FIXTURE(DownloadFixture, "The ISV page installs the product, waits for it, then starts the offers")
{
    int started = 0;
    int finished = 0;
    DownloadPageIsv page(manager, &host);
    page.m_installStartedHandler = [&] { ++started; };
    page.m_installFinishedHandler = [&] { ++finished; };

    SUBCASE("no accepted offer: the product alone, then Next once it has exited")
    {
        service.LoadScenario("common");
        Run(page);
        REQUIRE(buttons == std::vector<ButtonType>{ButtonType::Next});
        // The product's address ends in a bare segment: its installer is saved and run as beta.exe.
        CHECK(FixtureRuns("beta").size() == 1);
        // Reported once, when its installer has succeeded.
        CHECK(WaitForEventsOf(kProduct, 1) == Events{{"3", ""}});
        // In a folder of its own inside the temporary folder.
        const CString installer = ConfigurationManager::Instance()->m_downloadedFile;
        const CString folder = installer.Left(installer.ReverseFind(L'\\'));
        CHECK(installer.Mid(folder.GetLength()) == L"\\beta.exe");
        CHECK(folder.Left(folder.ReverseFind(L'\\')) == ConfigurationManager::Instance()->m_tempFolder);
    }
    SUBCASE("a product installer exiting with 1603: the offers still start, then the error page")
    {
        service.LoadScenario(FilesScenario({{kProductPath, {{"file", "fake_product_setup_1603.exe"}}},
                                            {"/f/dl/offer.exe", {{"file", "fake_offer_setup.exe"}}}}));
        AcceptOffer("of-1", "dl/offer.exe");
        Run(page);
        CHECK(buttons.empty());
        REQUIRE(errors.size() == 1);
        CHECK(errors[0].first == manager->GetString("PAGE_ERROR_TITLE"));
        CHECK(errors[0].second == manager->GetString("PAGE_ERROR_TEXT"));
        CHECK(WaitForEventsOf(kProduct, 1) == Events{{"3", "EXEC FAILED: exit code = 1603"}});
        CHECK(WaitForEventsOf("of-1", 1) == Events{{"3", ""}});
        const auto runs = WaitForRuns("offer", 1);
        REQUIRE(runs.size() == 1);
        CHECK(runs[0].commandLine.find("\" /quiet /id=of-1") != std::string::npos);
    }
    SUBCASE("the product cannot be downloaded: the offers are started without waiting, then the error page")
    {
        service.LoadScenario(json{{"extends", "common"},
                                  {"files", {{"/f/dl/offer.exe", {{"file", "fake_offer_setup.exe"}}}}},
                                  {"faults", {{kProductPath, {{"steps", {{{"status", 404}}}}, {"repeat", true}}}}}});
        AcceptOffer("of-1", "dl/offer.exe");
        Run(page);
        REQUIRE(errors.size() == 1);
        CHECK(errors[0].first == manager->GetString("PAGE_ERROR_TITLE"));
        const Events product = WaitForEventsOf(kProduct, 1);
        REQUIRE(product.size() == 1);
        CHECK(product.begin()->first == "3");
        CHECK(product.begin()->second.rfind("DOWNLOAD FAILED: ", 0) == 0);
        CHECK(WaitForEventsOf("of-1", 1) == Events{{"3", ""}});
        CHECK(WaitForRuns("offer", 1).size() == 1);
        CHECK(FixtureRuns("beta").empty());
    }
    CHECK(started == 1);
    CHECK(finished >= 1);
}

TEST_CASE_FIXTURE(DownloadFixture, "The DLM page downloads the product for the finish page and starts the offers")
{
    DownloadPageDlm page(manager, &host);
    SUBCASE("no accepted offer: Next as soon as the product is downloaded, nothing started")
    {
        service.LoadScenario("common");
        Run(page);
        REQUIRE(buttons == std::vector<ButtonType>{ButtonType::Next});
        const CString file = ConfigurationManager::Instance()->m_downloadedFile;
        CHECK(file == ConfigurationManager::Instance()->m_downloadFolder + L"\\BrambleWebSetup.exe");
        CHECK(PathFileExistsW(file));
        CHECK(FixtureRuns("BrambleWebSetup").empty());
    }
    SUBCASE("the product fails, the offers succeed: they are started and the page ends on the download error")
    {
        service.LoadScenario(json{{"extends", "common"},
                                  {"files", {{"/f/files/setup.exe", {{"file", "fake_offer_setup.exe"}}},
                                             {"/f/dl/offer_in_zip.zip", {{"file", "offer_in_zip.zip"}}}}},
                                  {"faults", {{kProductPath, {{"steps", {{{"status", 404}}}}, {"repeat", true}}}}}});
        // A path with a slash before its dot is no URL of its own: it goes after the image base.
        AcceptOffer("of-1", "files/setup.exe");
        // Wine cannot unpack a ZIP through the shell: the archive itself is run, which fails unseen.
        AcceptOffer("of-2", "dl/offer_in_zip.zip");
        Run(page);
        REQUIRE(errors.size() == 1);
        CHECK(errors[0].first == manager->GetString("PAGE_DOWNLOAD_ERROR_TITLE"));
        CHECK(errors[0].second == manager->GetString("PAGE_DOWNLOAD_ERROR_DESC"));
        CHECK(Requested("/f/files/setup.exe"));
        CHECK(WaitForRuns("setup", 1).size() == 1);
        CHECK(WaitForEventsOf("of-1", 1) == Events{{"3", ""}});
        CHECK(WaitForEventsOf("of-2", 1) == Events{{"3", ""}});
    }
}

TEST_CASE_FIXTURE(DownloadFixture, "Quitting during a download processes its result and starts nothing more")
{
    service.LoadScenario(json{{"extends", "common"},
                              {"files", {{"/f/dl/offer.exe", {{"file", "fake_offer_setup.exe"}}}}},
                              {"faults", {{kProductPath, {{{"slow", {{"chunk", 16384}, {"interval", 0.2}}}}}}}}});
    AcceptOffer("of-1", "dl/offer.exe");
    DownloadPageIsv page(manager, &host);
    const auto run = std::make_shared<Cancellation>();
    Start(page, run);
    REQUIRE(PumpMessagesUntil([this] { return Requested(kProductPath); }, 20s));
    run->Cancel();
    const Events product = WaitForEventsOf(kProduct, 1);
    PumpMessagesFor(1s);
    REQUIRE(product.size() == 1);
    CHECK(product.begin()->second == "DOWNLOAD FAILED: [WINHTTP] Download cancelled.");
    CHECK_FALSE(Requested("/f/dl/offer.exe"));
    CHECK(FixtureRuns("beta").empty());
    CHECK(buttons.empty());
}

TEST_CASE_FIXTURE(DownloadFixture, "Quitting while the product installs leaves it running and starts no offer")
{
    service.LoadScenario(FilesScenario({{kProductPath, {{"file", "slow_setup.exe"}}},
                                        {"/f/dl/offer.exe", {{"file", "fake_offer_setup.exe"}}}}));
    AcceptOffer("of-1", "dl/offer.exe");
    DownloadPageIsv page(manager, &host);
    const auto run = std::make_shared<Cancellation>();
    Start(page, run);
    REQUIRE(WaitForRuns("beta", 1).size() == 1);
    run->Cancel();
    // The product's installer ends after the quit: nothing follows it.
    ReleaseSlowSetups();
    PumpMessagesFor(2s);
    CHECK(FixtureRuns("fake_offer_setup").empty());
    CHECK(EventsOf("of-1").empty());
    CHECK(EventsOf(kProduct).empty());
    CHECK(buttons.empty());
    CHECK(errors.empty());
}

TEST_CASE_FIXTURE(DownloadFixture, "An unknown length turns the bar to marquee until the next download reports a percentage")
{
    DownloadPageDlm page(manager, &host);
    REQUIRE(page.Create(page.TemplateId(), &host));
    HWND bar = GetDlgItem(page.m_hWnd, IDC_PROGRESS);
    const auto marquee = [bar] { return (GetWindowLongW(bar, GWL_STYLE) & PBS_MARQUEE) != 0; };
    page.SendMessage(WM_DOWNLOAD_PROGRESS, 40);
    CHECK(SendMessageW(bar, PBM_GETPOS, 0, 0) == 40);
    // The dialog messages the pages send each other are no progress.
    page.SendMessage(DM_SETDEFID, IDOK);
    page.SendMessage(DM_REPOSITION);
    CHECK(SendMessageW(bar, PBM_GETPOS, 0, 0) == 40);
    CHECK_FALSE(marquee());
    page.SendMessage(WM_DOWNLOAD_SIZE_UNKNOWN);
    CHECK(marquee());
    page.SendMessage(WM_DOWNLOAD_PROGRESS, 5);
    CHECK_FALSE(marquee());
    CHECK(SendMessageW(bar, PBM_GETPOS, 0, 0) == 5);
    // A percentage above 100 shows the marquee without remembering it: the next percentage only moves it.
    page.SendMessage(WM_DOWNLOAD_PROGRESS, 200);
    CHECK(marquee());
    page.SendMessage(WM_DOWNLOAD_PROGRESS, 50);
    CHECK(marquee());
}
