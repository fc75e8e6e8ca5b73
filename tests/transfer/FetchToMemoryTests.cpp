#include <doctest/doctest.h>

#include "DownloadTestSupport.h"
#include "SetupLogForTests.h"

#include <thread>

namespace {

struct Fetched {
    std::unique_ptr<std::vector<char>> bytes;
    std::thread::id thread;
};

// Runs FetchToMemoryAsync and waits for its callback.
Fetched FetchAsync(DownloadManager& manager, const CString& url, const std::function<void()>& meanwhile = {})
{
    std::promise<Fetched> called;
    auto result = called.get_future();
    manager.FetchToMemoryAsync(url, [&called](std::unique_ptr<std::vector<char>> bytes) {
        called.set_value({std::move(bytes), std::this_thread::get_id()});
    });
    if (meanwhile) {
        meanwhile();
    }
    REQUIRE(result.wait_for(std::chrono::seconds(30)) == std::future_status::ready);
    return result.get();
}

}  // namespace

TEST_CASE("A memory fetch returns the body, or an empty vector after two failed attempts")
{
    StandInService service;
    DownloadManager manager;
    const auto expected = ReadFileBytes(RepositoryFile("service/assets/f/offer-2.png"));

    SUBCASE("through redirects")
    {
        service.LoadScenario(nlohmann::json{{"extends", "downloads"}, {"faults", {{"/f/offer-2.png", {{{"redirect", 3}}}}}}});
        CHECK(*manager.FetchToMemory(UrlOf(service, "/f/offer-2.png")) == expected);
    }
    SUBCASE("a body cut short is retried at once")
    {
        service.LoadScenario(nlohmann::json{{"extends", "downloads"}, {"faults", {{"/f/offer-2.png", {{{"truncate", 100}}}}}}});
        CHECK(*manager.FetchToMemory(UrlOf(service, "/f/offer-2.png")) == expected);
        CHECK(service.Requests().size() == 2);
    }
    SUBCASE("two failures")
    {
        service.LoadScenario("downloads");
        const auto bytes = manager.FetchToMemory(UrlOf(service, "/f/missing.png"));
        REQUIRE(bytes != nullptr);
        CHECK(bytes->empty());
        CHECK(service.Requests().size() == 2);
        CHECK(manager.FetchToMemory(UrlOf(service, "/f/redirect-6.bin"))->empty());
    }
}

TEST_CASE("An asynchronous fetch calls back on its own thread, with an empty pointer once cancelled")
{
    StandInService service;
    service.LoadScenario("downloads");
    DownloadManager manager;
    const CString url = UrlOf(service, "/f/offer-3.png");

    SUBCASE("the bytes")
    {
        const Fetched fetched = FetchAsync(manager, url);
        REQUIRE(fetched.bytes != nullptr);
        CHECK(*fetched.bytes == ReadFileBytes(RepositoryFile("service/assets/f/offer-3.png")));
        CHECK(fetched.thread != std::this_thread::get_id());
    }
    SUBCASE("cancelled before")
    {
        manager.m_cancelled = true;
        CHECK(FetchAsync(manager, url).bytes == nullptr);
    }
    SUBCASE("cancelled while the body arrives")
    {
        service.LoadScenario(nlohmann::json{
            {"extends", "downloads"}, {"faults", {{"/f/offer-3.png", {{{"slow", {{"chunk", 1024}, {"interval", 0.05}}}}}}}}});
        CHECK(FetchAsync(manager, url, [&manager] {
                  Sleep(300);
                  manager.m_cancelled = true;
              }).bytes == nullptr);
    }
}

TEST_CASE("An exception out of a fetch's callback stops at the thread's edge and is written to the log")
{
    StandInService service;
    service.LoadScenario("downloads");
    ScopedSetupLog log;
    DownloadManager manager;
    manager.FetchToMemoryAsync(UrlOf(service, "/f/offer-2.png?user=secret"), [](std::unique_ptr<std::vector<char>>) {
        throw std::runtime_error("the callback broke");
    });
    REQUIRE(PumpMessagesUntil([&log] { return log.Contains("the callback broke"); }, std::chrono::seconds(30)));
    CHECK(log.Contains("/f/offer-2.png ended with an exception: the callback broke"));
    CHECK_FALSE(log.Contains("secret"));
    // The process goes on: another fetch still works.
    CHECK_FALSE(FetchAsync(manager, UrlOf(service, "/f/offer-2.png")).bytes->empty());
}
