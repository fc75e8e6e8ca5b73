#include <doctest/doctest.h>

#include "LoopbackPort.h"
#include "SetupLogForTests.h"
#include "StandInService.h"
#include "remote/JsonExchange.h"
#include "remote/Package.h"

#include <nlohmann/json.hpp>

#include <chrono>
#include <string>

using nlohmann::json;

namespace {

CString ServiceUrl(const StandInService& service, const wchar_t* path)
{
    return CString(service.BaseUrl()) + path;
}

std::optional<JsonExchange::Answer> Post(const CString& url, const std::string& body, const HttpHeaders& headers = {})
{
    return JsonExchange::Post(url, body, headers, Package::kTelemetryLimits);
}

}  // namespace

TEST_CASE("A JSON exchange posts to the host and port the URL names and returns status and body")
{
    StandInService service;
    service.LoadScenario(json{{"extends", "empty"},
                              {"faults", {{"/o", json::array({{{"status", 503}, {"body", "{\"retry\":true}"}}})}}}});

    const auto answer = Post(ServiceUrl(service, L"/o?attempt=1"), "{\"a\":\"b\"}", {{L"X-Tessera-Test", L"one"}});
    REQUIRE(answer);
    CHECK(answer->status == 503);
    CHECK(answer->body == "{\"retry\":true}");

    const json requests = service.Requests();
    REQUIRE(requests.size() == 1);
    const json& request = requests[0];
    CHECK(request.at("method") == "POST");
    CHECK(request.at("path") == "/o");
    CHECK(request.at("body_size") == 9);
    const json& headers = request.at("headers");
    CHECK(headers.at("Content-Type") == "application/json");
    CHECK(headers.at("X-Tessera-Test") == "one");

    SUBCASE("the body ends at its first zero byte")
    {
        service.Reset();
        CHECK(Post(ServiceUrl(service, L"/zbd"), std::string("{}\0tail", 7)));
        CHECK(service.Requests().at(0).at("body_size") == 2);
    }
    SUBCASE("every exchange is TLS, also for an http URL")
    {
        service.Reset();
        CString url;
        url.Format(L"http://localhost:%u/o", static_cast<unsigned>(service.Port()));
        CHECK(Post(url, "{}"));
        CHECK(service.Requests().size() == 1);
    }
}

TEST_CASE("A JSON exchange that does not take place gives no answer, with the step in the log")
{
    ScopedSetupLog log;
    SUBCASE("nothing listens on the port")
    {
        CString url;
        url.Format(L"https://localhost:%u/zbd", static_cast<unsigned>(UnusedLoopbackPort()));
        CHECK_FALSE(Post(url, "{}"));
        CHECK(log.Contains("Failed to send request: 12029"));
    }
    SUBCASE("the URL cannot be split")
    {
        CHECK_FALSE(Post(L"localhost/zbd", "{}"));
        CHECK_FALSE(Post(L"", "{}"));
        CHECK(log.Contains("Failed to parse URL"));
    }
    SUBCASE("a host that never answers: the receive limit ends the exchange")
    {
        StandInService service;
        service.LoadScenario(json{{"extends", "empty"}, {"faults", {{"/zbd", {{{"delay", 60}}}}}}});
        const auto started = std::chrono::steady_clock::now();
        CHECK_FALSE(Post(ServiceUrl(service, L"/zbd"), "{}"));
        CHECK(std::chrono::steady_clock::now() - started < Package::kTelemetryLimits.Total());
        INFO(log.Messages().back());
        CHECK(log.Contains("Failed to receive response"));
    }
}
