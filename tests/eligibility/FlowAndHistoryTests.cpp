#include <doctest/doctest.h>

#include "OfferElements.h"
#include "SetupLogForTests.h"
#include "StandInService.h"
#include "WindowTestHelpers.h"
#include "eligibility/EligibilityChecker.h"
#include "framework/UniqueHandle.h"
#include "profile/ConfigurationManager.h"
#include "profile/MachineFacts.h"
#include "remote/Package.h"
#include "transfer/EncodingUtilities.h"

#include <chrono>
#include <ctime>
#include <map>
#include <string>
#include <vector>

using nlohmann::json;
using namespace std::chrono_literals;

namespace {

// One pass over a list of offers, as the loading page makes it: admitted offers and refusals.
struct Pass {
    explicit Pass(int maxOffers) : checker(maxOffers) { ConfigurationManager::Instance()->m_offerAdjustment = 0; }
    ~Pass() { ConfigurationManager::Instance()->m_offerAdjustment = 0; }

    // Evaluates the offer; true when admitted. Its position is the number admitted so far.
    bool Offer(const std::string& id, const json& ps = json::object())
    {
        auto offer = MakeOffer(ps, id, static_cast<int>(admitted.size()));
        bool stopNow = false;
        const bool admittedNow = checker.Evaluate(offer, stopNow, admitted);
        stop = stop || stopNow;
        if (admittedNow) {
            admitted.push_back(offer);
        }
        return admittedNow;
    }

    EligibilityChecker checker;
    std::vector<std::shared_ptr<Package>> admitted;
    bool stop = false;
};

std::string Encoded(const std::string& id)
{
    return Base62Encode(id);
}

// A value of the test's own below HKCU\Software, removed at the end.
class HistoryKey {
public:
    HistoryKey() : m_path(L"Software\\TesseraHistory" + std::to_wstring(GetCurrentProcessId()))
    {
        REQUIRE(RegCreateKeyExW(HKEY_CURRENT_USER, m_path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                m_key.Receive(), nullptr) == ERROR_SUCCESS);
    }
    ~HistoryKey()
    {
        m_key.Reset();
        RegDeleteTreeW(HKEY_CURRENT_USER, m_path.c_str());
    }
    std::string Path() const { return "Software\\TesseraHistory" + std::to_string(GetCurrentProcessId()); }
    void SetQword(const wchar_t* name, std::uint64_t value) const
    {
        REQUIRE(RegSetValueExW(m_key.Get(), name, 0, REG_QWORD, reinterpret_cast<const BYTE*>(&value),
                               sizeof(value)) == ERROR_SUCCESS);
    }

private:
    std::wstring m_path;
    UniqueRegKey m_key;
};

json UninstallRecord(const std::string& key, int days, bool milliseconds)
{
    return json::array({{{"utr", "HKEY_CURRENT_USER"},
                         {"utk", key},
                         {"utvn", "Removed"},
                         {"utvt", "REG_QWORD"},
                         {"umd", days},
                         {"utms", milliseconds}}});
}

}  // namespace

TEST_CASE("The run's offer limit, with the extra slot an admitted skip-if-declined offer brings")
{
    SUBCASE("two offers at most: the third sets the stop flag")
    {
        Pass pass(2);
        CHECK(pass.Offer("a", {{"v", 1}}));
        CHECK(pass.Offer("b", {{"v", 2}}));
        CHECK_FALSE(pass.Offer("c", {{"v", 3}}));
        CHECK(pass.stop);
    }
    SUBCASE("a second admitted offer with sied raises the limit, and later offers skip the after-rules")
    {
        Pass pass(2);
        CHECK(pass.Offer("a", {{"v", 1}, {"pn", true}, {"cfs", {{"ma", 1}}}}));
        CHECK(pass.Offer("b", {{"v", 2}, {"pn", true}, {"cfs", {{"sied", true}}}}));
        CHECK(ConfigurationManager::Instance()->m_offerAdjustment == 1);
        // "a" allows one offer after it, but the extra slot waives that.
        CHECK(pass.Offer("c", {{"v", 3}}));
        CHECK_FALSE(pass.stop);
        CHECK_FALSE(pass.Offer("d", {{"v", 4}}));
        CHECK(pass.stop);
    }
}

