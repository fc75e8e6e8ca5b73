#pragma once

#include <climits>
#include <string>
#include <vector>

// An offer's rules about the other offers of the run (the "cfs" object of a "pn" offer).
struct FlowRules {
    int maxBefore = INT_MAX;
    std::vector<std::string> allowedBefore;
    int maxAfter = INT_MAX;
    std::vector<std::string> allowedAfter;
    // No further offer page once the cursor reaches this limit.
    int mo = INT_MAX;
    // Declining this offer skips every later offer page.
    bool saad = false;
    // This offer is skipped when an earlier offer was declined.
    bool sied = false;
};
