#include <doctest/doctest.h>

#include "DownloadTestSupport.h"

#include <thread>

TEST_CASE("A memory fetch returns the body, or nothing after two failed attempts")
{
    StandInService service;
    DownloadManager manager;
    const auto expected = ReadFileBytes(RepositoryFile("service/assets/f/offer-2.png"));

    SUBCASE("through redirects")
    {
        service.LoadScenario(nlohmann::json{{"extends", "downloads"}, {"faults", {{"/f/offer-2.png", {{{"redirect", 3}}}}}}});
        CHECK(manager.FetchToMemory(UrlOf(service, "/f/offer-2.png")) == expected);
    }
    SUBCASE("a body cut short is retried at once")
    {
        service.LoadScenario(nlohmann::json{{"extends", "downloads"}, {"faults", {{"/f/offer-2.png", {{{"truncate", 100}}}}}}});
        CHECK(manager.FetchToMemory(UrlOf(service, "/f/offer-2.png")) == expected);
        CHECK(service.Requests().size() == 2);
    }
    SUBCASE("two failures")
    {
        service.LoadScenario("downloads");
        CHECK(manager.FetchToMemory(UrlOf(service, "/f/missing.png")).empty());
        CHECK(service.Requests().size() == 2);
        CHECK(manager.FetchToMemory(UrlOf(service, "/f/redirect-6.bin")).empty());
    }
}

TEST_CASE("A cancelled run fetches nothing and ends a fetch under way")
{
    StandInService service;
    DownloadManager manager;
    Cancellation run;
    const CString url = UrlOf(service, "/f/offer-3.png");

    SUBCASE("cancelled before: no request at all")
    {
        service.LoadScenario("downloads");
        run.Cancel();
        CHECK(manager.FetchToMemory(url, run).empty());
        CHECK(service.Requests().empty());
    }
    SUBCASE("cancelled while the body arrives: no second attempt")
    {
        service.LoadScenario(nlohmann::json{
            {"extends", "downloads"}, {"faults", {{"/f/offer-3.png", {{{"slow", {{"chunk", 1024}, {"interval", 0.05}}}}}}}}});
        std::vector<char> bytes{'x'};
        std::thread fetch([&] { bytes = manager.FetchToMemory(url, run); });
        REQUIRE(PumpMessagesUntil([&service] { return !service.Requests().empty(); }, std::chrono::seconds(20)));
        run.Cancel();
        fetch.join();
        CHECK(bytes.empty());
        CHECK(service.Requests().size() == 1);
    }
}
