#include <doctest/doctest.h>

#include "OfferElements.h"
#include "StandInService.h"
#include "framework/GdiPlus.h"
#include "profile/ConfigurationManager.h"
#include "profile/MachineFacts.h"
#include "remote/ApiManager.h"
#include "remote/OfferElement.h"
#include "remote/Package.h"
#include "transfer/EncodingUtilities.h"

#include <nlohmann/json.hpp>

#include <chrono>
#include <climits>
#include <future>
#include <string>

using nlohmann::json;

namespace {

json Element(const json& ps = json::object())
{
    return OfferElementJson(ps);
}

std::shared_ptr<Package> Offer(const json& element)
{
    return std::make_shared<Package>(ApiManager::Instance()->MakeBaseRequest(), element, false, "", 0);
}

// The text of the exception that building the offer throws, or "" when it builds.
std::string FailureOf(const json& element)
{
    try {
        Offer(element);
    } catch (const std::exception& failure) {
        return failure.what();
    }
    return {};
}

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

}  // namespace

TEST_CASE("An offer element with a missing key or a value of the wrong type fails with the library's text")
{
    json noAd = Element();
    noAd.erase("ad");
    CHECK(Contains(FailureOf(noAd), "key 'ad' not found"));
    json noPs = Element();
    noPs.erase("ps");
    CHECK(Contains(FailureOf(noPs), "key 'ps' not found"));
    json noName = Element();
    noName["ps"].erase("dn");
    CHECK(Contains(FailureOf(noName), "key 'dn' not found"));
    json adArray = Element();
    adArray["ad"] = json::array();
    CHECK(Contains(FailureOf(adArray), "cannot use at() with array"));

    CHECK(Contains(FailureOf(Element({{"v", "x"}})), "type must be number, but is string"));
    CHECK(Contains(FailureOf(Element({{"exc", 1}})), "type must be boolean, but is number"));
    CHECK(Contains(FailureOf(Element({{"fe", "C:\\a"}})), "type must be array, but is string"));
    CHECK(Contains(FailureOf(Element({{"u", 7}})), "type must be string, but is number"));
    CHECK(Contains(FailureOf(Element({{"cmdu", {{{"utr", "hkey_current_user"}}}}})), "key 'utk' not found"));
    // An identifier no service hands out, long enough to hold the worker in its encoding for hours.
    json longId = Element();
    longId["ad"]["o"] = std::string(OfferElement::kMaxOfferIdLength, 'o');
    CHECK(FailureOf(longId).empty());
    longId["ad"]["o"] = std::string(1 << 20, 'o');
    CHECK(FailureOf(longId) == "offer identifier longer than 256 bytes");
    // Numbers may be floating point (truncated) or booleans.
    CHECK(FailureOf(Element({{"v", 2.9}, {"disk", true}})).empty());
    CHECK(Offer(Element({{"disk", true}}))->m_minDiskMb == 1);
}

TEST_CASE("Requirements come from their keys, and a preset wins over the keys it touches")
{
    const auto plain = Offer(Element({{"disk", 100}, {"ram", 4000}, {"cpu", 800.7}, {"ov", 61}, {"pv", "3.2"},
                                      {"win64", true}, {"v", 2.9}, {"exc", true}}));
    CHECK(plain->m_minDiskMb == 100);
    CHECK(plain->m_minRamMb == 4000);
    CHECK(plain->m_minCpuMhz == 800);
    CHECK(plain->m_minOsVersion == 61);
    CHECK(plain->m_minPlatformVersion == "3.2");
    CHECK(plain->m_requireWin64);
    CHECK(plain->m_vertical == 2);
    CHECK(plain->m_exclusive);

    const auto three = Offer(Element({{"x", 3}, {"disk", 100}}));
    CHECK(three->m_minDiskMb == 512);
    CHECK(three->m_minRamMb == 1536);
    CHECK(three->m_minCpuMhz == 1500);
    const auto one = Offer(Element({{"x", 1}, {"ram", 4000}}));
    CHECK(one->m_minDiskMb == 2500);
    CHECK(one->m_minRamMb == 250);
    const auto two = Offer(Element({{"x", 2}}));
    CHECK((two->m_requireChrome && two->m_checkIeVersion && !two->m_requireNoChrome));
    CHECK(Offer(Element({{"x", 10}}))->m_requireWin64);
    CHECK(Offer(Element({{"x", 13}}))->m_requireNoChrome);
    const auto seven = Offer(Element({{"x", 7}, {"disk", 100}}));
    CHECK(seven->m_minDiskMb == 100);
    CHECK_FALSE((seven->m_requireChrome || seven->m_requireNoChrome || seven->m_checkIeVersion ||
                 seven->m_requireWin64));
}

