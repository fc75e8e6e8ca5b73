#include "registry/RegistryAccess.h"

#include "framework/UniqueHandle.h"
#include "profile/MachineFacts.h"
#include "registry/RegistryError.h"
#include "registry/RegistryPaths.h"

#include <algorithm>
#include <cwctype>

namespace RegistryAccess {

namespace {

using RegistryPaths::HiveHandle;
using RegistryPaths::Lower;
using RegistryPaths::SelectRegistryView;
using RegistryPaths::SplitRegistryPath;

UniqueRegKey OpenKey(HKEY parent, const std::wstring& subkey, REGSAM access)
{
    UniqueRegKey key;
    const LONG status = RegOpenKeyExW(parent, subkey.c_str(), 0, access, key.Receive());
    if (status != ERROR_SUCCESS) {
        throw win32::RegistryError("Cannot open registry key: RegOpenKeyEx failed.", status);
    }
    return key;
}

// Splits "hive\subkey" at its first backslash; without one both are the whole text.
std::pair<std::wstring, std::wstring> HiveAndSubkey(const std::wstring& path)
{
    const std::size_t slash = path.find(L'\\');
    return slash == std::wstring::npos ? std::pair{path, path}
                                       : std::pair{path.substr(0, slash), path.substr(slash + 1)};
}

template <class Number>
Number ReadNumber(HKEY key, const std::wstring& name, DWORD restriction, const char* failure)
{
    Number value = 0;
    DWORD size = sizeof(value);
    const LONG status = RegGetValueW(key, nullptr, name.c_str(), restriction, nullptr, &value, &size);
    if (status != ERROR_SUCCESS) {
        throw win32::RegistryError(failure, status);
    }
    return value;
}

// The cached subkey names of root\second in that view, sorted, filled on first use; empty after a failure.
const std::vector<std::wstring>& CachedSubkeys(SubkeyCache& cache, HKEY root, REGSAM flags,
                                               const std::wstring& second)
{
    std::vector<std::wstring>& names = cache.subkeys[root][flags][second];
    if (names.empty()) {
        try {
            const UniqueRegKey key = OpenKey(root, second, flags | KEY_READ);
            names = EnumerateSubkeys(key.Get());
            std::sort(names.begin(), names.end());
        } catch (const win32::RegistryError&) {
            names.clear();
        }
    }
    return names;
}

bool SoftwareKeyExists(const std::wstring& path, SubkeyCache& cache)
{
    std::wstring viewed = path;
    std::wstring removed;
    REGSAM flags = 0;
    if (SelectRegistryView(viewed, removed, flags)) {
        return false;
    }
    // "<hive>\software\<first>\...": the prefix is the same in the path and its viewed form.
    const std::size_t hiveEnd = path.find(L'\\');
    const std::size_t prefixEnd = path.find(L'\\', hiveEnd + 1) + 1;
    const HKEY root = HiveHandle(path.substr(0, hiveEnd));
    const std::vector<std::wstring>& names =
        CachedSubkeys(cache, root, flags, path.substr(hiveEnd + 1, prefixEnd - hiveEnd - 2));
    const std::wstring rest = viewed.substr(prefixEnd);
    const std::wstring_view first = std::wstring_view(rest).substr(0, rest.find(L'\\'));
    // Nearly every key asked for is absent: most answers come from the list, without a registry call.
    if (!std::binary_search(names.begin(), names.end(), first,
                            [](const auto& a, const auto& b) { return std::wstring_view(a) < std::wstring_view(b); })) {
        return false;
    }
    try {
        const UniqueRegKey software = OpenKey(root, path.substr(hiveEnd + 1, prefixEnd - hiveEnd - 2), flags | KEY_READ);
        const UniqueRegKey key = OpenKey(software.Get(), rest, flags | KEY_READ);
        return true;
    } catch (const win32::RegistryError&) {
        return false;
    }
}

std::optional<std::wstring> ValueText(HKEY key, const std::wstring& name)
{
    switch (QueryValueType(key, name)) {
    case REG_SZ:
        return ReadStringValue(key, std::wstring(), name);
    case REG_DWORD:
        return std::to_wstring(ReadNumber<DWORD>(key, name, RRF_RT_REG_DWORD, "Cannot read DWORD from registry."));
    case REG_QWORD:
        return std::to_wstring(
            ReadNumber<std::uint64_t>(key, name, RRF_RT_REG_QWORD, "Cannot read QWORD from registry."));
    default:
        return std::nullopt;
    }
}

}  // namespace

bool KeyExists(const std::wstring& path, SubkeyCache& cache)
{
    if (const auto known = cache.keys.find(path); known != cache.keys.end()) {
        return known->second;
    }
    bool exists = false;
    if (RegistryPaths::StartsWithSoftwarePrefix(path)) {
        exists = SoftwareKeyExists(path, cache);
    } else {
        const auto [hive, subkey] = HiveAndSubkey(path);
        UniqueRegKey key;
        exists = RegOpenKeyExW(HiveHandle(hive), subkey.c_str(), 0, KEY_READ, key.Receive()) == ERROR_SUCCESS;
    }
    cache.keys.emplace(path, exists);
    return exists;
}

bool MayExistBelowSoftware(std::wstring_view relativePath, SubkeyCache& cache)
{
    const std::wstring_view first = relativePath.substr(0, relativePath.find(L'\\'));
    // A path that names a hive or the redirected view itself takes the long way.
    if (first.empty() || first == L"wow6432node" || first.rfind(L"hk", 0) == 0) {
        return true;
    }
    // The candidates' views: the native one and the redirected one under WOW64, the only one otherwise.
    const bool wow64 = MachineFacts::IsWow64();
    const REGSAM views[] = {wow64 ? static_cast<REGSAM>(KEY_WOW64_64KEY) : 0, 0};
    const std::size_t viewCount = wow64 ? 2 : 1;
    const auto less = [](const auto& a, const auto& b) { return std::wstring_view(a) < std::wstring_view(b); };
    static const std::wstring kSoftware = L"software";
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        for (std::size_t view = 0; view < viewCount; ++view) {
            const std::vector<std::wstring>& names = CachedSubkeys(cache, root, views[view], kSoftware);
            if (std::binary_search(names.begin(), names.end(), first, less)) {
                return true;
            }
        }
    }
    return false;
}