TEST_CASE("Rules about the offers before and after, verticals and exclusive offers")
{
    Pass pass(10);
    CHECK(pass.Offer("A", {{"v", 1}}));
    CHECK_FALSE(pass.Offer("first-only", {{"v", 2}, {"pn", true}, {"cfs", {{"mb", 0}}}}));
    CHECK(pass.Offer("D", {{"v", 3}}));
    CHECK_FALSE(pass.Offer("after-a-b", {{"v", 4}, {"pn", true}, {"cfs", {{"ab", {Encoded("A"), Encoded("B")}}}}}));
    CHECK_FALSE(pass.Offer("same-vertical", {{"v", 1}}));
    CHECK_FALSE(pass.Offer("exclusive", {{"v", 5}, {"exc", true}}));
    CHECK(pass.Offer("Q", {{"v", 6}, {"pn", true}, {"cfs", {{"ma", 0}}}}));
    CHECK_FALSE(pass.Offer("after-q", {{"v", 7}}));
    CHECK(pass.admitted.size() == 3);

    Pass verticals(10);
    CHECK(verticals.Offer("n1", {{"v", -1}}));
    CHECK_FALSE(verticals.Offer("n2", {{"v", -1}}));
    CHECK(verticals.Offer("plain-1"));
    CHECK_FALSE(verticals.Offer("plain-2"));
    CHECK(verticals.Offer("only", {{"v", 9}, {"pn", true}, {"cfs", {{"aa", {Encoded("next")}}}}}));
    CHECK_FALSE(verticals.Offer("other", {{"v", 10}}));
    CHECK(verticals.Offer("next", {{"v", 11}}));
}

TEST_CASE("Refusals reach the service with their reasons, only while fewer offers than the bound are admitted")
{
    StandInService service;
    service.LoadScenario("empty");
    // A refusal that does not arrive is explained by the log: a lost send names its step and error.
    ScopedSetupLog log;
    auto configuration = ConfigurationManager::Instance();
    const CString savedUrl = configuration->m_telemetryUrl;
    configuration->m_telemetryUrl = CString(service.BaseUrl() + L"/zbd");
    {
        Pass pass(2);
        CHECK(pass.Offer("A", {{"v", 1}}));
        CHECK_FALSE(pass.Offer("first-only", {{"v", 2}, {"pn", true}, {"cfs", {{"mb", 0}}}}));
        CHECK_FALSE(pass.Offer("after-a", {{"v", 3}, {"pn", true}, {"cfs", {{"ab", {Encoded("B")}}}}}));
        CHECK_FALSE(pass.Offer("same", {{"v", 1}}));
        CHECK(pass.Offer("B", {{"v", 4}, {"pn", true}, {"cfs", {{"sied", true}}}}));
        // Admitted: 2 of 2, plus the extra slot. This refusal is not reported.
        CHECK_FALSE(pass.Offer("late-same", {{"v", 1}}));
        for (const auto& offer : pass.admitted) {
            offer->WaitForEvents();
        }
    }
    std::map<std::string, std::string> reasons;
    const auto collect = [&] {
        reasons.clear();
        for (const auto& record : service.Events()) {
            reasons[record["event"].value("5", "")] = record["event"].value("13", "");
        }
        return reasons.size() >= 3;
    };
    const bool arrived = PumpMessagesUntil(collect, 15s);
    std::string logged;
    for (const std::string& message : log.Messages()) {
        logged += message + "\n";
    }
    INFO("setup log:\n" << logged);
    REQUIRE(arrived);
    PumpMessagesFor(1s);
    collect();
    configuration->m_telemetryUrl = savedUrl;
    CHECK(reasons == std::map<std::string, std::string>{{"first-only", "SHOWED 1 PRODUCTS BUT ONLY 0 ALLOWED BEFORE"},
                                                        {"after-a", "NOT ALLOWED AFTER A"},
                                                        {"same", "SAME VERTICAL OFFER ALREADY PRESENT"}});
}

TEST_CASE("An uninstall time keeps an offer away for its days; a no-show date until it has come")
{
    const HistoryKey key;
    const auto now = static_cast<std::uint64_t>(std::time(nullptr));
    const auto refusedWith = [](const json& ps) {
        Pass pass(10);
        return !pass.Offer("history", ps);
    };

    key.SetQword(L"Removed", now - 29 * 86400);
    CHECK(refusedWith({{"cmdu", UninstallRecord(key.Path(), 30, false)}}));
    key.SetQword(L"Removed", now - 30 * 86400 - 1);
    CHECK_FALSE(refusedWith({{"cmdu", UninstallRecord(key.Path(), 30, false)}}));
    key.SetQword(L"Removed", (now - 29 * 86400) * 1000);
    CHECK(refusedWith({{"cmdu", UninstallRecord(key.Path(), 30, true)}}));
    // Far beyond what days x 86400 holds in 32 bits: still a wait, not an overflow.
    CHECK(refusedWith({{"cmdu", UninstallRecord(key.Path(), 30000, true)}}));
    CHECK_FALSE(refusedWith({{"cmdu", UninstallRecord(key.Path() + "\\Missing", 30, false)}}));
    json aliasRoot = UninstallRecord(key.Path(), 30, false);
    aliasRoot[0]["utr"] = "hkcu";
    Pass pass(10);
    CHECK_THROWS_AS(pass.Offer("alias", {{"cmdu", aliasRoot}}), std::out_of_range);
}

