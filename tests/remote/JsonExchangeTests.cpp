#include <doctest/doctest.h>

#include "LoopbackPort.h"
#include "SetupLogForTests.h"
#include "StandInService.h"
#include "remote/ApiManager.h"
#include "remote/TesseraException.h"

#include <nlohmann/json.hpp>

#include <string>

using nlohmann::json;

namespace {

CString ServiceUrl(const StandInService& service, const wchar_t* path)
{
    return CString(service.BaseUrl()) + path;
}

}  // namespace

TEST_CASE("PostJson posts to the host and port the URL names and returns status and body")
{
    StandInService service;
    service.LoadScenario(json{{"extends", "empty"},
                              {"faults", {{"/o", json::array({{{"status", 503}, {"body", "{\"retry\":true}"}}})}}}});
    auto api = ApiManager::Instance();

    std::string response = "kept:";
    DWORD status = 0;
    CHECK(api->PostJson(ServiceUrl(service, L"/o?attempt=1"), "{\"a\":\"b\"}", {{L"X-Tessera-Test", L"one"}},
                        response, status));
    CHECK(status == 503);
    CHECK(response == "kept:{\"retry\":true}");

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
        response.clear();
        CHECK(api->PostJson(ServiceUrl(service, L"/zbd"), std::string("{}\0tail", 7), {}, response, status));
        CHECK(service.Requests().at(0).at("body_size") == 2);
    }
    SUBCASE("every exchange is TLS, also for an http URL")
    {
        service.Reset();
        response.clear();
        CString url;
        url.Format(L"http://localhost:%u/o", static_cast<unsigned>(service.Port()));
        CHECK(api->PostJson(url, "{}", {}, response, status));
        CHECK(service.Requests().size() == 1);
    }
}

TEST_CASE("PostJson throws TesseraException when no exchange takes place")
{
    auto api = ApiManager::Instance();
    std::string response;
    DWORD status = 0;
    SUBCASE("nothing listens on the port: the log keeps the step and WinHTTP's error")
    {
        ScopedSetupLog log;
        CString url;
        url.Format(L"https://localhost:%u/zbd", static_cast<unsigned>(UnusedLoopbackPort()));
        CHECK_THROWS_AS(api->PostJson(url, "{}", {}, response, status), TesseraException);
        CHECK(log.Contains(": sending failed, error 12029"));
    }
    SUBCASE("the URL cannot be split")
    {
        CHECK_THROWS_AS(api->PostJson(L"localhost/zbd", "{}", {}, response, status), TesseraException);
        CHECK_THROWS_AS(api->PostJson(L"", "{}", {}, response, status), TesseraException);
    }
    CHECK(response.empty());
}
