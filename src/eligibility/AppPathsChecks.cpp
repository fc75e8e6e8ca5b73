#include "eligibility/AppPathsChecks.h"

#include "framework/UniqueHandle.h"
#include "profile/MachineFacts.h"
#include "registry/RegistryAccess.h"
#include "registry/RegistryError.h"
#include "remote/Package.h"

#include <shlwapi.h>

#include <vector>

namespace {

const std::wstring kAppPaths = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";

}  // namespace

Refusal AppPathsChecks::Check(const Package& offer)
{
    for (const std::wstring& name : offer.m_requiredApps) {
        if (!IsPresent(name)) {
            return "REGISTRY INCLUDE APP NOT FOUND";
        }
    }
    for (const std::wstring& name : offer.m_excludedApps) {
        if (IsPresent(name)) {
            return "REGISTRY EXCLUDE APP FOUND";
        }
    }
    return std::nullopt;
}

void AppPathsChecks::Fill()
{
    // Under WOW64 the redirected view first, then the native one.
    std::vector<REGSAM> views{0};
    if (MachineFacts::IsWow64()) {
        views.push_back(KEY_WOW64_64KEY);
    }
    for (const HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        for (const REGSAM view : views) {
            UniqueRegKey key;
            if (RegOpenKeyExW(root, kAppPaths.c_str(), 0, view | KEY_READ, key.Receive()) != ERROR_SUCCESS) {
                continue;
            }
            try {
                for (const std::wstring& name : RegistryAccess::EnumerateSubkeys(key.Get())) {
                    m_registrations.emplace(name, Registration{root, view, std::wstring(), false});
                }
            } catch (const win32::RegistryError&) {
                // This root and view are left out.
            }
        }
    }
}

bool AppPathsChecks::IsPresent(const std::wstring& name)
{
    if (m_registrations.empty()) {
        Fill();
    }
    // Exact: the registered names are lower-case, so a name written with capitals is never found.
    const auto [first, last] = m_registrations.equal_range(name);
    for (auto entry = first; entry != last; ++entry) {
        Registration& registration = entry->second;
        if (!registration.resolved) {
            registration.resolved = true;
            UniqueRegKey key;
            if (RegOpenKeyExW(registration.root, (kAppPaths + name).c_str(), 0, registration.view | KEY_READ,
                              key.Receive()) == ERROR_SUCCESS) {
                try {
                    registration.path = RegistryAccess::ReadStringValue(key.Get(), std::wstring(), std::wstring());
                } catch (const win32::RegistryError&) {
                    registration.path.clear();
                }
            }
        }
        if (!registration.path.empty() && PathFileExistsW(registration.path.c_str())) {
            return true;
        }
    }
    return false;
}
