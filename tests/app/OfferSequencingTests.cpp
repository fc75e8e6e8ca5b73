#include <doctest/doctest.h>

#include "CTesseraDlgTestPeer.h"
#include "MessageBoxRecorder.h"
#include "StandInService.h"
#include "WindowTestHelpers.h"
#include "profile/ConfigurationManager.h"
#include "remote/ApiManager.h"
#include "remote/Package.h"
#include "resource.h"

#include <chrono>
#include <climits>
#include <map>
#include <string>

using namespace std::chrono_literals;

namespace {

// A wizard whose pages after the loading page are: four offer pages, then the download page.
struct OfferFlow {
    OfferFlow()
    {
        service.LoadScenario("empty");
        auto configuration = ConfigurationManager::Instance();
        configuration->m_telemetryUrl = CString(service.BaseUrl() + L"/zbd");
        configuration->m_offerDeclined = false;
        configuration->m_maxOffers = 4;
        configuration->m_offerAdjustment = 0;
        REQUIRE(dialog.Create(IDD_TESSERA_DIALOG));
        std::vector<std::shared_ptr<Package>> list;
        for (int i = 0; i < 4; ++i) {
            const BaseRequest request = ApiManager::Instance()->MakeBaseRequest();
            CString id;
            id.Format(L"offer-%d", i);
            list.push_back(std::make_shared<Package>(request, false, id, CString(), id, CString(), i));
            peer.AddNamedPage(L"ProductPage");
        }
        peer.AddNamedPage(L"DownloadPageISV");
        offers = list;
        peer.SetOffers(std::move(list));
        peer.ShowPage(2);
    }

    int OfferIndexShown() const { return peer.CurrentPage() - 2; }

    // The skip reasons that reached the service, by offer id; waits for count of them.
    std::map<std::string, std::string> SkipReports(std::size_t count)
    {
        std::map<std::string, std::string> reports;
        PumpMessagesUntil(
            [&] {
                reports.clear();
                for (const auto& record : service.Events()) {
                    const auto& event = record["event"];
                    if (event.is_object() && event.value("6", "") == "2") {
                        reports[event.value("5", "")] = event.value("13", "");
                    }
                }
                return reports.size() >= count;
            },
            count == 0 ? 1500ms : 15s);
        return reports;
    }

    void Decline(std::size_t offer, bool saad)
    {
        offers[offer]->m_flow.saad = saad;
        ConfigurationManager::Instance()->m_offerDeclined = true;
        peer.Press(ButtonType::Decline);
    }

    StandInService service;
    MessageBoxRecorder boxes;
    CTesseraDlg dialog;
    CTesseraDlgTestPeer peer{dialog};
    std::vector<std::shared_ptr<Package>> offers;
};

}  // namespace

TEST_CASE_FIXTURE(OfferFlow, "Accepting every offer shows every offer page, then the download page")
{
    for (int i = 0; i < 4; ++i) {
        CHECK(OfferIndexShown() == i);
        peer.Press(ButtonType::Accept);
    }
    CHECK(peer.Page(peer.CurrentPage()).GetPageName() == L"DownloadPageISV");
    CHECK(SkipReports(0).empty());
}

TEST_CASE_FIXTURE(OfferFlow, "Skip All passes over every later offer and reports each below the limit")
{
    ConfigurationManager::Instance()->m_maxOffers = 3;
    ConfigurationManager::Instance()->m_offerDeclined = true;
    peer.Press(ButtonType::SkipAll);
    CHECK(peer.Page(peer.CurrentPage()).GetPageName() == L"DownloadPageISV");
    const auto reports = SkipReports(2);
    CHECK(reports.size() == 2);
    CHECK(reports.at("offer-1") == "SKIP ALL CLICKED");
    CHECK(reports.at("offer-2") == "SKIP ALL CLICKED");
    CHECK(reports.count("offer-3") == 0);
}

TEST_CASE_FIXTURE(OfferFlow, "An offer's limit stops the flow once the cursor reaches it")
{
    offers[0]->m_flow.mo = 2;
    peer.Press(ButtonType::Accept);
    CHECK(OfferIndexShown() == 1);
    peer.Press(ButtonType::Accept);
    CHECK(peer.Page(peer.CurrentPage()).GetPageName() == L"DownloadPageISV");
    const auto reports = SkipReports(2);
    CHECK(reports.at("offer-2") == "EXCEEDED MAX NUMBER OF OFFERS IN FLOW");
    CHECK(reports.at("offer-3") == "EXCEEDED MAX NUMBER OF OFFERS IN FLOW");
}

TEST_CASE_FIXTURE(OfferFlow, "After a decline an offer that asks for it is skipped, and stops limiting the rest")
{
    offers[1]->m_flow.sied = true;
    offers[1]->m_flow.mo = 2;
    Decline(0, false);
    CHECK(OfferIndexShown() == 2);
    CHECK(offers[1]->m_flow.mo == INT_MAX);
    CHECK(ConfigurationManager::Instance()->m_offerAdjustment == -1);
    const auto reports = SkipReports(1);
    CHECK(reports.at("offer-1") == "SKIPPED BECAUSE OF EARLIER DECLINE");
    peer.Press(ButtonType::Accept);
    CHECK(OfferIndexShown() == 3);
}

TEST_CASE_FIXTURE(OfferFlow, "Declining an offer with skip-all-after-decline skips every later offer")
{
    Decline(0, true);
    CHECK(peer.Page(peer.CurrentPage()).GetPageName() == L"DownloadPageISV");
    const auto reports = SkipReports(3);
    for (const char* id : {"offer-1", "offer-2", "offer-3"}) {
        CHECK(reports.at(id) == "SKIP ALL AFTER DECLINE OFFER DECLINED");
    }
}

TEST_CASE_FIXTURE(OfferFlow, "Without an offer bound, skipped offers are never reported")
{
    ConfigurationManager::Instance()->m_maxOffers = 0;
    peer.Press(ButtonType::SkipAll);
    CHECK(peer.Page(peer.CurrentPage()).GetPageName() == L"DownloadPageISV");
    CHECK(SkipReports(0).empty());
}
