#include <doctest/doctest.h>

#include "BuildVariant.h"
#include "ControllerFixture.h"
#include "PageTestHelpers.h"
#include "pages/ProductPage.h"
#include "remote/Package.h"

#include <climits>
#include <map>
#include <string>
#include <vector>

using namespace std::chrono_literals;
using nlohmann::json;

namespace {

// Offer 1's name: accented Latin, Greek and Cyrillic, in UTF-8 as the configuration carries it.
const char kWorldlyName[] = "Cr\u00e8me Br\u00fbl\u00e9e \u03a9mega \u0429\u0438\u0442";

// An offer every machine admits; cfs: its flow rules.
json OfferElement(int index, const json& cfs = json::object())
{
    const std::string id = "of-" + std::to_string(index);
    json ps{{"i", "offer-" + std::to_string(index % 3 + 1) + ".png"},
            {"dn", index == 1 ? std::string(kWorldlyName) : "Offer " + std::to_string(index)},
            {"u", "dl/" + id + ".exe"},
            {"cp", "https://" + id + ".example/privacy"},
            {"ctu", "https://" + id + ".example/eula"},
            {"v", 20 + index},
            {"pn", true},
            {"cfs", cfs}};
    return json{{"ad", {{"o", id}, {"f", "flow"}}}, {"ps", ps}};
}

// A wizard whose configuration brought four offers with the given flow rules, shown up to offer 0.
struct OfferFlowFixture : ControllerFixture {
    explicit OfferFlowFixture(std::vector<json> rules, const json& offerImage = nullptr)
    {
        json offers = json::array();
        for (std::size_t i = 0; i < rules.size(); ++i) {
            offers.push_back(OfferElement(static_cast<int>(i), rules[i]));
        }
        if (!offerImage.is_null()) {
            offers[2]["ps"]["i"] = offerImage;
        }
        service.LoadScenario(json{{"extends", "config-retry"},
                                  {"faults", {{"/o", json::array()}}},
                                  {"escape_spaces", true},
                                  {"config", {{"l", "US"},
                                              {"i", {{"ct", "Bramble Web"}, {"cu", "@BASE@/p"}}},
                                              {"f", {{"a", "pub-1"}, {"m", 4}}},
                                              {"o", offers}}}});
        peer.Press(ButtonType::Next);
        REQUIRE(PumpMessagesUntil([this] { return peer.CurrentPage() == 2; }, 20s));
        after = IsIsvBuild() ? L"DownloadPageISV" : L"DownloadPageDLM";
        // Walk to the first offer page; the heritage build has its warning page first.
        while (peer.Page(peer.CurrentPage()).GetPageKind() != PageKind::Offer) {
            peer.Press(ButtonType::Next);
        }
        if (ConfigurationManager::Instance()->m_heritagePages) {
            after = L"OptionsPageKVHeritage";
        }
    }

    ProductPage& Shown() { return dynamic_cast<ProductPage&>(peer.Page(peer.CurrentPage())); }
    std::string ShownOffer() { return Shown().GetPackage()->m_adO; }
    void Click(int button) { ClickButton(Shown().m_hWnd, button); }

    // Event id -> offer id -> reason, as the service received them (the product's own events left out).
    std::map<std::string, std::map<std::string, std::string>> OfferEvents()
    {
        std::map<std::string, std::map<std::string, std::string>> events;
        for (const auto& record : service.Events()) {
            const auto& event = record.at("event");
            if (event.is_object() && event.value("5", "").rfind("of-", 0) == 0) {
                events[event.value("6", "")][event.value("5", "")] = event.value("13", "");
            }
        }
        return events;
    }
    // Waits until the service has this many offer events of the id, then a little for stragglers.
    std::map<std::string, std::string> WaitForOfferEvents(const std::string& id, std::size_t count)
    {
        PumpMessagesUntil([&] { return OfferEvents()[id].size() >= count; }, 15s);
        PumpMessagesFor(500ms);
        return OfferEvents()[id];
    }

    CString after;
};

using Reasons = std::map<std::string, std::string>;

}  // namespace

