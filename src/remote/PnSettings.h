#pragma once

#include <string>

// The settings of a "pn" offer: its service parameters and where its offer-history record lives.
// Read from the offer's "ps" object only when "pn" is true; otherwise enabled is false and the rest
// keeps these defaults.
struct PnSettings {
    bool enabled = false;
    std::string apiUrl;        // "pnau"
    std::string apiKey;        // "pnak"
    std::string historyPath;   // "pnr": key path below HKEY_LOCAL_MACHINE, a backslash, the value name
    std::string op;            // "pnop"
    std::string stubParams;    // "sp"
};
