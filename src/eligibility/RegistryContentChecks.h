#pragma once

#include "eligibility/Refusal.h"
#include "registry/RegistryAccess.h"

class Package;

// Registry content that keeps an offer away: keys that must not exist ("r"), keys of which one must
// exist ("ir"), values that must not exist ("rvn") and value data that must not match ("rvd"), in
// that order. Failed registry calls count as absence; unreadable data of a "rvd" value ends the pass.
class RegistryContentChecks {
public:
    explicit RegistryContentChecks(RegistryAccess::SubkeyCache& cache) : m_cache(cache) {}

    Refusal Check(const Package& offer) const;

private:
    bool AnyKeyExists(const std::vector<std::wstring>& entries) const;
    Refusal CheckValues(const std::vector<std::wstring>& entries) const;
    Refusal CheckData(const std::vector<std::wstring>& entries) const;

    RegistryAccess::SubkeyCache& m_cache;
};
