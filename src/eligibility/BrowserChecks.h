#pragma once

#include "eligibility/Refusal.h"
#include "registry/RegistryAccess.h"

class Package;

// Whether the Chromium-family browser is present, as some offers need it or its absence, and whether
// Internet Explorer is recent enough.
class BrowserChecks {
public:
    explicit BrowserChecks(RegistryAccess::SubkeyCache& cache) : m_cache(cache) {}

    Refusal CheckBrowser(const Package& offer) const;
    Refusal CheckInternetExplorer(const Package& offer) const;

private:
    RegistryAccess::SubkeyCache& m_cache;
};
