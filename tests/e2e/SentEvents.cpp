#include "SentEvents.h"

#include "SetupRunFiles.h"

#include <algorithm>

using namespace std::chrono_literals;

SentEvents::SentEvents(const StandInService& service)
{
    for (const auto& record : service.Events()) {
        if (record.value("verdict", "") != "ok") {
            ++m_refused;
        }
        if (record.at("event").is_object()) {
            m_events.push_back(record.at("event"));
        }
    }
}

std::set<std::string> SentEvents::Packages(const std::string& id) const
{
    std::set<std::string> packages;
    for (const auto& event : m_events) {
        if (event.value("6", "") == id) {
            packages.insert(event.value("5", ""));
        }
    }
    return packages;
}

std::map<std::string, std::string> SentEvents::Field(const std::string& id, const char* key) const
{
    std::map<std::string, std::string> values;
    for (const auto& event : m_events) {
        if (event.value("6", "") == id) {
            values[event.value("5", "")] = event.value(key, "");
        }
    }
    return values;
}

std::map<std::string, std::string> SentEvents::Reasons(const std::string& id) const
{
    return Field(id, "13");
}

std::map<std::string, std::string> SentEvents::Failures(const std::string& id) const
{
    return Field(id, "12");
}

std::map<std::string, long long> SentEvents::Positions(const std::string& id) const
{
    std::map<std::string, long long> positions;
    for (const auto& event : m_events) {
        // Offers carry their place in the flow as a number in text; the product carries none.
        const std::string position = event.value("17", "");
        if (event.value("6", "") == id && !position.empty()) {
            positions[event.value("5", "")] = std::stoll(position);
        }
    }
    return positions;
}

bool AwaitEvents(const StandInService& service, const std::string& id, const std::set<std::string>& packages)
{
    return WaitUntil(
        [&] {
            const auto sent = SentEvents(service).Packages(id);
            return std::includes(sent.begin(), sent.end(), packages.begin(), packages.end());
        },
        20s);
}

std::set<std::string> OffersWithLostEvents(const std::vector<std::string>& log, const std::string& id)
{
    const std::string prefix = "Telemetry event " + id + " of offer ";
    std::set<std::string> offers;
    for (const std::string& message : log) {
        if (message.rfind(prefix, 0) == 0) {
            offers.insert(message.substr(prefix.size(), message.find(' ', prefix.size()) - prefix.size()));
        }
    }
    return offers;
}

std::map<std::string, std::string> WithoutLost(std::map<std::string, std::string> expected,
                                               const std::set<std::string>& lost)
{
    for (const std::string& offer : lost) {
        expected.erase(offer);
    }
    return expected;
}
