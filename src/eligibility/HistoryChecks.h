#pragma once

#include "eligibility/Refusal.h"
#include "registry/RegistryAccess.h"

class Package;

// What the registry remembers: the time something was uninstalled, before which the offer waits a
// number of days, and the no-show date of a "pn" offer shown before.
class HistoryChecks {
public:
    explicit HistoryChecks(RegistryAccess::SubkeyCache& cache) : m_cache(cache) {}

    Refusal CheckUninstallTimes(const Package& offer) const;
    Refusal CheckNoShowPeriod(const Package& offer) const;

private:
    RegistryAccess::SubkeyCache& m_cache;
};