TEST_CASE("Offer pages decide with the user, and the sequencing passes over what must not be shown")
{
    const json none = json::object();

    SUBCASE("accepting every offer: each is shown, no decline reported, the last one has no Skip All")
    {
        // Offer 2's picture is missing on the server: its page works without it.
        OfferFlowFixture flow({none, none, none, none}, "missing-picture.png");
        for (int offer = 0; offer < 4; ++offer) {
            CAPTURE(offer);
            CHECK(flow.ShownOffer() == "of-" + std::to_string(offer));
            CHECK(IsShownInItsPage(GetDlgItem(flow.Shown().m_hWnd, IDC_SKIP_ALL)) == (offer != 3));
            CHECK((flow.Shown().GetPackage()->m_image == nullptr) == (offer == 2));
            if (offer == 1) {
                // Shown exactly as configured, spaces and all.
                const CString disclaimer = ControlText(flow.Shown().m_hWnd, IDC_OFFER_DISCLAIMER);
                CHECK(disclaimer.Find(L"\"Cr\u00e8me Br\u00fbl\u00e9e \u03a9mega \u0429\u0438\u0442\"") >= 0);
            }
            flow.Click(IDC_ACCEPT);
        }
        CHECK(flow.peer.Page(flow.peer.CurrentPage()).GetPageName() == flow.after);
        const auto configuration = ConfigurationManager::Instance();
        CHECK(configuration->m_acceptedOffers.size() == 4);
        CHECK(configuration->m_shownOffers.size() == 4);
        // Nothing declined or passed over; the downloads that began meanwhile report on their own.
        PumpMessagesFor(1s);
        const auto events = flow.OfferEvents();
        CHECK(events.count("2") == 0);
        CHECK(events.count("4") == 0);
    }
    SUBCASE("Skip All on offer 0 of four passes over offers 1 to 3")
    {
        OfferFlowFixture flow({none, none, none, none});
        const CString disclaimer = ControlText(flow.Shown().m_hWnd, IDC_OFFER_DISCLAIMER);
        CHECK(disclaimer.Find(L"\"Offer 0\"") >= 0);
        CHECK(disclaimer.Find(L"href=\"https://of-0.example/privacy\"") >= 0);
        CHECK(disclaimer.Find(L"href=\"https://of-0.example/eula\"") >= 0);
        flow.Click(IDC_SKIP_ALL);
        CHECK(flow.peer.Page(flow.peer.CurrentPage()).GetPageName() == flow.after);
        CHECK(flow.WaitForOfferEvents("4", 1) == Reasons{{"of-0", ""}});
        CHECK(flow.WaitForOfferEvents("2", 3) == Reasons{{"of-1", "SKIP ALL CLICKED"},
                                                         {"of-2", "SKIP ALL CLICKED"},
                                                         {"of-3", "SKIP ALL CLICKED"}});
        CHECK(ConfigurationManager::Instance()->m_shownOffers.size() == 1);
    }
    SUBCASE("an offer limit of 2 shows offer 1 and passes over every later offer")
    {
        OfferFlowFixture flow({{{"mo", 2}}, {{"mo", 2}}, none, none});
        CHECK(IsShownInItsPage(GetDlgItem(flow.Shown().m_hWnd, IDC_SKIP_ALL)));
        flow.Click(IDC_ACCEPT);
        CHECK(flow.ShownOffer() == "of-1");
        // Offer 1's own limit makes it the last of the flow.
        CHECK_FALSE(IsShownInItsPage(GetDlgItem(flow.Shown().m_hWnd, IDC_SKIP_ALL)));
        flow.Click(IDC_ACCEPT);
        CHECK(flow.peer.Page(flow.peer.CurrentPage()).GetPageName() == flow.after);
        CHECK(flow.WaitForOfferEvents("2", 2) == Reasons{{"of-2", "EXCEEDED MAX NUMBER OF OFFERS IN FLOW"},
                                                         {"of-3", "EXCEEDED MAX NUMBER OF OFFERS IN FLOW"}});
    }
    SUBCASE("after a decline an offer marked sied is passed over and the next one shown")
    {
        OfferFlowFixture flow({none, {{"sied", true}, {"mo", 3}}, none, none});
        flow.Click(IDC_DECLINE);
        CHECK(flow.ShownOffer() == "of-2");
        CHECK(ConfigurationManager::Instance()->m_shownOffers.size() == 2);
        CHECK(dynamic_cast<ProductPage&>(flow.peer.Page(flow.peer.CurrentPage() - 1)).GetPackage()->m_flow.mo == INT_MAX);
        CHECK(flow.WaitForOfferEvents("4", 1) == Reasons{{"of-0", ""}});
        CHECK(flow.WaitForOfferEvents("2", 1) == Reasons{{"of-1", "SKIPPED BECAUSE OF EARLIER DECLINE"}});
    }
    SUBCASE("declining an offer marked saad passes over every later offer")
    {
        OfferFlowFixture flow({{{"saad", true}}, none, none, none});
        flow.Click(IDC_DECLINE);
        CHECK(flow.peer.Page(flow.peer.CurrentPage()).GetPageName() == flow.after);
        CHECK(flow.WaitForOfferEvents("2", 3) == Reasons{{"of-1", "SKIP ALL AFTER DECLINE OFFER DECLINED"},
                                                         {"of-2", "SKIP ALL AFTER DECLINE OFFER DECLINED"},
                                                         {"of-3", "SKIP ALL AFTER DECLINE OFFER DECLINED"}});
    }
}
