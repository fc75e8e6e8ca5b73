#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Loosely written registry paths made concrete. Paths are lower-case wide text (callers lower-case a
// configured path first); every comparison here is exact.
namespace RegistryPaths {

// The text lower-cased unit by unit (towlower), as configured paths are before they are resolved.
std::wstring Lower(std::wstring text);

// The segments between the separators; two adjacent separators give an empty segment, a separator
// at the very end gives none.
std::vector<std::wstring> SplitRegistryPath(const std::wstring& path, wchar_t separator);

// The full key paths to try for a path: itself when it starts with a long hive name, the long form of
// a hive alias, or else the path below "software" of the local machine and the current user (and,
// under WOW64, of their redirected views), in that order. None for an empty path.
std::vector<std::wstring> ResolveKeyCandidates(const std::wstring& path);

// For a path below a "software" key: chooses the registry view. A path through "wow6432node" means
// the redirected view, which is the default for this 32-bit process: that segment is removed (and
// returned in removed) under WOW64, and the path cannot exist without WOW64 (true is returned).
// Any other such path means the native view: KEY_WOW64_64KEY is added under WOW64. Other paths are
// left alone. A path that ends right after "software" throws std::out_of_range.
bool SelectRegistryView(std::wstring& path, std::wstring& removed, REGSAM& flags);

// The predefined key of a long hive name; std::out_of_range for anything else (an alias included).
HKEY HiveHandle(const std::wstring& longName);

// Whether the path starts with "hkey_local_machine\software\" or "hkey_current_user\software\".
bool StartsWithSoftwarePrefix(const std::wstring& path);

// Whether the setup may write below this key of HKEY_LOCAL_MACHINE (any case): a key of its own below
// "SOFTWARE\", in either view, and never below the system's "Microsoft", "Policies" or "Classes" keys.
// Empty segments, "." and ".." are refused as well.
bool IsWritableMachineKey(const std::wstring& keyPath);

}  // namespace RegistryPaths
