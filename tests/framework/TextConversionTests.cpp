#include <doctest/doctest.h>

#include "framework/TextConversion.h"

#include <windows.h>

#include <stdexcept>

TEST_CASE("UTF-8 conversions round-trip text outside ASCII")
{
    const std::wstring wide = L"Bramble \x00E9\x4E2D\xD83D\xDE00";
    const std::string utf8 = ToUtf8(wide);
    CHECK(utf8 == "Bramble \xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80");
    CHECK(FromUtf8(utf8) == wide);
    CHECK(FromUtf8("").empty());
    CHECK(ToUtf8(std::wstring_view()).empty());
}

TEST_CASE("Invalid UTF-8 becomes replacement characters instead of failing")
{
    const std::wstring converted = FromUtf8("a\xFF" "b");
    CHECK(converted == L"a\xFFFD" L"b");
}

TEST_CASE("ANSI conversions use the thread's code page")
{
    const UINT codePage = GetACP();
    if (codePage != 1252) {
        MESSAGE("the ANSI code page is " << codePage << "; the Western-European case is skipped");
        return;
    }
    CHECK(ToAnsi(std::wstring_view(L"caf\x00E9")) == "caf\xE9");
    CHECK(FromAnsi("caf\xE9") == L"caf\x00E9");
    CHECK(AnsiToCString("plain") == L"plain");
}
