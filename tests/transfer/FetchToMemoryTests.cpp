#include <doctest/doctest.h>

#include "DownloadTestSupport.h"
#include "StandInService.h"
#include "framework/TextConversion.h"
#include "transfer/DownloadManager.h"

#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

namespace {

// What a callback of FetchToMemoryAsync received, and on which thread.
class FetchOutcome {
public:
    DownloadManager::FetchCallback Callback()
    {
        return [this](std::unique_ptr<std::vector<char>> bytes) {
            std::lock_guard lock(m_mutex);
            m_bytes = std::move(bytes);
            m_thread = std::this_thread::get_id();
            m_done = true;
            m_changed.notify_all();
        };
    }

    bool Wait()
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(30), [this] { return m_done; });
    }

    std::unique_ptr<std::vector<char>> m_bytes;
    std::thread::id m_thread;

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_done = false;
};

}  // namespace

TEST_CASE("A memory fetch returns the body, or an empty vector after two failed attempts")
{
    StandInService service;
    service.LoadScenario("downloads");
    DownloadManager manager;
    const std::vector<char> expected = ReadFileBytes(RepositoryFile("service/assets/f/offer-2.png"));

    SUBCASE("the body, through redirects")
    {
        service.LoadScenario(nlohmann::json{{"extends", "downloads"},
                                            {"faults", {{"/f/offer-2.png", {{{"redirect", 3}}}}}}});
        const auto bytes = manager.FetchToMemory(CString(service.BaseUrl()) + L"/f/offer-2.png");
        REQUIRE(bytes != nullptr);
        CHECK(*bytes == expected);
    }
    SUBCASE("a first failure is retried at once")
    {
        service.LoadScenario(nlohmann::json{{"extends", "downloads"},
                                            {"faults", {{"/f/offer-2.png", {{{"truncate", 100}}}}}}});
        const auto bytes = manager.FetchToMemory(CString(service.BaseUrl()) + L"/f/offer-2.png");
        CHECK(*bytes == expected);
        CHECK(service.Requests().size() == 2);
    }
    SUBCASE("two failures")
    {
        const auto bytes = manager.FetchToMemory(CString(service.BaseUrl()) + L"/f/missing.png");
        REQUIRE(bytes != nullptr);
        CHECK(bytes->empty());
        CHECK(service.Requests().size() == 2);
    }
    SUBCASE("too many redirects")
    {
        const auto bytes = manager.FetchToMemory(CString(service.BaseUrl()) + L"/f/redirect-6.bin");
        REQUIRE(bytes != nullptr);
        CHECK(bytes->empty());
    }
}

TEST_CASE("An asynchronous fetch calls back on its own thread, with nothing once cancelled")
{
    StandInService service;
    service.LoadScenario("downloads");
    DownloadManager manager;
    const CString url = CString(service.BaseUrl()) + L"/f/offer-3.png";

    SUBCASE("the bytes")
    {
        FetchOutcome outcome;
        manager.FetchToMemoryAsync(url, outcome.Callback());
        REQUIRE(outcome.Wait());
        REQUIRE(outcome.m_bytes != nullptr);
        CHECK(*outcome.m_bytes == ReadFileBytes(RepositoryFile("service/assets/f/offer-3.png")));
        CHECK(outcome.m_thread != std::this_thread::get_id());
    }
    SUBCASE("cancelled: an empty pointer, not an empty vector")
    {
        manager.m_cancelled = true;
        FetchOutcome outcome;
        manager.FetchToMemoryAsync(url, outcome.Callback());
        REQUIRE(outcome.Wait());
        CHECK(outcome.m_bytes == nullptr);
    }
    SUBCASE("cancelled while the body arrives")
    {
        service.LoadScenario(nlohmann::json{
            {"extends", "downloads"},
            {"faults", {{"/f/offer-3.png", {{{"slow", {{"chunk", 1024}, {"interval", 0.05}}}}}}}}});
        FetchOutcome outcome;
        manager.FetchToMemoryAsync(url, outcome.Callback());
        Sleep(300);
        manager.m_cancelled = true;
        REQUIRE(outcome.Wait());
        CHECK(outcome.m_bytes == nullptr);
    }
}
