#include <doctest/doctest.h>

#include "BuildVariant.h"
#include "ControllerFixture.h"
#include "PageTestHelpers.h"
#include "SetupLogForTests.h"
#include "framework/GdiPlus.h"
#include "remote/Package.h"

#include <shlwapi.h>

#include <atomic>
#include <chrono>
#include <mutex>

using namespace std::chrono_literals;
using nlohmann::json;

namespace {

int ConfigurationRequests(const StandInService& service)
{
    int count = 0;
    for (const auto& request : service.Requests()) {
        count += request.at("path") == "/o" ? 1 : 0;
    }
    return count;
}

// The loading page of a real wizard, with its completion handler replaced by one that records the calls.
struct LoadingFixture : ControllerFixture {
    LoadingFixture()
    {
        peer.Loading().m_completionHandler = [this](std::vector<std::shared_ptr<Package>> offers) {
            std::lock_guard<std::mutex> lock(mutex);
            ++calls;
            delivered = std::move(offers);
            logoAtDelivery = ConfigurationManager::Instance()->m_productImage != nullptr;
        };
    }

    // Leaves the language page and waits for the offers or the error page; the seconds it took.
    double LoadAndWait(std::chrono::seconds limit = 30s)
    {
        const auto start = std::chrono::steady_clock::now();
        peer.Press(ButtonType::Next);
        PumpMessagesUntil([this] { return Calls() > 0 || peer.ErrorShown(); }, limit);
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }

    int Calls()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return calls;
    }

    std::mutex mutex;
    int calls = 0;
    bool logoAtDelivery = false;
    std::vector<std::shared_ptr<Package>> delivered;
};

std::string OfferNames(const std::vector<std::shared_ptr<Package>>& offers)
{
    std::string names;
    for (const auto& offer : offers) {
        names += offer->LogName() + ";";
    }
    return names;
}

// Switches the wizard type for one case, whatever the build's.
struct WizardTypeOverride {
    explicit WizardTypeOverride(int type) : saved(ConfigurationManager::Instance()->m_wizardType)
    {
        ConfigurationManager::Instance()->m_wizardType = type;
    }
    ~WizardTypeOverride() { ConfigurationManager::Instance()->m_wizardType = saved; }
    int saved;
};

}  // namespace

// The pause between the attempts is the remote suite's to prove (5 s); here it is short.
TEST_CASE_FIXTURE(LoadingFixture, "A busy configuration endpoint is asked three times")
{
    SUBCASE("503 twice, then the answer: the third answer's offer is used")
    {
        service.LoadScenario("config-retry");
        LoadAndWait();
        REQUIRE(Calls() == 1);
        CHECK(OfferNames(delivered) == "offer nt-2291;");
        CHECK(ConfigurationRequests(service) == 3);
    }
    SUBCASE("500 three times with a document: the last document is applied, after a third pause")
    {
        const json config{{"l", "US"},
                          {"i", {{"ct", "Bramble Web"}, {"cu", "@BASE@/endpoint/bramweb/os/riserollout/track/beta"}}},
                          {"f", {{"a", "pub-9"}, {"m", 4}}},
                          {"o", json::array({json{{"ad", {{"o", "failed-answer"}, {"f", "x"}}},
                                                   {"ps", {{"i", "offer-1.png"}, {"dn", "Notarra"}, {"u", "dl/n.exe"}, {"v", 1}}}}})}};
        const json failing{{"status", 500}, {"body", config}};
        service.LoadScenario(json{{"extends", "config-retry"}, {"faults", {{"/o", {failing, failing, failing}}}}});
        const double seconds = LoadAndWait();
        REQUIRE(Calls() == 1);
        CHECK(OfferNames(delivered) == "offer failed-answer;");
        CHECK(ConfigurationManager::Instance()->m_pubId == "pub-9");
        CHECK(seconds >= 0.145);
        CHECK(ConfigurationRequests(service) == 3);
    }
    CHECK_FALSE(peer.ErrorShown());
}

TEST_CASE_FIXTURE(LoadingFixture, "An unreachable endpoint: the ISV wizard goes on without offers, the DLM wizard ends on the error page")
{
    ConfigurationManager::Instance()->m_configUrl = L"https://localhost:1/o";
    LoadAndWait();
    if (IsIsvBuild()) {
        CHECK(Calls() == 1);
        CHECK(delivered.empty());
        CHECK_FALSE(peer.ErrorShown());
    } else {
        CHECK(Calls() == 0);
        REQUIRE(peer.ErrorShown());
        CHECK(ControlText(peer.Error().m_hWnd, IDC_ERROR_TITLE) == L"Something went wrong");
        CHECK(ControlText(peer.Error().m_hWnd, IDC_ERROR_TEXT) == L"Please try to download later");
    }
}

TEST_CASE_FIXTURE(LoadingFixture, "The DLM offers are handed over once, after the logo and every offer picture are in")
{
    const WizardTypeOverride dlm(WIZARD_DLM);
    ConfigurationManager::Instance()->m_productImage.reset();
    // The logo comes last, well after the offers' pictures.
    service.LoadScenario(json{{"extends", "demo"}, {"faults", {{"/f/bramble-web-logo.png", {{{"delay", 2}}}}}}});
    LoadAndWait();
    PumpMessagesFor(500ms);
    REQUIRE(Calls() == 1);
    CHECK(logoAtDelivery);
    REQUIRE(delivered.size() == 3);
    for (const auto& offer : delivered) {
        CAPTURE(offer->LogName());
        CHECK(offer->m_image != nullptr);
    }
    CHECK_FALSE(peer.ErrorShown());
}

TEST_CASE_FIXTURE(ControllerFixture, "Quitting during loading ends cleanly and nothing is shown afterwards")
{
    const ScopedSetupLog log;
    boxes.SetAnswer(IDOK);
    const CString temp = ConfigurationManager::Instance()->m_tempFolder;
    SUBCASE("while the configuration endpoint is slow")
    {
        service.LoadScenario(json{{"extends", "demo"}, {"faults", {{"/o", {{{"delay", 3}}}}}}});
        peer.Press(ButtonType::Next);
        PumpMessagesFor(1s);
    }
    SUBCASE("while the offer pictures are still coming")
    {
        // Long enough that a busy machine still quits before the pictures are in.
        const json slow{{"delay", 8}};
        service.LoadScenario(json{{"extends", "demo"},
                                  {"faults", {{"/f/offer-1.png", {slow}}, {"/f/offer-2.png", {slow}}, {"/f/offer-3.png", {slow}}}}});
        peer.Press(ButtonType::Next);
        const auto pictureAsked = [this] {
            for (const auto& request : service.Requests()) {
                if (request.at("path") == "/f/offer-1.png") {
                    return true;
                }
            }
            return false;
        };
        REQUIRE(PumpMessagesUntil(pictureAsked, 10s));
    }
    CloseHandle(CreateFileW(temp + L"\\download.part", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    dialog.SendMessage(WM_CLOSE);
    CHECK(dialog.m_hWnd == nullptr);
    // Whatever arrives now finds the wizard closing: no page is added and none is shown.
    PumpMessagesFor(4s);
    CHECK(peer.PageCount() == 2);
    CHECK_FALSE(peer.ErrorShown());
    CHECK_FALSE(log.Contains("Configuration complete"));
    CHECK(WaitForEvents("5", 1));
    CHECK_FALSE(PathFileExistsW(temp));
}
