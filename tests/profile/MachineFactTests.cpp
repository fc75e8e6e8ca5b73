#include <doctest/doctest.h>

#include "WineEnvironment.h"
#include "profile/ConfigurationManager.h"
#include "profile/MachineFacts.h"

#include <cctype>
#include <chrono>
#include <cstdlib>

TEST_CASE("The session id is the local time of first use and stays the same for the run")
{
    auto configuration = ConfigurationManager::Instance();
    const std::string first = configuration->SessionId();
    REQUIRE(first.size() == 14);
    for (char ch : first) {
        CHECK(std::isdigit(static_cast<unsigned char>(ch)));
    }
    SYSTEMTIME now{};
    GetLocalTime(&now);
    CHECK(std::stoi(first.substr(0, 4)) == now.wYear);
    Sleep(1100);
    CHECK(configuration->SessionId() == first);
}

TEST_CASE("The user id is the prefix's MachineGuid")
{
    const auto expected =
        WineEnvironment::RegistryFileValue("system.reg", "Software\\\\Microsoft\\\\Cryptography", "MachineGuid");
    REQUIRE(expected.has_value());
    CHECK(expected->size() == 36);
    CHECK(ConfigurationManager::Instance()->UserId() == *expected);
    CHECK(MachineFacts::MachineGuid() == *expected);
}

TEST_CASE("The millisecond clock agrees with the standard clock")
{
    const auto standard = std::chrono::duration_cast<std::chrono::milliseconds>(
                              std::chrono::system_clock::now().time_since_epoch())
                              .count();
    const long long ours = std::stoll(ConfigurationManager::CurrentTimeMillis());
    CHECK(std::llabs(ours - standard) < 2000);
}

TEST_CASE("The file version comes from the version resource, and is empty without one")
{
    CHECK(MachineFacts::FileVersion(GetModuleHandleW(nullptr)) == TESSERA_VERSION_TEXT_W);
    const std::wstring unversioned = WineEnvironment::WindowsPathOfHostPath(TESSERA_UNVERSIONED_EXE);
    HMODULE module = LoadLibraryExW(unversioned.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    REQUIRE(module != nullptr);
    CHECK(MachineFacts::FileVersion(module).IsEmpty());
    FreeLibrary(module);
}
