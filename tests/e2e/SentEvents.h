#pragma once

#include "StandInService.h"

#include <map>
#include <set>
#include <string>
#include <vector>

// The telemetry the service received, read the way the flows check it.
class SentEvents {
public:
    explicit SentEvents(const StandInService& service);

    // The packages ("5") with an event of this id ("6").
    std::set<std::string> Packages(const std::string& id) const;
    // Package → its reason ("13") for the events of this id.
    std::map<std::string, std::string> Reasons(const std::string& id) const;
    // Package → its failure text ("12") for the events of this id.
    std::map<std::string, std::string> Failures(const std::string& id) const;
    // Package → its position ("17") for the events of this id.
    std::map<std::string, long long> Positions(const std::string& id) const;
    // How many events the service refused ("verdict" other than "ok").
    int Refused() const { return m_refused; }

private:
    std::map<std::string, std::string> Field(const std::string& id, const char* key) const;

    nlohmann::json m_events = nlohmann::json::array();
    int m_refused = 0;
};

// Polls the service until the packages with this event id include every one expected; false after 20 s.
bool AwaitEvents(const StandInService& service, const std::string& id, const std::set<std::string>& packages);

// The offers whose event of this id the setup's log reports lost or not delivered. A send that fails
// in transport is given up at once, so a burst of sends can lose one; the log then says so.
std::set<std::string> OffersWithLostEvents(const std::vector<std::string>& log, const std::string& id);

// The expected texts without the offers whose events were lost.
std::map<std::string, std::string> WithoutLost(std::map<std::string, std::string> expected,
                                               const std::set<std::string>& lost);
