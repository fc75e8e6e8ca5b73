#include <doctest/doctest.h>

#include "RealWaits.h"
#include "StandInService.h"
#include "WineEnvironment.h"
#include "framework/Cancellation.h"
#include "profile/ConfigurationManager.h"
#include "remote/ApiManager.h"
#include "remote/ConfigurationRequest.h"
#include "remote/TesseraException.h"

#include <nlohmann/json.hpp>

using nlohmann::json;

namespace {

// Points the process's configuration at the service for one case and restores what it changed.
struct RequestFixture {
    RequestFixture() : configuration(ConfigurationManager::Instance())
    {
        savedUrl = configuration->m_configUrl;
        savedLanguage = configuration->m_languageCode;
        configuration->m_configUrl = CString(service.BaseUrl() + L"/o");
    }
    ~RequestFixture()
    {
        configuration->m_configUrl = savedUrl;
        configuration->m_languageCode = savedLanguage;
    }

    // The request document the service received last.
    json SentDocument() const { return service.Requests().back().at("check").at("document"); }

    StandInService service;
    std::shared_ptr<ConfigurationManager> configuration;
    CString savedUrl;
    CString savedLanguage;
};

}  // namespace

TEST_CASE("The file-name code is the seven characters with a hyphen after the path's last underscore")
{
    CHECK(ConfigurationRequest::FileNameCode(L"C:\\Downloads\\BrambleWebSetup_ab-1234.exe") == "ab-1234");
    CHECK(ConfigurationRequest::FileNameCode(L"C:\\Downloads\\BrambleWebSetup_ab-123456.exe") == "");
    CHECK(ConfigurationRequest::FileNameCode(L"C:\\Downloads\\BrambleWebSetup_abc1234.exe") == "");
    CHECK(ConfigurationRequest::FileNameCode(L"C:\\Downloads\\BrambleWebSetup.exe") == "");
    // An underscore only in a folder: the text after it runs to the file name's dot.
    CHECK(ConfigurationRequest::FileNameCode(L"C:\\my_files\\setup.exe") == "");
    CHECK(ConfigurationRequest::FileNameCode(L"C:\\x_ab-\\set.exe") == "ab-\\set");
}

TEST_CASE_FIXTURE(RequestFixture, "The request document reaches the service valid, with the language's first two letters")
{
    service.LoadScenario(json{{"extends", "config-retry"}, {"faults", {{"/o", json::array()}}}});
    for (const auto& [code, sent] : {std::pair{L"pt_BR", "pt"}, {L"", ""}, {L"EN_us", "en"}}) {
        CAPTURE(sent);
        configuration->m_languageCode = code;
        const auto document = ApiManager::Instance()->RequestConfiguration(Cancellation::Never());
        REQUIRE(document);
        CHECK(document->at("o").size() == 1);
        const json check = service.Requests().back().at("check");
        CHECK(check.at("valid") == true);
        CHECK(check.at("document").at("l") == sent);
        CHECK(check.at("document").at("prv") == "0.1");
    }
    // The document goes out compact with its keys in byte order, as the service checks it.
    const std::string serialised = ConfigurationRequest::Serialise(
        ConfigurationRequest::Build(*configuration, L"C:\\setup_ab-1234.exe"));
    CHECK(serialised.rfind("{\"a\":", 0) == 0);
    CHECK(serialised.find("\"u\":\"ab-1234\"}") != std::string::npos);
    CHECK(serialised.find(' ') == std::string::npos);
}

TEST_CASE_FIXTURE(RequestFixture, "A body laid out over lines parses like the compact one; no endpoint or no body throws")
{
    const json config{{"l", "US"}, {"f", {{"a", "pub-1"}, {"m", 3}}}, {"o", json::array({json{{"ad", {{"o", "x"}}}}})}};
    service.LoadScenario(json{{"config", config}});
    const json compact = *ApiManager::Instance()->RequestConfiguration(Cancellation::Never());
    service.LoadScenario(json{{"config", {{"raw", config.dump(4)}}}});
    const json indented = *ApiManager::Instance()->RequestConfiguration(Cancellation::Never());
    CHECK(indented == compact);
    CHECK(compact == config);

    service.LoadScenario(json{{"config", {{"raw", " \r\n\t "}}}});
    CHECK_THROWS_AS(ApiManager::Instance()->RequestConfiguration(Cancellation::Never()), TesseraException);
    service.LoadScenario(json{{"config", {{"raw", "{\"l\": \"US\","}}}});
    CHECK_THROWS_AS(ApiManager::Instance()->RequestConfiguration(Cancellation::Never()), json::parse_error);
    // More than 4 MiB is no configuration of ours: it is not read.
    service.LoadScenario(json{{"config", {{"raw", "{\"l\":\"US\",\"pad\":\"" + std::string(5 << 20, 'x') + "\"}"}}}});
    CHECK_THROWS_AS(ApiManager::Instance()->RequestConfiguration(Cancellation::Never()), TesseraException);
    configuration->m_configUrl = CString();
    CHECK_THROWS_AS(ApiManager::Instance()->RequestConfiguration(Cancellation::Never()), TesseraException);
}

TEST_CASE_FIXTURE(RequestFixture, "A busy endpoint is asked three times, 5 s apart" *
                  doctest::skip(WineEnvironment::PrefixArch() == "win32"))
{
    const RealWaits realWaits;
    service.LoadScenario("config-retry");
    const auto document = ApiManager::Instance()->RequestConfiguration(Cancellation::Never());
    REQUIRE(document);
    const json requests = service.Requests();
    REQUIRE(requests.size() == 3);
    for (std::size_t next = 1; next < requests.size(); ++next) {
        const double gap = requests[next]["time"]["monotonic"].get<double>() -
                           requests[next - 1]["time"]["monotonic"].get<double>();
        CAPTURE(next);
        CHECK(gap >= 4.9);
        CHECK(gap < 7.0);
    }
}