TEST_CASE("An installer's digest is kept as configured; one of another type is empty and matches nothing")
{
    CHECK(MakeOffer({{"sha256", "0A1b"}})->m_sha256 == std::optional<std::string>("0A1b"));
    CHECK(MakeOffer({{"sha256", 12}})->m_sha256 == std::optional<std::string>(""));
    CHECK_FALSE(MakeOffer()->m_sha256.has_value());
}

TEST_CASE("Placeholders are filled from the parameters; unknown ones stay; none loops")
{
    auto configuration = ConfigurationManager::Instance();
    const std::string savedCountry = configuration->m_country;
    configuration->m_country = "US";
    const auto offer = Offer(Element({{"u", "https://h/d?t={pxl}&c={cc}&a={aflt}&x={nope}"}, {"c", "{of}"}}));
    configuration->m_country = savedCountry;

    const std::string pxl = Base62Encode(configuration->UserId() + "|offer-1|" + configuration->SessionId());
    CHECK(offer->m_downloadUrl == "https://h/d?t=" + pxl + "&c=US&a=91088&x={nope}");
    CHECK(offer->m_c == "flow-1");
    CHECK(offer->m_adO == "offer-1");
    CHECK(offer->m_adF == "flow-1");
    CHECK(offer->m_eventTemplate.at("16") == "flow-1");

    // A value that holds its own placeholder is inserted once per occurrence and not searched again.
    CHECK(ExpandParameters("{a}{a}", {{"a", "x{a}y"}}) == "x{a}yx{a}y");

    // Values that name each other many times over stop at the longest command line, at once.
    std::string many;
    for (int index = 0; index < 400; ++index) {
        many += "{a}{b}{c}";
    }
    const std::string expanded = ExpandParameters(many, {{"a", many}, {"b", many}, {"c", many}});
    CHECK(expanded.size() <= kMaxExpandedLength);
    CHECK(expanded.size() > kMaxExpandedLength - many.size());
    CHECK(expanded.find("{a}") != std::string::npos);
}

TEST_CASE("The pn block adds its parameters and flow rules only for a pn offer")
{
    const json cfs{{"mo", 2}, {"saad", true}, {"ab", {"q1"}}, {"ma", 3}};
    SUBCASE("pn false: no pn parameter and default flow rules, even with cfs")
    {
        const auto offer = Offer(Element({{"pn", false}, {"cfs", cfs}, {"pnop", "op"}, {"sp", "s"}}));
        CHECK_FALSE(offer->m_pn.enabled);
        for (const char* name :
             {"pnrparam", "pnapiurl", "pnapikey", "pnop", "account", "installer", "pnsid", "pnstubparams"}) {
            CHECK(offer->m_params.count(name) == 0);
        }
        CHECK(offer->m_flow.mo == INT_MAX);
        CHECK(offer->m_flow.maxBefore == INT_MAX);
        CHECK(offer->m_flow.allowedBefore.empty());
        CHECK(offer->m_pn.stubParams.empty());
    }
    SUBCASE("pn true: settings, parameters for the later strings, and the flow rules")
    {
        const auto version = MachineFacts::WindowsVersion();
        REQUIRE(version);
        const std::string running =
            std::to_string(version->dwMajorVersion) + "." + std::to_string(version->dwMinorVersion);
        const auto offer = Offer(Element({{"pn", true},
                                          {"pnau", "https://api"},
                                          {"pnop", "install"},
                                          {"pnr", "SOFTWARE\\Vendor\\{of}"},
                                          {"pnrp", {{"default", "other"}, {running, "this one"}, {"0.1", "never"}}},
                                          {"sp", "/r={pnrparam} /op={pnop}"},
                                          {"p", "/S {pnop}"},
                                          {"cfs", cfs}}));
        CHECK(offer->m_pn.enabled);
        CHECK(offer->m_pn.apiUrl == "https://api");
        CHECK(offer->m_pn.historyPath == "SOFTWARE\\Vendor\\flow-1");
        CHECK(offer->m_params.at("pnrparam") == "this one");
        // "sp" is expanded before the other pn parameters exist; "p" comes after them.
        CHECK(offer->m_pn.stubParams == "/r=this one /op={pnop}");
        CHECK(offer->m_params.at("pnstubparams") == "/r=this one /op={pnop}");
        CHECK(offer->m_installArgs == "/S install");
        CHECK_FALSE(offer->m_params.at("pnsid").empty());
        CHECK(offer->m_flow.mo == 2);
        CHECK(offer->m_flow.saad);
        CHECK(offer->m_flow.maxAfter == 3);
        CHECK(offer->m_flow.allowedBefore == std::vector<std::string>{"q1"});
        CHECK(offer->m_flow.maxBefore == INT_MAX);

        CHECK(Offer(Element({{"pn", true}, {"pnrp", {{"default", "d"}}}}))->m_params.at("pnrparam") == "d");
        CHECK(Offer(Element({{"pn", true}, {"pnrp", {{"0.1", "x"}}}}))->m_params.at("pnrparam").empty());
        CHECK(Offer(Element({{"pn", true}, {"pnrp", "flat"}}))->m_params.at("pnrparam").empty());
    }
}

