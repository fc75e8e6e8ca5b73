#include <doctest/doctest.h>

#include "framework/UniqueHandle.h"

namespace {

bool IsOpen(HANDLE handle)
{
    DWORD flags = 0;
    return GetHandleInformation(handle, &flags) != FALSE;
}

}  // namespace

TEST_CASE("UniqueHandle closes its handle on every way out")
{
    HANDLE raw = nullptr;
    {
        UniqueKernelHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        raw = event.Get();
        REQUIRE(IsOpen(raw));
    }
    CHECK_FALSE(IsOpen(raw));

    SUBCASE("moving hands ownership over and closes what the target held")
    {
        UniqueKernelHandle first(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        UniqueKernelHandle second(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        HANDLE firstRaw = first.Get();
        HANDLE secondRaw = second.Get();
        second = std::move(first);
        CHECK_FALSE(IsOpen(secondRaw));
        CHECK(second.Get() == firstRaw);
        CHECK_FALSE(first.IsValid());
    }

    SUBCASE("Release gives the handle up without closing it")
    {
        UniqueKernelHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        HANDLE released = event.Release();
        CHECK_FALSE(event.IsValid());
        CHECK(IsOpen(released));
        CloseHandle(released);
    }
}

TEST_CASE("File handles treat INVALID_HANDLE_VALUE, not NULL, as empty")
{
    UniqueFileHandle missing(CreateFileW(L"C:\\no\\such\\folder\\file.txt", GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                         0, nullptr));
    CHECK_FALSE(missing.IsValid());
    CHECK(missing.Get() == INVALID_HANDLE_VALUE);

    UniqueRegKey key;
    CHECK(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE", 0, KEY_READ, key.Receive()) == ERROR_SUCCESS);
    CHECK(key.IsValid());
}
