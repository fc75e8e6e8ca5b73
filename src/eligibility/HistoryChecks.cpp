#include "eligibility/HistoryChecks.h"

#include "profile/MachineFacts.h"
#include "registry/RegistryPaths.h"
#include "remote/Package.h"
#include "transfer/EncodingUtilities.h"

#include <cstdint>
#include <ctime>
#include <string>

Refusal HistoryChecks::CheckUninstallTimes(const Package& offer) const
{
    for (const UninstallTimeCheck& check : offer.m_uninstallTimeChecks) {
        const auto text =
            RegistryAccess::ReadValueAsText(RegistryPaths::Lower(check.root), RegistryPaths::Lower(check.key), RegistryPaths::Lower(check.valueName), m_cache);
        if (!text) {
            continue;
        }
        // A stamp that is not a number ends the pass, as does a root that is not a long hive name.
        std::uint64_t stamp = std::stoull(*text, nullptr, 10);
        if (check.inMilliseconds) {
            stamp /= 1000;
        }
        const auto now = static_cast<std::uint64_t>(std::time(nullptr));
        // In 64 bits: days x 86400 overflows 32 bits beyond 24855 days.
        const std::uint64_t limit = stamp + static_cast<std::uint64_t>(static_cast<std::int64_t>(check.minDays) * 86400);
        if (now < limit) {
            return "MIN DAYS UNINSTALL CHECKER";
        }
    }
    return std::nullopt;
}

Refusal HistoryChecks::CheckNoShowPeriod(const Package& offer) const
{
    if (!offer.m_pn.enabled) {
        return std::nullopt;
    }
    const std::string& path = offer.m_pn.historyPath;
    const std::size_t slash = path.rfind('\\');
    if (slash == std::string::npos) {
        return std::nullopt;
    }
    // Lower-cased like every other path the checks read: the cache compares lower-case names.
    const auto until = RegistryAccess::ReadValueAsText(L"hkey_local_machine",
                                                       RegistryPaths::Lower(Utf8ToWide(path.substr(0, slash))),
                                                       RegistryPaths::Lower(Utf8ToWide(path.substr(slash + 1))),
                                                       m_cache);
    if (!until) {
        return std::nullopt;
    }
    const std::wstring today = Utf8ToWide(MachineFacts::LocalDateInDays(0));
    if (today < *until) {
        return "PN NO SHOW";
    }
    return std::nullopt;
}
