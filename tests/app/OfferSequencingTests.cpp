#include <doctest/doctest.h>

#include "StandInService.h"
#include "WindowTestHelpers.h"
#include "app/OfferSequencer.h"
#include "profile/ConfigurationManager.h"
#include "remote/ApiManager.h"
#include "remote/Package.h"

#include <chrono>
#include <climits>
#include <map>
#include <string>

using namespace std::chrono_literals;

namespace {

// Four offers, one page each, with offer 0's page shown: nothing but the sequencer and the offers.
struct FourOffers {
    // prefix: the offers' identifiers; a case that checks events at the service uses its own, as a send of
    // an earlier case still retrying may reach the service it has set.
    explicit FourOffers(const CString& telemetryUrl = CString(), const wchar_t* prefix = L"offer")
    {
        auto configuration = ConfigurationManager::Instance();
        // Without a telemetry address the reports of these cases go nowhere.
        configuration->m_telemetryUrl = telemetryUrl;
        configuration->m_offerDeclined = false;
        configuration->m_maxOffers = 4;
        configuration->m_offerAdjustment = 0;
        for (int i = 0; i < 4; ++i) {
            CString id;
            id.Format(L"%s-%d", prefix, i);
            offers.push_back(std::make_shared<Package>(ApiManager::Instance()->MakeBaseRequest(), false, id,
                                                       CString(), id, CString(), i));
        }
        sequence.SetOffers(offers);
    }

    // Leaves the shown offer page: the pages ahead are the offer pages after the cursor.
    OfferSequencer::Decision Leave() { return sequence.CountOfferPagesToSkip(3 - sequence.Cursor()); }
    OfferSequencer::Decision Decline(bool saad, bool skipAll = false)
    {
        offers[static_cast<std::size_t>(sequence.Cursor())]->m_flow.saad = saad;
        ConfigurationManager::Instance()->m_offerDeclined = true;
        sequence.OnDecline(skipAll);
        return Leave();
    }

    std::vector<std::shared_ptr<Package>> offers;
    OfferSequencer sequence;
};

// The skipped offers of a decision as (index, reason, reported).
std::vector<std::tuple<int, std::string, bool>> Skips(const OfferSequencer::Decision& decision)
{
    std::vector<std::tuple<int, std::string, bool>> skips;
    for (const auto& skipped : decision.skipped) {
        skips.emplace_back(skipped.index, skipped.reason, skipped.reported);
    }
    return skips;
}

using Skip = std::tuple<int, std::string, bool>;

}  // namespace

TEST_CASE_FIXTURE(FourOffers, "Offer pages are passed over by the run's flags and the offers' flow rules")
{
    SUBCASE("accepting every offer shows every offer page, then the page after them")
    {
        for (int shown = 1; shown <= 3; ++shown) {
            CHECK(Leave().pagesToSkip == 0);
            CHECK(sequence.Cursor() == shown);
        }
        CHECK(sequence.CountOfferPagesToSkip(0).pagesToSkip == 0);
    }
    SUBCASE("Skip All passes over every later offer; only those below the offer bound are reported")
    {
        ConfigurationManager::Instance()->m_maxOffers = 3;
        const auto decision = Decline(false, true);
        CHECK(decision.pagesToSkip == 3);
        CHECK(Skips(decision) == std::vector<Skip>{{1, "SKIP ALL CLICKED", true},
                                                   {2, "SKIP ALL CLICKED", true},
                                                   {3, "SKIP ALL CLICKED", false}});
    }
    SUBCASE("an offer's limit stops the flow once the cursor reaches it")
    {
        offers[0]->m_flow.mo = 2;
        CHECK(Leave().pagesToSkip == 0);
        const auto decision = Leave();
        CHECK(decision.pagesToSkip == 2);
        CHECK(Skips(decision) == std::vector<Skip>{{2, "EXCEEDED MAX NUMBER OF OFFERS IN FLOW", true},
                                                   {3, "EXCEEDED MAX NUMBER OF OFFERS IN FLOW", true}});
    }
    SUBCASE("after a decline an offer that asks for it is skipped, and stops limiting the rest")
    {
        offers[1]->m_flow.sied = true;
        offers[1]->m_flow.mo = 2;
        const auto decision = Decline(false);
        CHECK(Skips(decision) == std::vector<Skip>{{1, "SKIPPED BECAUSE OF EARLIER DECLINE", true}});
        CHECK(sequence.Cursor() == 2);
        CHECK(offers[1]->m_flow.mo == INT_MAX);
        CHECK(ConfigurationManager::Instance()->m_offerAdjustment == -1);
        CHECK(Leave().pagesToSkip == 0);
        CHECK(sequence.Cursor() == 3);
    }
    SUBCASE("declining an offer with skip-all-after-decline skips every later offer")
    {
        const auto decision = Decline(true);
        CHECK(Skips(decision) == std::vector<Skip>{{1, "SKIP ALL AFTER DECLINE OFFER DECLINED", true},
                                                   {2, "SKIP ALL AFTER DECLINE OFFER DECLINED", true},
                                                   {3, "SKIP ALL AFTER DECLINE OFFER DECLINED", true}});
    }
    SUBCASE("a decline without the flag skips nothing, and Skip All names itself first")
    {
        CHECK(Decline(false).pagesToSkip == 0);
        offers[2]->m_flow.sied = true;
        CHECK(Skips(Decline(true, true)) == std::vector<Skip>{{2, "SKIP ALL CLICKED", true},
                                                              {3, "SKIP ALL CLICKED", true}});
    }
    SUBCASE("without an offer bound, skipped offers are never reported")
    {
        ConfigurationManager::Instance()->m_maxOffers = 0;
        const auto decision = Decline(false, true);
        CHECK(decision.pagesToSkip == 3);
        for (const auto& skipped : decision.skipped) {
            CHECK_FALSE(skipped.reported);
        }
    }
}

TEST_CASE("Passed-over offers reach the service as event 2 with their reason")
{
    StandInService service;
    service.LoadScenario("empty");
    FourOffers flow(CString(service.BaseUrl() + L"/zbd"), L"reported");
    ConfigurationManager::Instance()->m_maxOffers = 3;
    flow.Decline(false, true);

    std::map<std::string, std::string> reports;
    const auto collect = [&] {
        reports.clear();
        for (const auto& record : service.Events()) {
            const auto& event = record["event"];
            if (event.is_object() && event.value("6", "") == "2" && event.value("5", "").rfind("reported-", 0) == 0) {
                reports[event.value("5", "")] = event.value("13", "");
            }
        }
        return reports.size() >= 2;
    };
    REQUIRE(PumpMessagesUntil(collect, 15s));
    PumpMessagesFor(500ms);
    collect();
    CHECK(reports == std::map<std::string, std::string>{{"reported-1", "SKIP ALL CLICKED"}, {"reported-2", "SKIP ALL CLICKED"}});
}
