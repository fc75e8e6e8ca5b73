#include "eligibility/RegistryContentChecks.h"

#include "framework/UniqueHandle.h"
#include "registry/RegistryPaths.h"
#include "remote/Package.h"

#include <functional>
#include <utility>

namespace {

// Splits at the last backslash; without one the first part is the whole text and the second empty.
std::pair<std::wstring, std::wstring> SplitLast(const std::wstring& text)
{
    const std::size_t slash = text.rfind(L'\\');
    return slash == std::wstring::npos ? std::pair{text, std::wstring()}
                                       : std::pair{text.substr(0, slash), text.substr(slash + 1)};
}

}  // namespace

Refusal RegistryContentChecks::Check(const Package& offer) const
{
    if (!offer.m_blockingRegistryKeys.empty() && AnyKeyExists(offer.m_blockingRegistryKeys)) {
        return "REGISTRY KEY EXISTS";
    }
    if (!offer.m_requiredRegistryKeys.empty() && !AnyKeyExists(offer.m_requiredRegistryKeys)) {
        return "NONE OF THE REGISTRY KEYS EXISTS";
    }
    if (auto refusal = CheckValues(offer.m_blockingRegistryValues)) {
        return refusal;
    }
    return CheckData(offer.m_blockingRegistryData);
}

bool RegistryContentChecks::AnyKeyExists(const std::vector<std::wstring>& entries) const
{
    for (const std::wstring& entry : entries) {
        // An empty entry ends the scan.
        if (entry.empty()) {
            return false;
        }
        const std::wstring lower = RegistryPaths::Lower(entry);
        if (!RegistryAccess::MayExistBelowSoftware(lower, m_cache)) {
            continue;
        }
        const auto candidates = RegistryPaths::ResolveKeyCandidates(lower);
        for (const std::wstring& candidate : candidates) {
            if (RegistryAccess::KeyExists(candidate, m_cache)) {
                return true;
            }
        }
    }
    return false;
}

Refusal RegistryContentChecks::CheckValues(const std::vector<std::wstring>& entries) const
{
    for (const std::wstring& entry : entries) {
        const auto candidates = RegistryPaths::ResolveKeyCandidates(RegistryPaths::Lower(entry));
        if (candidates.empty()) {
            return std::nullopt;
        }
        for (const std::wstring& candidate : candidates) {
            const auto [keyPath, valueName] = SplitLast(candidate);
            const UniqueRegKey key = RegistryAccess::OpenExistingKey(keyPath, m_cache);
            if (key && RegGetValueW(key.Get(), nullptr, valueName.c_str(), RRF_RT_ANY, nullptr, nullptr, nullptr) ==
                           ERROR_SUCCESS) {
                return "REGISTRY VALUE EXISTS";
            }
        }
    }
    return std::nullopt;
}

Refusal RegistryContentChecks::CheckData(const std::vector<std::wstring>& entries) const
{
    for (const std::wstring& entry : entries) {
        for (const std::wstring& candidate : RegistryPaths::ResolveKeyCandidates(RegistryPaths::Lower(entry))) {
            const auto [rest, data] = SplitLast(candidate);
            const auto [keyPath, valueName] = SplitLast(rest);
            const UniqueRegKey key = RegistryAccess::OpenExistingKey(keyPath, m_cache);
            if (!key || !RegistryAccess::ValueExists(key.Get(), valueName)) {
                continue;
            }
            const DWORD type = RegistryAccess::QueryValueType(key.Get(), valueName);
            if (type != 0 && RegistryAccess::ValueDataMatches(key.Get(), valueName, type, data)) {
                return "REGISTRY VALUE DATA MATCHES";
            }
        }
    }
    return std::nullopt;
}
