#include "registry/RegistryPaths.h"

#include "profile/MachineFacts.h"

#include <array>
#include <cwctype>
#include <stdexcept>
#include <unordered_map>
#include <utility>

namespace RegistryPaths {

namespace {

const std::array<std::pair<const wchar_t*, const wchar_t*>, 5> kAliases{{
    {L"hkcc", L"hkey_current_config"},
    {L"hkcr", L"hkey_classes_root"},
    {L"hkcu", L"hkey_current_user"},
    {L"hklm", L"hkey_local_machine"},
    {L"hku", L"hkey_users"},
}};
const std::array<const wchar_t*, 5> kHiveNames{L"hkey_local_machine", L"hkey_current_user", L"hkey_classes_root",
                                               L"hkey_users", L"hkey_current_config"};
const std::array<const wchar_t*, 2> kSoftwarePrefixes{L"hkey_local_machine\\software\\",
                                                      L"hkey_current_user\\software\\"};
const std::array<const wchar_t*, 2> kRedirectedPrefixes{L"hkey_local_machine\\software\\wow6432node\\",
                                                        L"hkey_current_user\\software\\wow6432node\\"};
const std::wstring kRedirectedSegment = L"wow6432node";

bool StartsWith(const std::wstring& text, const std::wstring& start)
{
    return text.compare(0, start.size(), start) == 0;
}

}  // namespace

std::wstring Lower(std::wstring text)
{
    for (wchar_t& unit : text) {
        // ASCII, which nearly every registry path is, without a call per character.
        if (unit < 0x80) {
            if (unit >= L'A' && unit <= L'Z') {
                unit = static_cast<wchar_t>(unit - L'A' + L'a');
            }
        } else {
            unit = static_cast<wchar_t>(std::towlower(unit));
        }
    }
    return text;
}

std::vector<std::wstring> SplitRegistryPath(const std::wstring& path, wchar_t separator)
{
    // As getline would split it: no segment after a separator at the very end.
    std::vector<std::wstring> segments;
    for (std::size_t start = 0; start < path.size();) {
        const std::size_t end = path.find(separator, start);
        if (end == std::wstring::npos) {
            segments.push_back(path.substr(start));
            break;
        }
        segments.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return segments;
}

std::vector<std::wstring> ResolveKeyCandidates(const std::wstring& path)
{
    if (path.empty()) {
        return {};
    }
    if (StartsWith(path, L"hk")) {
        if (path.compare(2, 2, L"ey") == 0) {
            for (const wchar_t* hive : kHiveNames) {
                if (StartsWith(path, std::wstring(hive) + L"\\")) {
                    return {path};
                }
            }
        }
        for (const auto& [alias, longName] : kAliases) {
            const std::wstring start = std::wstring(alias) + L"\\";
            if (StartsWith(path, start)) {
                return {longName + path.substr(std::wcslen(alias))};
            }
        }
    }
    std::vector<std::wstring> candidates;
    for (const wchar_t* prefix : kSoftwarePrefixes) {
        candidates.push_back(prefix + path);
    }
    if (MachineFacts::IsWow64()) {
        for (const wchar_t* prefix : kRedirectedPrefixes) {
            candidates.push_back(prefix + path);
        }
    }
    return candidates;
}

bool StartsWithSoftwarePrefix(const std::wstring& path)
{
    for (const wchar_t* prefix : kSoftwarePrefixes) {
        if (StartsWith(path, prefix)) {
            return true;
        }
    }
    return false;
}

bool SelectRegistryView(std::wstring& path, std::wstring& removed, REGSAM& flags)
{
    if (!StartsWithSoftwarePrefix(path)) {
        return false;
    }
    // The third segment, found without splitting the whole path: this runs for every candidate key.
    const std::size_t first = path.find(L'\\');
    const std::size_t thirdStart = path.find(L'\\', first + 1) + 1;
    if (thirdStart >= path.size()) {
        throw std::out_of_range("invalid vector subscript");
    }
    const std::size_t thirdEnd = path.find(L'\\', thirdStart);
    const std::size_t thirdLength = (thirdEnd == std::wstring::npos ? path.size() : thirdEnd) - thirdStart;
    const bool wow64 = MachineFacts::IsWow64();
    if (Lower(path.substr(thirdStart, thirdLength)) == kRedirectedSegment) {
        if (!wow64) {
            return true;
        }
        if (const std::size_t found = path.find(kRedirectedSegment + L"\\"); found != std::wstring::npos) {
            path.erase(found, kRedirectedSegment.size() + 1);
        }
        removed = kRedirectedSegment + L"\\";
        return false;
    }
    if (wow64) {
        flags |= KEY_WOW64_64KEY;
    }
    return false;
}

HKEY HiveHandle(const std::wstring& longName)
{
    static const std::unordered_map<std::wstring, HKEY> kHandles{
        {L"hkey_local_machine", HKEY_LOCAL_MACHINE}, {L"hkey_current_user", HKEY_CURRENT_USER},
        {L"hkey_classes_root", HKEY_CLASSES_ROOT},   {L"hkey_users", HKEY_USERS},
        {L"hkey_current_config", HKEY_CURRENT_CONFIG}};
    const auto found = kHandles.find(longName);
    if (found == kHandles.end()) {
        throw std::out_of_range("invalid unordered_map<K, T> key");
    }
    return found->second;
}

bool IsWritableMachineKey(const std::wstring& keyPath)
{
    std::vector<std::wstring> segments = SplitRegistryPath(Lower(keyPath), L'\\');
    for (const std::wstring& segment : segments) {
        if (segment.empty() || segment == L"." || segment == L"..") {
            return false;
        }
    }
    if (segments.size() < 2 || segments[0] != L"software") {
        return false;
    }
    // The redirected view's own copy of the system's keys is refused alike.
    std::size_t owner = 1;
    if (segments[1] == L"wow6432node") {
        owner = 2;
        if (segments.size() < 3) {
            return false;
        }
    }
    return segments[owner] != L"microsoft" && segments[owner] != L"policies" && segments[owner] != L"classes";
}

}  // namespace RegistryPaths