TEST_CASE("The lists: paths with their variables expanded, registry names widened, uninstall records")
{
    auto configuration = ConfigurationManager::Instance();
    const CString appData = configuration->PathVariables().at(L"commonappdata");
    REQUIRE_FALSE(appData.IsEmpty());
    const auto offer = Offer(Element({{"fe", {"{commonappdata}\\Vendor\\app.exe", "C:\\plain\\file.txt"}},
                                      {"ife", {"{nope}\\x"}},
                                      {"a", {"Chrome.exe"}},
                                      {"r", {"hklm\\software\\Caf\xC3\xA9"}},
                                      {"iapp", {"chrome.exe"}},
                                      {"cmdu",
                                       {{{"utr", "HKEY_CURRENT_USER"},
                                         {"utk", "Software\\V"},
                                         {"utvn", "Removed"},
                                         {"utvt", "REG_QWORD"},
                                         {"umd", 30},
                                         {"utms", true}}}}}));
    CHECK(offer->m_blockingFiles == std::vector<CString>{appData + L"\\Vendor\\app.exe", L"C:\\plain\\file.txt"});
    CHECK(offer->m_requiredFiles == std::vector<CString>{L"{nope}\\x"});
    CHECK(offer->m_blockingProcesses == std::vector<std::string>{"Chrome.exe"});
    CHECK(offer->m_blockingRegistryKeys == std::vector<std::wstring>{L"hklm\\software\\Caf\x00E9"});
    CHECK(offer->m_requiredApps == std::vector<std::wstring>{L"chrome.exe"});
    REQUIRE(offer->m_uninstallTimeChecks.size() == 1);
    const UninstallTimeCheck& check = offer->m_uninstallTimeChecks[0];
    CHECK(check.root == L"HKEY_CURRENT_USER");
    CHECK(check.key == L"Software\\V");
    CHECK(check.valueName == L"Removed");
    CHECK(check.valueType == L"REG_QWORD");
    CHECK(check.minDays == 30);
    CHECK(check.inMilliseconds);
}

TEST_CASE("The offer picture comes from the image base, named as configured; the product has none")
{
    auto configuration = ConfigurationManager::Instance();
    const CString savedBase = configuration->m_imageBaseUrl;
    configuration->m_imageBaseUrl = L"https://images.example/f/";
    CHECK(Offer(Element())->ImageUrl() == L"https://images.example/f/offer-1.png");
    CHECK(Offer(Element({{"i", "Ωmega pic.png"}}))->ImageUrl() == L"https://images.example/f/\u03a9mega pic.png");
    const auto product = std::make_shared<Package>(ApiManager::Instance()->MakeBaseRequest(), true, L"", L"",
                                                   L"Bramble Web", L"", 0);
    CHECK(product->ImageUrl().IsEmpty());
    configuration->m_imageBaseUrl = savedBase;
}
