#pragma once

#include "framework/UniqueHandle.h"

#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// Reading the registry for the offer checks. Registry failures are win32::RegistryError; where an
// operation says so they are caught and count as "absent". Every key an operation opens is closed
// on every way out; keys passed in stay open for their owner.
namespace RegistryAccess {

// What one pass of the checks has learnt of the registry, which does not change during the pass.
// Owned by the pass.
struct SubkeyCache {
    // Lower-cased names of the subkeys of a root's second-level key ("software"), sorted, per root
    // and view (0 or KEY_WOW64_64KEY). An empty list has not been filled yet.
    std::map<HKEY, std::map<REGSAM, std::map<std::wstring, std::vector<std::wstring>>>> subkeys;
    // Whether a full key path exists, as KeyExists found it: offers often name the same keys.
    std::unordered_map<std::wstring, bool> keys;
};

// Whether a full, lower-case key path exists. Below a "software" key the first segment after it is
// looked up in the cache (one enumeration per root and view) before any key is opened.
bool KeyExists(const std::wstring& path, SubkeyCache& cache);

// For a lower-case path relative to "software" (no hive, as offers write most keys): false when no
// candidate of it can exist, its first segment being in none of the cached "software" lists of the
// hives and views its candidates use; true when one may. Answers from the cache alone, without
// building a candidate path: nearly every key an offer names is absent.
bool MayExistBelowSoftware(std::wstring_view relativePath, SubkeyCache& cache);

// Opens a full, lower-case key path for reading in the view its path names, when KeyExists says it
// is there; empty when it is not or cannot be opened.
UniqueRegKey OpenExistingKey(std::wstring path, SubkeyCache& cache);

// Whether the open key has the value; a failed query counts as absent.
bool ValueExists(HKEY key, const std::wstring& name);

// The value's type (REG_SZ, REG_DWORD, ...), 0 when it cannot be read.
DWORD QueryValueType(HKEY key, const std::wstring& name);

// A REG_SZ value; throws win32::RegistryError "Cannot read string from registry".
std::wstring ReadStringValue(HKEY key, const std::wstring& subkey, const std::wstring& name);

// The lower-cased names of the open key's subkeys, in enumeration order; throws win32::RegistryError.
std::vector<std::wstring> EnumerateSubkeys(HKEY key);

// The value as text (a string as it is, a 32- or 64-bit number in unsigned decimal), trying the
// native view first and, under WOW64 for a key path starting with "software", the redirected one.
// Nothing when no candidate holds such a value. The hive must be a long hive name.
std::optional<std::wstring> ReadValueAsText(const std::wstring& hive, const std::wstring& keyPath,
                                            const std::wstring& name, SubkeyCache& cache);

// Whether the value holds the expected (lower-case) data: a string compared lower-cased, a number
// compared with the data read as a decimal number. Throws win32::RegistryError for a failed read and
// std::invalid_argument or std::out_of_range for data that is not a number.
bool ValueDataMatches(HKEY key, const std::wstring& name, DWORD type, const std::wstring& expected);

// Creates the key if needed (no view flag: under WOW64 a path below "SOFTWARE" lands in the
// redirected view) and sets the REG_DWORD value. False when either fails.
bool WriteDword(HKEY root, const std::wstring& keyPath, const std::wstring& name, DWORD value);

}  // namespace RegistryAccess