UniqueRegKey OpenExistingKey(std::wstring path, SubkeyCache& cache)
{
    UniqueRegKey key;
    if (!KeyExists(path, cache)) {
        return key;
    }
    std::wstring removed;
    REGSAM flags = KEY_READ;
    if (SelectRegistryView(path, removed, flags)) {
        return key;
    }
    const auto [hive, subkey] = HiveAndSubkey(path);
    RegOpenKeyExW(HiveHandle(hive), subkey.c_str(), 0, flags, key.Receive());
    return key;
}

bool ValueExists(HKEY key, const std::wstring& name)
{
    // Any failure other than "not found" would be an error; both count as absent here.
    return RegGetValueW(key, nullptr, name.c_str(), RRF_RT_ANY, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

DWORD QueryValueType(HKEY key, const std::wstring& name)
{
    DWORD type = 0;
    return RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, nullptr) == ERROR_SUCCESS ? type : 0;
}

std::wstring ReadStringValue(HKEY key, const std::wstring& subkey, const std::wstring& name)
{
    const wchar_t* sub = subkey.empty() ? nullptr : subkey.c_str();
    DWORD bytes = 0;
    LONG status = RegGetValueW(key, sub, name.c_str(), RRF_RT_REG_SZ, nullptr, nullptr, &bytes);
    if (status != ERROR_SUCCESS) {
        throw win32::RegistryError("Cannot read string from registry", status);
    }
    std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    status = RegGetValueW(key, sub, name.c_str(), RRF_RT_REG_SZ, nullptr, buffer.data(), &bytes);
    if (status != ERROR_SUCCESS) {
        throw win32::RegistryError("Cannot read string from registry", status);
    }
    // The size counts the terminating zero.
    const std::size_t units = bytes / sizeof(wchar_t);
    return std::wstring(buffer.data(), units > 0 ? units - 1 : 0);
}

std::vector<std::wstring> EnumerateSubkeys(HKEY key)
{
    DWORD count = 0;
    DWORD longest = 0;
    LONG status = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &count, &longest, nullptr, nullptr, nullptr,
                                   nullptr, nullptr, nullptr);
    if (status != ERROR_SUCCESS) {
        throw win32::RegistryError("RegQueryInfoKey failed while preparing for subkey enumeration.", status);
    }
    std::vector<wchar_t> buffer(longest + 1, L'\0');
    std::vector<std::wstring> names;
    for (DWORD index = 0; index < count; ++index) {
        DWORD length = longest + 1;
        status = RegEnumKeyExW(key, index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (status != ERROR_SUCCESS) {
            throw win32::RegistryError("Cannot enumerate subkeys: RegEnumKeyEx failed.", status);
        }
        names.push_back(Lower(std::wstring(buffer.data(), length)));
    }
    return names;
}

std::optional<std::wstring> ReadValueAsText(const std::wstring& hive, const std::wstring& keyPath,
                                            const std::wstring& name, SubkeyCache& cache)
{
    const std::wstring base = hive + L"\\";
    std::vector<std::wstring> candidates{base + keyPath};
    if (MachineFacts::IsWow64() && keyPath.compare(0, 8, L"software") == 0) {
        candidates.push_back(base + keyPath.substr(0, 8) + L"\\wow6432node" + keyPath.substr(8));
    }
    for (const std::wstring& candidate : candidates) {
        const UniqueRegKey key = OpenExistingKey(candidate, cache);
        if (!key || !ValueExists(key.Get(), name)) {
            continue;
        }
        try {
            if (auto text = ValueText(key.Get(), name)) {
                return text;
            }
        } catch (const win32::RegistryError&) {
            // This candidate cannot be read: the next one may.
        }
    }
    return std::nullopt;
}

bool ValueDataMatches(HKEY key, const std::wstring& name, DWORD type, const std::wstring& expected)
{
    switch (type) {
    case REG_SZ:
        return Lower(ReadStringValue(key, std::wstring(), name)) == expected;
    case REG_DWORD:
        return ReadNumber<DWORD>(key, name, RRF_RT_REG_DWORD, "Cannot read DWORD from registry.") ==
               std::stoul(expected, nullptr, 10);
    case REG_QWORD:
        return ReadNumber<std::uint64_t>(key, name, RRF_RT_REG_QWORD, "Cannot read QWORD from registry.") ==
               std::stoull(expected, nullptr, 10);
    default:
        return false;
    }
}

bool WriteDword(HKEY root, const std::wstring& keyPath, const std::wstring& name, DWORD value)
{
    UniqueRegKey key;
    if (RegCreateKeyExW(root, keyPath.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.Receive(), nullptr) !=
        ERROR_SUCCESS) {
        return false;
    }
    return RegSetValueExW(key.Get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof(value)) == ERROR_SUCCESS;
}

}  // namespace RegistryAccess
