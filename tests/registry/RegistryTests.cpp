#include <doctest/doctest.h>

#include "framework/UniqueHandle.h"
#include "profile/MachineFacts.h"
#include "registry/RegistryAccess.h"
#include "registry/RegistryError.h"
#include "registry/RegistryPaths.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

using namespace RegistryAccess;
using namespace RegistryPaths;
using Paths = std::vector<std::wstring>;

namespace {

// A key of the test's own directly below HKLM\Software, in one view, with values and subkeys; it is
// removed again at the end. Its name is lower-case, as the checks' paths are.
class TestKey {
public:
    explicit TestKey(REGSAM view) : m_view(view), m_name(L"tesseratest" + std::to_wstring(GetCurrentProcessId()))
    {
        REQUIRE(RegCreateKeyExW(HKEY_LOCAL_MACHINE, (L"Software\\" + m_name).c_str(), 0, nullptr, 0,
                                KEY_ALL_ACCESS | m_view, nullptr, m_key.Receive(), nullptr) == ERROR_SUCCESS);
    }
    ~TestKey()
    {
        m_key.Reset();
        RegDeleteTreeW(Software().Get(), m_name.c_str());
        RegDeleteKeyExW(Software().Get(), m_name.c_str(), m_view, 0);
    }

    const std::wstring& Name() const { return m_name; }
    HKEY Get() const { return m_key.Get(); }
    void AddSubkey(const wchar_t* name) const
    {
        UniqueRegKey sub;
        REQUIRE(RegCreateKeyExW(m_key.Get(), name, 0, nullptr, 0, KEY_ALL_ACCESS | m_view, nullptr, sub.Receive(),
                                nullptr) == ERROR_SUCCESS);
    }
    template <class T>
    void Set(const wchar_t* name, DWORD type, const T& data, DWORD size = sizeof(T)) const
    {
        REQUIRE(RegSetValueExW(m_key.Get(), name, 0, type, reinterpret_cast<const BYTE*>(&data), size) ==
                ERROR_SUCCESS);
    }
    void SetText(const wchar_t* name, DWORD type, const std::wstring& text) const
    {
        REQUIRE(RegSetValueExW(m_key.Get(), name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                               static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS);
    }

private:
    UniqueRegKey Software() const
    {
        UniqueRegKey software;
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software", 0, KEY_ALL_ACCESS | m_view, software.Receive());
        return software;
    }

    REGSAM m_view;
    std::wstring m_name;
    UniqueRegKey m_key;
};

// The native view: the 64-bit one under WOW64, the only one without.
REGSAM NativeView()
{
    return MachineFacts::IsWow64() ? KEY_WOW64_64KEY : 0;
}

}  // namespace

TEST_CASE("Loosely written paths resolve to the candidate keys in order")
{
    CHECK(SplitRegistryPath(L"a\\b\\", L'\\') == Paths{L"a", L"b"});
    CHECK(SplitRegistryPath(L"a\\\\b", L'\\') == Paths{L"a", L"", L"b"});
    CHECK(SplitRegistryPath(L"", L'\\').empty());

    CHECK(ResolveKeyCandidates(L"").empty());
    CHECK(ResolveKeyCandidates(L"hklm\\software\\x") == Paths{L"hkey_local_machine\\software\\x"});
    CHECK(ResolveKeyCandidates(L"hku\\s-1-5-18\\x") == Paths{L"hkey_users\\s-1-5-18\\x"});
    CHECK(ResolveKeyCandidates(L"hkey_users\\s-1-5-18\\x") == Paths{L"hkey_users\\s-1-5-18\\x"});
    Paths relative{L"hkey_local_machine\\software\\hkcuz\\x", L"hkey_current_user\\software\\hkcuz\\x"};
    if (MachineFacts::IsWow64()) {
        relative.push_back(L"hkey_local_machine\\software\\wow6432node\\hkcuz\\x");
        relative.push_back(L"hkey_current_user\\software\\wow6432node\\hkcuz\\x");
    }
    CHECK(ResolveKeyCandidates(L"hkcuz\\x") == relative);

    CHECK(HiveHandle(L"hkey_current_user") == HKEY_CURRENT_USER);
    CHECK_THROWS_AS(HiveHandle(L"hkcu"), std::out_of_range);
}

TEST_CASE("The view follows the path: wow6432node means the redirected view, anything else the native one")
{
    std::wstring removed;
    REGSAM flags = 0;
    std::wstring redirected = L"hkey_local_machine\\software\\wow6432node\\vendor\\app";
    const bool impossible = SelectRegistryView(redirected, removed, flags);
    std::wstring native = L"hkey_local_machine\\software\\vendor\\app";
    REGSAM nativeFlags = 0;
    CHECK_FALSE(SelectRegistryView(native, removed, nativeFlags));
    CHECK(native == L"hkey_local_machine\\software\\vendor\\app");
    if (MachineFacts::IsWow64()) {
        CHECK_FALSE(impossible);
        CHECK(redirected == L"hkey_local_machine\\software\\vendor\\app");
        CHECK(removed == L"wow6432node\\");
        CHECK(flags == 0);
        CHECK(nativeFlags == KEY_WOW64_64KEY);
    } else {
        CHECK(impossible);
        CHECK(nativeFlags == 0);
    }
    std::wstring other = L"hkey_users\\s-1-5-18\\x";
    REGSAM otherFlags = 0;
    CHECK_FALSE(SelectRegistryView(other, removed, otherFlags));
    CHECK(otherFlags == 0);
    std::wstring bare = L"hkey_local_machine\\software\\";
    CHECK_THROWS_AS(SelectRegistryView(bare, removed, otherFlags), std::out_of_range);
}

TEST_CASE("Keys are found in the view their path names, and the cache answers for absent first segments")
{
    const TestKey key(NativeView());
    key.AddSubkey(L"Vendor\\App");
    SubkeyCache cache;
    const std::wstring native = L"hkey_local_machine\\software\\" + key.Name() + L"\\vendor\\app";
    const std::wstring redirected = L"hkey_local_machine\\software\\wow6432node\\" + key.Name() + L"\\vendor\\app";
    CHECK(KeyExists(native, cache));
    CHECK_FALSE(KeyExists(redirected, cache));
    CHECK_FALSE(KeyExists(L"hkey_local_machine\\software\\" + key.Name() + L"\\vendor\\other", cache));
    CHECK_FALSE(KeyExists(L"hkey_local_machine\\software\\" + key.Name() + L"-absent\\x", cache));
    CHECK(KeyExists(L"hkey_local_machine\\system", cache));
    CHECK_FALSE(KeyExists(L"hkey_local_machine\\no-such-key", cache));
    CHECK_THROWS_AS(KeyExists(L"hklm\\software", cache), std::out_of_range);

    SUBCASE("the relative form is found through its candidates")
    {
        bool found = false;
        for (const auto& candidate : ResolveKeyCandidates(key.Name() + L"\\vendor\\app")) {
            found = found || KeyExists(candidate, cache);
        }
        CHECK(found);
    }
}

TEST_CASE("Values read as text: strings as they are, numbers unsigned, other types not at all")
{
    const TestKey key(NativeView());
    key.Set(L"all-bits", REG_DWORD, DWORD{0xFFFFFFFF});
    key.Set(L"big", REG_QWORD, std::uint64_t{18446744073709551615ull});
    key.SetText(L"text", REG_SZ, L"Hello");
    key.SetText(L"empty", REG_SZ, L"");
    key.SetText(L"expand", REG_EXPAND_SZ, L"%TEMP%");
    key.SetText(L"multi", REG_MULTI_SZ, std::wstring(L"one\0two", 7));
    SubkeyCache cache;
    const std::wstring path = L"software\\" + key.Name();
    CHECK(ReadValueAsText(L"hkey_local_machine", path, L"all-bits", cache) == std::wstring(L"4294967295"));
    CHECK(ReadValueAsText(L"hkey_local_machine", path, L"big", cache) == std::wstring(L"18446744073709551615"));
    CHECK(ReadValueAsText(L"hkey_local_machine", path, L"text", cache) == std::wstring(L"Hello"));
    CHECK(ReadValueAsText(L"hkey_local_machine", path, L"empty", cache) == std::wstring());
    CHECK_FALSE(ReadValueAsText(L"hkey_local_machine", path, L"expand", cache));
    CHECK_FALSE(ReadValueAsText(L"hkey_local_machine", path, L"multi", cache));
    CHECK_FALSE(ReadValueAsText(L"hkey_local_machine", path, L"missing", cache));
    CHECK_THROWS_AS(ReadValueAsText(L"hklm", path, L"text", cache), std::out_of_range);

    CHECK(QueryValueType(key.Get(), L"big") == REG_QWORD);
    CHECK(QueryValueType(key.Get(), L"missing") == 0);
    CHECK(ValueExists(key.Get(), L"empty"));
    CHECK_FALSE(ValueExists(key.Get(), L"missing"));
    try {
        ReadStringValue(key.Get(), L"", L"missing");
        FAIL("a missing string was read");
    } catch (const win32::RegistryError& error) {
        CHECK(std::string(error.what()) == "Cannot read string from registry");
        CHECK(error.Status() == ERROR_FILE_NOT_FOUND);
    }
}

TEST_CASE("Value data matches as lower-case text or as a decimal number")
{
    const TestKey key(NativeView());
    key.SetText(L"name", REG_SZ, L"ABC");
    key.Set(L"build", REG_DWORD, DWORD{12});
    key.Set(L"wide", REG_QWORD, std::uint64_t{1234});
    key.SetText(L"path", REG_EXPAND_SZ, L"1234");
    CHECK(ValueDataMatches(key.Get(), L"name", REG_SZ, L"abc"));
    CHECK_FALSE(ValueDataMatches(key.Get(), L"name", REG_SZ, L"ab"));
    CHECK(ValueDataMatches(key.Get(), L"build", REG_DWORD, L"12abc"));
    CHECK_FALSE(ValueDataMatches(key.Get(), L"build", REG_DWORD, L"13"));
    CHECK_THROWS_AS(ValueDataMatches(key.Get(), L"build", REG_DWORD, L"abc"), std::invalid_argument);
    CHECK(ValueDataMatches(key.Get(), L"wide", REG_QWORD, L"1234"));
    CHECK_FALSE(ValueDataMatches(key.Get(), L"path", REG_EXPAND_SZ, L"1234"));
    CHECK_THROWS_AS(ValueDataMatches(key.Get(), L"missing", REG_DWORD, L"1"), win32::RegistryError);

    key.AddSubkey(L"Beta\\Inner");
    key.AddSubkey(L"ALPHA");
    std::vector<std::wstring> names = EnumerateSubkeys(key.Get());
    std::sort(names.begin(), names.end());
    CHECK(names == std::vector<std::wstring>{L"alpha", L"beta"});
}
