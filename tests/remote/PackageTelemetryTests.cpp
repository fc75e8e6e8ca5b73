#include <doctest/doctest.h>

#include "LoopbackPort.h"
#include "RealWaits.h"
#include "SetupLogForTests.h"
#include "StandInService.h"
#include "framework/TextConversion.h"
#include "profile/ConfigurationManager.h"
#include "remote/ApiManager.h"
#include "remote/Package.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <chrono>
#include <memory>
#include <set>
#include <string>
#include <vector>

using nlohmann::json;
using Clock = std::chrono::steady_clock;

namespace {

// Points the process's telemetry at url for as long as it lives.
class TelemetryTarget {
public:
    explicit TelemetryTarget(const CString& url) : m_saved(ConfigurationManager::Instance()->m_telemetryUrl)
    {
        ConfigurationManager::Instance()->m_telemetryUrl = url;
    }
    explicit TelemetryTarget(const StandInService& service) : TelemetryTarget(CString(service.BaseUrl()) + L"/zbd") {}
    ~TelemetryTarget() { ConfigurationManager::Instance()->m_telemetryUrl = m_saved; }

private:
    CString m_saved;
};

std::shared_ptr<Package> MainProduct()
{
    return std::make_shared<Package>(ApiManager::Instance()->MakeBaseRequest(), true, L"", L"", L"Bramble Web", L"", 0);
}

std::shared_ptr<Package> Offer(int position)
{
    return std::make_shared<Package>(ApiManager::Instance()->MakeBaseRequest(), false, L"offer-7", L"flow-f",
                                     L"Notarra", L"chan-2", position);
}

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

TEST_CASE("An event arrives in its envelope, signed, built from the template, the id and the extra values")
{
    StandInService service;
    service.LoadScenario("empty");
    TelemetryTarget target(service);
    auto offer = Offer(2);

    offer->SendEvent(2, {{"13", "NOT ENOUGH RAM"}});
    offer->WaitForEvents();

    const json events = service.Events();
    REQUIRE(events.size() == 1);
    const json& record = events[0];
    CHECK(record.at("verdict") == "ok");
    CHECK(record.at("problems").empty());
    CHECK(record.at("status") == 200);
    CHECK(record.at("headers").at("Authorization") == ToUtf8(offer->m_baseRequest.headers.at(0).second));

    const json envelope = json::parse(record.at("body").get<std::string>());
    CHECK(envelope.size() == 2);
    CHECK(envelope.at("table") == "zb_analytics");
    REQUIRE(envelope.at("data").is_string());
    CHECK(record.at("body") == envelope.dump());
    const std::string data = envelope.at("data").get<std::string>();
    const json event = json::parse(data);
    CHECK(event.dump() == data);
    CHECK(event == record.at("event"));

    for (int key = 0; key <= 22; ++key) {
        CHECK(event.contains(std::to_string(key)));
    }
    CHECK(event.at("6") == "2");
    CHECK(event.at("13") == "NOT ENOUGH RAM");
    CHECK(event.at("1") == ConfigurationManager::Instance()->UserId());
    CHECK(event.at("5") == "offer-7");
    CHECK(event.at("10") == 2);
    CHECK(event.at("16") == "chan-2");
    CHECK(event.at("17") == "3");
    CHECK(event.at("18") == "flow-f");
    CHECK(offer->m_eventsClosed);
}

TEST_CASE("A text that is not UTF-8 still reaches the service, with a replacement character")
{
    StandInService service;
    service.LoadScenario("empty");
    TelemetryTarget target(service);
    // The offer's texts are ANSI bytes: "Caf\xE9" is not valid UTF-8.
    auto offer = std::make_shared<Package>(ApiManager::Instance()->MakeBaseRequest(), false, L"Caf\x00E9", L"f",
                                           L"Caf\x00E9", L"", 0);
    offer->SendEvent(2, {{"13", "FILE EXISTS"}});
    offer->WaitForEvents();

    const json events = service.Events();
    REQUIRE(events.size() == 1);
    CHECK(events[0].at("verdict") == "ok");
    CHECK(events[0].at("event").at("5") == "Caf\xEF\xBF\xBD");
    CHECK(events[0].at("event").at("13") == "FILE EXISTS");
}

TEST_CASE("The main product's template names the product, and Refresh rebuilds it from the new base request")
{
    auto configuration = ConfigurationManager::Instance();
    const CString savedTitle = configuration->m_productTitle;
    const CString savedCh = configuration->m_ch;
    configuration->m_productTitle = L"Bramble Web";
    auto product = MainProduct();
    CHECK(product->m_eventTemplate.at("5") == "Bramble Web");
    CHECK(product->m_eventTemplate.at("10") == 1);
    CHECK(product->m_eventTemplate.at("16") == "");
    CHECK(product->m_eventTemplate.at("17") == "");
    CHECK(product->m_eventTemplate.at("18") == "");
    CHECK(product->m_displayName == "Bramble Web");

    configuration->m_productTitle = L"Bramble Web Beta";
    configuration->m_ch = L"ch-2";
    const BaseRequest refreshed = ApiManager::Instance()->MakeBaseRequest();
    configuration->m_productTitle = savedTitle;
    configuration->m_ch = savedCh;

    auto package = Offer(4);
    package->Refresh(refreshed, L"o-1", L"f-1", L"Bramble Web Beta", L"c-1");
    CHECK(package->m_isMainProduct);
    CHECK(package->m_position == 0);
    CHECK(package->m_adO == "o-1");
    CHECK(package->m_adF == "f-1");
    CHECK(package->m_c == "c-1");
    CHECK(package->m_displayName == "Bramble Web Beta");
    CHECK(package->m_eventTemplate.at("5") == "Bramble Web Beta");
    CHECK(package->m_eventTemplate.at("10") == 1);
    CHECK(package->m_eventTemplate.at("21") == "ch-2");
    CHECK(package->m_eventTemplate.at("18") == "");

    SUBCASE("events sent after Refresh carry the new fields")
    {
        StandInService service;
        service.LoadScenario("empty");
        TelemetryTarget target(service);
        package->SendEvent(1, nullptr);
        package->WaitForEvents();
        const json events = service.Events();
        REQUIRE(events.size() == 1);
        CHECK(events[0].at("verdict") == "ok");
        CHECK(events[0].at("event").at("5") == "Bramble Web Beta");
        CHECK(events[0].at("event").at("6") == "1");
        CHECK(events[0].at("event").at("21") == "ch-2");
    }
}

TEST_CASE("A delivered closing event ends the package's telemetry; event 1 does not")
{
    StandInService service;
    service.LoadScenario("empty");
    TelemetryTarget target(service);

    auto quitting = MainProduct();
    quitting->SendEvent(5, nullptr);
    quitting->WaitForEvents();
    REQUIRE(service.Events().size() == 1);
    CHECK(quitting->m_eventsClosed);
    quitting->SendEvent(3, nullptr);
    CHECK(quitting->PendingEvents() == 0);
    quitting->WaitForEvents();
    Sleep(300);
    CHECK(service.Events().size() == 1);

    service.Reset();
    auto started = MainProduct();
    started->SendEvent(1, nullptr);
    started->WaitForEvents();
    CHECK_FALSE(started->m_eventsClosed);
    started->SendEvent(4, nullptr);
    CHECK(started->PendingEvents() == 1);
    started->WaitForEvents();
    CHECK(started->m_eventsClosed);
    const json events = service.Events();
    REQUIRE(events.size() == 2);
    CHECK(events[0].at("event").at("6") == "1");
    CHECK(events[1].at("event").at("6") == "4");
}

TEST_CASE("Any status up to 399 counts as delivered: one attempt, and a closing event closes the package")
{
    StandInService service;
    service.LoadScenario(
        json{{"extends", "empty"}, {"faults", {{"/zbd", json::array({{{"status", 304}}, {{"status", 399}}})}}}});
    TelemetryTarget target(service);

    const auto start = Clock::now();
    for (int status : {304, 399}) {
        CAPTURE(status);
        auto offer = Offer(0);
        offer->SendEvent(5, nullptr);
        offer->WaitForEvents();
        CHECK(offer->m_eventsClosed);
    }
    CHECK(SecondsSince(start) < 4.0);
    const json events = service.Events();
    REQUIRE(events.size() == 2);
    CHECK(events[0].at("status") == 304);
    CHECK(events[1].at("status") == 399);
}

TEST_CASE("A refused event is posted twice, 5 s apart, and the send ends 5 s after the second")
{
    const RealWaits realWaits;
    StandInService service;
    service.LoadScenario("telemetry-500");
    TelemetryTarget target(service);
    auto offer = Offer(0);

    const auto start = Clock::now();
    offer->SendEvent(3, nullptr);
    CHECK(offer->PendingEvents() == 1);
    offer->WaitForEvents();
    const double waited = SecondsSince(start);

    const json events = service.Events();
    REQUIRE(events.size() == 2);
    CHECK(events[0].at("status") == 500);
    CHECK(events[1].at("status") == 500);
    const double apart = events[1].at("time").at("monotonic").get<double>() -
                         events[0].at("time").at("monotonic").get<double>();
    CHECK(apart == doctest::Approx(5.0).epsilon(0.1));
    CHECK(waited >= apart + 4.5);
    CHECK(offer->PendingEvents() == 0);
    CHECK_FALSE(offer->m_eventsClosed);
}

TEST_CASE("A failed exchange is tried once more like a failed status; an event that cannot be built is dropped")
{
    SUBCASE("nothing listens at the telemetry URL: two attempts, then the log says why")
    {
        CString url;
        url.Format(L"https://localhost:%u/zbd", static_cast<unsigned>(UnusedLoopbackPort()));
        TelemetryTarget target(url);
        ScopedSetupLog log;
        auto offer = Offer(0);
        offer->SendEvent(3, nullptr);
        offer->WaitForEvents();
        CHECK_FALSE(offer->m_eventsClosed);
        CHECK(log.Contains("Telemetry event 3 of offer offer-7 not delivered: no exchange with the service"));
        const auto messages = log.Messages();
        CHECK(std::count_if(messages.begin(), messages.end(), [](const std::string& message) {
                  return message.find("Failed to send request") != std::string::npos;
              }) == 2);
    }
    SUBCASE("a connection that breaks off before the answer: the second attempt delivers the event")
    {
        StandInService service;
        service.LoadScenario(json{{"extends", "empty"}, {"faults", {{"/zbd", {{{"drop", true}}}}}}});
        TelemetryTarget target(service);
        auto offer = Offer(0);
        offer->SendEvent(3, nullptr);
        offer->WaitForEvents();
        const json events = service.Events();
        REQUIRE(events.size() == 2);
        CHECK(events[1].at("status") == 200);
        CHECK(offer->m_eventsClosed);
    }
    SUBCASE("extra values that are not an object")
    {
        StandInService service;
        service.LoadScenario("empty");
        TelemetryTarget target(service);
        auto offer = Offer(0);
        offer->SendEvent(2, json::array({"13", "NOT ENOUGH RAM"}));
        offer->WaitForEvents();
        CHECK(offer->PendingEvents() == 0);
        CHECK(service.Events().empty());
        CHECK_FALSE(offer->m_eventsClosed);
    }
}

TEST_CASE("A running send keeps its package alive after the last outside owner lets go")
{
    StandInService service;
    service.LoadScenario(json{{"extends", "empty"}, {"faults", {{"/zbd", json::array({{{"delay", 1.5}}})}}}});
    TelemetryTarget target(service);
    auto offer = Offer(0);
    const std::weak_ptr<Package> watched = offer;

    offer->SendEvent(1, nullptr);
    offer.reset();
    CHECK_FALSE(watched.expired());
    const auto start = Clock::now();
    while (!watched.expired() && SecondsSince(start) < 15.0) {
        Sleep(50);
    }
    CHECK(watched.expired());
    const json events = service.Events();
    REQUIRE(events.size() == 1);
    CHECK(events[0].at("verdict") == "ok");
}

TEST_CASE("SendEvent only starts a thread: time on the calling thread")
{
    StandInService service;
    service.LoadScenario("empty");
    TelemetryTarget target(service);
    auto offer = Offer(0);

    constexpr int kCalls = 100;
    std::vector<double> micros;
    for (int call = 0; call < kCalls; ++call) {
        const json extra{{"12", "measure " + std::to_string(call)}};
        const auto start = Clock::now();
        offer->SendEvent(1, extra);
        micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    offer->WaitForEvents();

    std::sort(micros.begin(), micros.end());
    MESSAGE("SendEvent on the calling thread over " << kCalls << " calls: median " << micros[kCalls / 2]
                                                    << " us, 90th percentile " << micros[kCalls * 9 / 10]
                                                    << " us, max " << micros.back() << " us");
    const json events = service.Events();
    CHECK(events.size() == kCalls);
    std::set<std::string> texts;
    for (const json& record : events) {
        CHECK(record.at("verdict") == "ok");
        texts.insert(record.at("event").at("12").get<std::string>());
    }
    CHECK(texts.size() == kCalls);
}

