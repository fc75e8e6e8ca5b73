#include "eligibility/BrowserChecks.h"

#include "eligibility/FileAndProcessChecks.h"
#include "framework/CString.h"
#include "profile/ConfigurationManager.h"
#include "remote/Package.h"

#include <string>
#include <vector>

namespace {

// Where the browser may be installed: the usual folders, the folder its App Paths entry names, and
// the path its own update beacon records.
std::vector<CString> BrowserCandidates(RegistryAccess::SubkeyCache& cache)
{
    const auto configuration = ConfigurationManager::Instance();
    std::vector<CString> candidates;
    for (const wchar_t* path : {L"{commonpf}\\Chromium\\Application\\chrome.exe",
                                L"{commonpf}\\Google\\Chrome\\Application\\chrome.exe",
                                L"{localappdata}\\Chromium\\Application\\chrome.exe"}) {
        candidates.push_back(configuration->ExpandPathVariables(path));
    }
    if (const auto folder = RegistryAccess::ReadValueAsText(
            L"hkey_local_machine", L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\chrome.exe", L"Path",
            cache)) {
        candidates.push_back(CString(*folder + L"\\chrome.exe"));
    }
    if (const auto beacon =
            RegistryAccess::ReadValueAsText(L"hkey_current_user", L"SOFTWARE\\Google\\Chrome\\BLBeacon", L"Path", cache)) {
        candidates.push_back(CString(*beacon));
    }
    return candidates;
}

}  // namespace

Refusal BrowserChecks::CheckBrowser(const Package& offer) const
{
    if (!offer.m_requireChrome && !offer.m_requireNoChrome) {
        return std::nullopt;
    }
    const bool present = FileAndProcessChecks::AnyFileExists(BrowserCandidates(m_cache));
    if (offer.m_requireChrome && !present) {
        return "NO CHROME";
    }
    if (offer.m_requireNoChrome && present) {
        return "HAVE CHROME";
    }
    return std::nullopt;
}

Refusal BrowserChecks::CheckInternetExplorer(const Package& offer) const
{
    if (!offer.m_checkIeVersion) {
        return std::nullopt;
    }
    const auto version =
        RegistryAccess::ReadValueAsText(L"hkey_local_machine", L"SOFTWARE\\Microsoft\\Internet Explorer", L"Version", m_cache);
    if (!version) {
        return std::nullopt;
    }
    // The leading number only: "9.11.19041.0" reads as 9.11. A version that is no number ends the pass.
    const float number = std::stof(*version);
    if (number * 10.0f < 90.0f) {
        return "OLD IE VERSION";
    }
    return std::nullopt;
}
