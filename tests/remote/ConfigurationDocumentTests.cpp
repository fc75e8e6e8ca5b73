#include <doctest/doctest.h>

#include "StandInService.h"
#include "framework/TextConversion.h"
#include "profile/ConfigurationManager.h"
#include "remote/ApiManager.h"
#include "remote/ConfigurationDocument.h"
#include "remote/JsonExchange.h"
#include "remote/TesseraException.h"

#include <nlohmann/json.hpp>

#include <string>

using nlohmann::json;

namespace {

// A configuration of the given wizard type whatever this build's type, without the build's temporary folder.
struct Configuration {
    explicit Configuration(int wizardType)
    {
        RemoveDirectoryW(manager.m_tempFolder);
        manager.m_wizardType = wizardType;
    }
    ConfigurationManager manager;
};

ConfigurationDocument::Outcome ApplyText(const std::string& body, ConfigurationManager& configuration)
{
    return ConfigurationDocument::Apply(ConfigurationDocument::Parse(body), configuration);
}

template <class Exception>
std::string FailureOf(const json& document, ConfigurationManager& configuration)
{
    try {
        ConfigurationDocument::Apply(document, configuration);
    } catch (const Exception& failure) {
        return failure.what();
    }
    return "no failure";
}

const json kProduct{{"ct", "Bramble"}, {"cu", "https://maker.example/bramble.exe"}};

}  // namespace

TEST_CASE("A DLM document stores the product fields and their defaults")
{
    Configuration dlm(WIZARD_DLM);
    const json document{{"l", "DE"},
                        {"i",
                         {{"ct", "Bramble"},
                          {"cu", "https://maker.example/bramble.exe"},
                          {"cl", "https://cdn.example/logo.png"},
                          {"cp", "https://maker.example/privacy"},
                          {"ctu", "https://maker.example/terms"},
                          {"ch", "7"},
                          {"cfl", "flow-2"},
                          {"cb", "b\xC3\xBCndel"}}},
                        {"f", {{"a", "pub-9"}, {"m", 4}}},
                        {"o", json::array()}};
    const auto outcome = ConfigurationDocument::Apply(document, dlm.manager);
    CHECK_FALSE(outcome.incomplete);
    CHECK(outcome.readOffers);
    CHECK(dlm.manager.m_country == "DE");
    CHECK(dlm.manager.m_productTitle == L"Bramble");
    CHECK(dlm.manager.m_productUrl == L"https://maker.example/bramble.exe");
    CHECK(dlm.manager.m_logoUrl == L"https://cdn.example/logo.png");
    CHECK(dlm.manager.m_productFileName == L"Bramble.exe");
    CHECK(dlm.manager.m_privacyUrl == L"https://maker.example/privacy");
    CHECK(dlm.manager.m_termsUrl == L"https://maker.example/terms");
    CHECK(dlm.manager.m_ch == L"7");
    CHECK(dlm.manager.m_cfl == L"flow-2");
    CHECK(dlm.manager.m_ispb == "b\xC3\xBCndel");
    CHECK(dlm.manager.m_pubId == "pub-9");
    CHECK(dlm.manager.m_maxOffers == 4);

    SUBCASE("optional keys that are missing empty what an earlier document stored; cf is kept when given")
    {
        const auto second = ConfigurationDocument::Apply(
            {{"i", {{"ct", "Other"}, {"cu", "https://maker.example/o.exe"}, {"cf", "o-setup.exe"}}}}, dlm.manager);
        CHECK_FALSE(second.readOffers);
        CHECK(dlm.manager.m_productFileName == L"o-setup.exe");
        CHECK(dlm.manager.m_logoUrl.IsEmpty());
        CHECK(dlm.manager.m_privacyUrl.IsEmpty());
        CHECK(dlm.manager.m_ch.IsEmpty());
        CHECK(dlm.manager.m_ispb.empty());
        CHECK(dlm.manager.m_maxOffers == 4);
        CHECK(dlm.manager.m_country == "DE");
    }
}

TEST_CASE("A DLM document without a product title or URL is incomplete and nothing more is read")
{
    for (const char* missing : {"ct", "cu"}) {
        CAPTURE(missing);
        Configuration dlm(WIZARD_DLM);
        dlm.manager.m_maxOffers = 9;
        json product{{"ct", "Bramble"}, {"cu", "https://maker.example/b.exe"}, {"cl", "https://cdn.example/l.png"}};
        product[missing] = "";
        const json document{
            {"l", "US"}, {"i", product}, {"f", {{"a", "pub"}, {"m", 3}}}, {"o", json::array({json::object()})}};

        const auto outcome = ConfigurationDocument::Apply(document, dlm.manager);
        CHECK(outcome.incomplete);
        CHECK_FALSE(outcome.readOffers);
        CHECK(dlm.manager.m_country == "US");
        CHECK(dlm.manager.m_logoUrl.IsEmpty());
        CHECK(dlm.manager.m_pubId.empty());
        CHECK(dlm.manager.m_maxOffers == 9);
    }
}