TEST_CASE("A shown pn offer writes its no-show record, which keeps it away until that date")
{
    const std::string keyPath = "SOFTWARE\\TesseraNoShow" + std::to_string(GetCurrentProcessId());
    const json pn{{"pn", true}, {"pnr", keyPath + "\\offer"}};
    const auto shown = MakeOffer(pn, "pn-offer");
    REQUIRE(shown->WriteNoShowRecord());

    UniqueRegKey key;
    REQUIRE(RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_ALL_ACCESS, key.Receive()) == ERROR_SUCCESS);
    DWORD date = 0;
    DWORD size = sizeof(date);
    REQUIRE(RegQueryValueExW(key.Get(), L"offer", nullptr, nullptr, reinterpret_cast<BYTE*>(&date), &size) ==
            ERROR_SUCCESS);
    CHECK(std::to_string(date) == MachineFacts::LocalDateInDays(180));
    {
        Pass pass(10);
        CHECK_FALSE(pass.Offer("pn-offer", pn));
    }

    // On the stored date itself the offer is shown again.
    const DWORD today = static_cast<DWORD>(std::stoul(MachineFacts::LocalDateInDays(0)));
    RegSetValueExW(key.Get(), L"offer", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&today), sizeof(today));
    {
        Pass pass(10);
        CHECK(pass.Offer("pn-offer", pn));
    }
    key.Reset();
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, keyPath.c_str());

    // Spelt in any case, as a configuration may spell it: the pass finds the record it wrote.
    const json mixedCase{{"pn", true}, {"pnr", "software\\" + keyPath.substr(9) + "\\Until"}};
    REQUIRE(MakeOffer(mixedCase, "pn-mixed")->WriteNoShowRecord());
    {
        Pass pass(10);
        CHECK_FALSE(pass.Offer("pn-mixed", mixedCase));
    }
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, keyPath.c_str());

    const auto noBackslash = MakeOffer({{"pn", true}, {"pnr", "offer"}}, "plain");
    CHECK_FALSE(noBackslash->WriteNoShowRecord());
    Pass pass(10);
    CHECK(pass.Offer("plain", {{"pn", true}, {"pnr", "offer"}}));
}

TEST_CASE("A no-show record is written only to a key of its own below SOFTWARE, never the system's")
{
    const std::string own = "TesseraGuard" + std::to_string(GetCurrentProcessId());
    const auto keyExists = [](const std::string& path) {
        UniqueRegKey key;
        return RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, key.Receive()) == ERROR_SUCCESS;
    };
    for (const std::string& refused :
         {"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\" + own, "software\\POLICIES\\" + own,
          "SOFTWARE\\Classes\\" + own, "SOFTWARE\\WOW6432Node\\Microsoft\\" + own, "SYSTEM\\" + own,
          "SOFTWARE\\\\Microsoft\\" + own, "SOFTWARE\\..\\SYSTEM\\" + own, "\\SOFTWARE\\" + own}) {
        CAPTURE(refused);
        const auto offer = MakeOffer({{"pn", true}, {"pnr", refused + "\\until"}}, "guarded");
        CHECK_FALSE(offer->WriteNoShowRecord());
        CHECK_FALSE(keyExists(refused));
    }
    CHECK_FALSE(MakeOffer({{"pn", true}, {"pnr", "SOFTWARE\\until"}}, "guarded")->WriteNoShowRecord());
    // The offer is still shown: only its record is skipped.
    {
        Pass pass(10);
        CHECK(pass.Offer("guarded", {{"pn", true}, {"pnr", "SOFTWARE\\Microsoft\\" + own + "\\until"}}));
    }
    const std::string allowed = "SOFTWARE\\WOW6432Node\\" + own;
    CHECK(MakeOffer({{"pn", true}, {"pnr", allowed + "\\until"}}, "guarded")->WriteNoShowRecord());
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, allowed.c_str());
}
