#pragma once

#include "eligibility/Refusal.h"

#include <windows.h>

#include <string>
#include <unordered_map>

class Package;

// Applications registered under App Paths that an offer needs ("iapp") or that keep it away
// ("eapp"). The registered names are read once per pass; each registration's path is read the first
// time it is asked for, and it counts only when that file exists.
class AppPathsChecks {
public:
    Refusal Check(const Package& offer);

private:
    struct Registration {
        HKEY root = nullptr;
        REGSAM view = 0;
        std::wstring path;
        bool resolved = false;
    };

    void Fill();
    bool IsPresent(const std::wstring& name);

    std::unordered_multimap<std::wstring, Registration> m_registrations;
};