TEST_CASE("Whitespace is stripped from the whole body before parsing, also inside strings")
{
    Configuration dlm(WIZARD_DLM);
    SUBCASE("a two-word title loses its space, and the default file name follows it")
    {
        ApplyText("{\n  \"i\": {\r\n\t\"ct\": \"Bramble Web\",\n\t\"cu\": \"https://maker.example/b w.exe\"\v\f}\n}\n",
                  dlm.manager);
        CHECK(dlm.manager.m_productTitle == L"BrambleWeb");
        CHECK(dlm.manager.m_productFileName == L"BrambleWeb.exe");
        CHECK(dlm.manager.m_productUrl == L"https://maker.example/bw.exe");
    }
    SUBCASE("a space written as an escape sequence survives")
    {
        ApplyText(R"({"i":{"ct":"Bramble\u0020Web","cu":"https://maker.example/b.exe"}})", dlm.manager);
        CHECK(dlm.manager.m_productTitle == L"Bramble Web");
        CHECK(dlm.manager.m_productFileName == L"Bramble Web.exe");
    }
    SUBCASE("an empty or blank body is no document; text that is not JSON is a parse error")
    {
        CHECK_THROWS_AS(ConfigurationDocument::Parse(""), TesseraException);
        CHECK_THROWS_AS(ConfigurationDocument::Parse(" \r\n\t"), TesseraException);
        CHECK_THROWS_AS(ConfigurationDocument::Parse("<html>busy</html>"), json::parse_error);
        CHECK_THROWS_AS(ConfigurationDocument::Parse("{\"l\":\"US\"}/*note*/"), json::parse_error);
        CHECK_THROWS_AS(ConfigurationDocument::Parse("{\"l\":\"US\"}{}"), json::parse_error);
    }
}

TEST_CASE("The channel 00xA, exactly, switches the offers off")
{
    Configuration dlm(WIZARD_DLM);
    dlm.manager.m_maxOffers = 9;
    json document{{"i", kProduct}, {"f", {{"m", 3}}}, {"o", json::array({json::object()})}};

    document["i"]["ch"] = "00xA";
    auto outcome = ConfigurationDocument::Apply(document, dlm.manager);
    CHECK_FALSE(outcome.readOffers);
    CHECK(dlm.manager.m_maxOffers == 9);

    for (const char* channel : {"00XA", "00xa", "00xA1", "0xA"}) {
        CAPTURE(channel);
        document["i"]["ch"] = channel;
        dlm.manager.m_maxOffers = 9;
        outcome = ConfigurationDocument::Apply(document, dlm.manager);
        CHECK(outcome.readOffers);
        CHECK(dlm.manager.m_maxOffers == 3);
    }
}

TEST_CASE("An ISV document leaves the product fields alone and reads f and o")
{
    Configuration isv(WIZARD_ISV);
    const CString buildTitle = isv.manager.m_productTitle;
    const CString buildUrl = isv.manager.m_productUrl;

    SUBCASE("i is never read, whatever it holds")
    {
        const auto outcome = ConfigurationDocument::Apply(
            {{"l", "BR"}, {"i", {{"ct", "Other"}, {"cu", "https://x.example/"}, {"ch", "00xA"}}}, {"f", {{"m", 2.9}}},
             {"o", json::array()}},
            isv.manager);
        CHECK(outcome.readOffers);
        CHECK(isv.manager.m_maxOffers == 2);
        CHECK(isv.manager.m_productTitle == buildTitle);
        CHECK(isv.manager.m_productUrl == buildUrl);
        CHECK(isv.manager.m_ch.IsEmpty());
        CHECK(isv.manager.m_country == "BR");
        CHECK_NOTHROW(ConfigurationDocument::Apply({{"i", 5}}, isv.manager));
        CHECK_FALSE(isv.manager.m_productSha256.has_value());
    }
    SUBCASE("but for the installer's digest, kept as given; one of another type is empty and matches nothing")
    {
        ConfigurationDocument::Apply({{"i", {{"ct", "Other"}, {"sha256", "AB12"}}}}, isv.manager);
        CHECK(isv.manager.m_productSha256 == std::optional<std::string>("AB12"));
        CHECK(isv.manager.m_productTitle == buildTitle);
        ConfigurationDocument::Apply({{"i", {{"sha256", 12}}}}, isv.manager);
        CHECK(isv.manager.m_productSha256 == std::optional<std::string>(""));
        ConfigurationDocument::Apply({{"i", json::object()}}, isv.manager);
        CHECK_FALSE(isv.manager.m_productSha256.has_value());
    }
    SUBCASE("o without f fails with the library's out_of_range error for f")
    {
        const json document{{"l", "US"}, {"o", json::array()}};
        CHECK(FailureOf<json::out_of_range>(document, isv.manager) ==
              "[json.exception.out_of_range.403] key 'f' not found");
        CHECK(isv.manager.m_country == "US");
    }
    SUBCASE("f.a alone sets the publisher id and needs no f.m")
    {
        const auto outcome = ConfigurationDocument::Apply({{"f", {{"a", "pub-1"}}}}, isv.manager);
        CHECK_FALSE(outcome.readOffers);
        CHECK(isv.manager.m_pubId == "pub-1");
    }
    SUBCASE("a boolean f.m counts as 0 or 1")
    {
        ConfigurationDocument::Apply({{"f", {{"m", true}}}, {"o", json::array()}}, isv.manager);
        CHECK(isv.manager.m_maxOffers == 1);
    }
}

TEST_CASE("Missing and wrongly typed keys fail with the JSON library's texts")
{
    Configuration dlm(WIZARD_DLM);
    CHECK(FailureOf<json::out_of_range>({{"l", "US"}}, dlm.manager) ==
          "[json.exception.out_of_range.403] key 'i' not found");
    CHECK(FailureOf<json::out_of_range>({{"i", {{"ct", "B"}}}}, dlm.manager) ==
          "[json.exception.out_of_range.403] key 'cu' not found");
    CHECK(FailureOf<json::type_error>({{"i", json::array()}}, dlm.manager) ==
          "[json.exception.type_error.304] cannot use at() with array");
    CHECK(FailureOf<json::type_error>({{"i", {{"ct", 5}, {"cu", "u"}}}}, dlm.manager) ==
          "[json.exception.type_error.302] type must be string, but is number");
    CHECK(FailureOf<json::type_error>({{"l", nullptr}}, dlm.manager) ==
          "[json.exception.type_error.302] type must be string, but is null");
    CHECK(FailureOf<json::type_error>({{"i", kProduct}, {"f", {{"m", "3"}}}, {"o", json::array()}}, dlm.manager) ==
          "[json.exception.type_error.302] type must be number, but is string");
    CHECK(FailureOf<json::type_error>({{"i", kProduct}, {"f", "x"}, {"o", json::array()}}, dlm.manager) ==
          "[json.exception.type_error.304] cannot use at() with string");
}

TEST_CASE("A configuration fetched from the service applies as the operator wrote it")
{
    StandInService service;
    Configuration dlm(WIZARD_DLM);
    const json config{{"l", "CA"},
                      {"i", {{"ct", "Bramble Web"}, {"cu", "@BASE@/endpoint/bramweb/os/riserollout/track/beta"}}},
                      {"f", {{"a", "pub-7"}, {"m", 2}}},
                      {"o", json::array()}};
    const json request{{"a", "Kelvane"}, {"i", "Bramble_Web"}, {"l", "en"},  {"o", "6.1.7601"},
                       {"plv", "1.0.0.1"}, {"prv", "0.1"},       {"s", "Bramble_Web_CPP"}, {"u", ""}};
    const CString url = CString(service.BaseUrl()) + L"/o";

    for (const bool escaped : {false, true}) {
        CAPTURE(escaped);
        service.LoadScenario(json{{"config", config}, {"escape_spaces", escaped}});
        const auto answer = JsonExchange::Post(url, request.dump(), {}, ApiManager::kConfigurationLimits);
        REQUIRE(answer);
        REQUIRE(answer->status == 200);
        const std::string& body = answer->body;
        REQUIRE(service.Requests().at(0).at("check").at("valid") == true);

        const auto outcome = ApplyText(body, dlm.manager);
        CHECK(outcome.readOffers);
        CHECK(dlm.manager.m_productTitle == (escaped ? L"Bramble Web" : L"BrambleWeb"));
        CHECK(dlm.manager.m_productFileName == (escaped ? L"Bramble Web.exe" : L"BrambleWeb.exe"));
        CHECK(dlm.manager.m_productUrl ==
              CString(service.BaseUrl()) + L"/endpoint/bramweb/os/riserollout/track/beta");
        CHECK(dlm.manager.m_country == "CA");
        CHECK(dlm.manager.m_pubId == "pub-7");
        CHECK(dlm.manager.m_maxOffers == 2);
    }
}
