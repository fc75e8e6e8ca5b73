// Registry key checks of a long offer list: 500 offers, each listing 20 keys below "software" (all
// absent but one per offer, as in practice), tested once through the checks with their subkey cache and
// once by opening every candidate key directly. Prints both times and their ratio.
//     registry_check_benchmark
#include "eligibility/RegistryContentChecks.h"
#include "framework/UniqueHandle.h"
#include "registry/RegistryPaths.h"
#include "remote/ApiManager.h"
#include "remote/Package.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kOffers = 500;
constexpr int kKeysPerOffer = 20;

std::vector<std::shared_ptr<Package>> Offers(const std::string& existing)
{
    std::vector<std::shared_ptr<Package>> offers;
    for (int offer = 0; offer < kOffers; ++offer) {
        nlohmann::json keys = nlohmann::json::array();
        for (int key = 0; key + 1 < kKeysPerOffer; ++key) {
            keys.push_back("vendor" + std::to_string(offer) + "-" + std::to_string(key) + "\\app");
        }
        keys.push_back(existing);
        const nlohmann::json element{{"ad", {{"o", "o" + std::to_string(offer)}, {"f", "f"}}},
                                     {"ps", {{"i", "i.png"}, {"dn", "n"}, {"u", "u"}, {"ir", keys}}}};
        offers.push_back(std::make_shared<Package>(ApiManager::Instance()->MakeBaseRequest(), element, false, "", 0));
    }
    return offers;
}

// The same question without the cache: every candidate of every key opened.
bool AnyKeyOpens(const std::vector<std::wstring>& entries)
{
    for (const std::wstring& entry : entries) {
        for (std::wstring candidate : RegistryPaths::ResolveKeyCandidates(entry)) {
            std::wstring removed;
            REGSAM flags = KEY_READ;
            if (RegistryPaths::SelectRegistryView(candidate, removed, flags)) {
                continue;
            }
            const std::size_t slash = candidate.find(L'\\');
            UniqueRegKey key;
            if (RegOpenKeyExW(RegistryPaths::HiveHandle(candidate.substr(0, slash)),
                              candidate.substr(slash + 1).c_str(), 0, flags, key.Receive()) == ERROR_SUCCESS) {
                return true;
            }
        }
    }
    return false;
}

double Milliseconds(std::chrono::steady_clock::duration duration)
{
    return std::chrono::duration<double, std::milli>(duration).count();
}

}  // namespace

int wmain()
{
    const auto offers = Offers("microsoft\\windows");
    int refusedCached = 0;
    const auto cachedStart = std::chrono::steady_clock::now();
    RegistryAccess::SubkeyCache cache;
    const RegistryContentChecks checks(cache);
    for (const auto& offer : offers) {
        refusedCached += checks.Check(*offer) ? 1 : 0;
    }
    const double cached = Milliseconds(std::chrono::steady_clock::now() - cachedStart);

    int refusedDirect = 0;
    const auto directStart = std::chrono::steady_clock::now();
    for (const auto& offer : offers) {
        refusedDirect += AnyKeyOpens(offer->m_requiredRegistryKeys) ? 0 : 1;
    }
    const double direct = Milliseconds(std::chrono::steady_clock::now() - directStart);

    std::printf("%d offers x %d keys: with the subkey cache %.1f ms, every key opened %.1f ms, ratio %.1f "
                "(refused: %d and %d)\n",
                kOffers, kKeysPerOffer, cached, direct, direct / cached, refusedCached, refusedDirect);
    return refusedCached == refusedDirect ? 0 : 1;
}
