#pragma once

#include <string>

// One "cmdu" record of an offer: at least minDays must have passed since the time stamp (seconds,
// or milliseconds, since 1970) held by a registry value.
struct UninstallTimeCheck {
    std::wstring root;       // "utr": a long hive name
    std::wstring key;        // "utk"
    std::wstring valueName;  // "utvn"
    std::wstring valueType;  // "utvt"
    int minDays = 0;         // "umd"
    bool inMilliseconds = false;  // "utms"
};
