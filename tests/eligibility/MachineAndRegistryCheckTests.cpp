#include <doctest/doctest.h>

#include "OfferElements.h"
#include "eligibility/AppPathsChecks.h"
#include "eligibility/BrowserChecks.h"
#include "eligibility/FileAndProcessChecks.h"
#include "eligibility/MachineChecks.h"
#include "eligibility/RegistryContentChecks.h"
#include "framework/UniqueHandle.h"
#include "profile/ConfigurationManager.h"
#include "remote/Package.h"

#include <shlwapi.h>

#include <string>

using nlohmann::json;

namespace {

const std::string kNoRefusal = "(admitted)";

std::string ReasonOf(const Refusal& refusal)
{
    return refusal ? *refusal : kNoRefusal;
}

std::wstring Widen(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

// A key of the test's own below HKCU\Software, removed at the end.
class UserKey {
public:
    explicit UserKey(const std::wstring& relative) : m_path(L"Software\\" + relative)
    {
        REQUIRE(RegCreateKeyExW(HKEY_CURRENT_USER, m_path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                m_key.Receive(), nullptr) == ERROR_SUCCESS);
    }
    ~UserKey()
    {
        m_key.Reset();
        RegDeleteTreeW(HKEY_CURRENT_USER, m_path.c_str());
    }
    void Set(const wchar_t* name, DWORD type, const void* data, DWORD size) const
    {
        REQUIRE(RegSetValueExW(m_key.Get(), name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS);
    }
    void SetText(const wchar_t* name, DWORD type, const std::wstring& text) const
    {
        Set(name, type, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }

private:
    std::wstring m_path;
    UniqueRegKey m_key;
};

std::string Unique(const char* stem)
{
    return stem + std::to_string(GetCurrentProcessId());
}

}  // namespace

TEST_CASE("Machine requirements: presets, Windows version codes and the setup's own version")
{
    MachineChecks checks;
    // "x" 1 asks for 250 MB whatever "ram" said: any machine has that.
    CHECK(ReasonOf(checks.CheckMemory(*MakeOffer({{"ram", 4000000}, {"x", 1}}))) == kNoRefusal);
    CHECK(ReasonOf(checks.CheckMemory(*MakeOffer({{"ram", 4000000}}))) == "NOT ENOUGH RAM");
    CHECK(ReasonOf(checks.CheckDisk(*MakeOffer({{"disk", 1}}))) == kNoRefusal);
    CHECK(ReasonOf(checks.CheckDisk(*MakeOffer({{"disk", 1LL << 40}}))) == "NOT ENOUGH DISK SPACE");
    CHECK(ReasonOf(checks.CheckProcessor(*MakeOffer({{"cpu", 1}}))) == kNoRefusal);
    CHECK(ReasonOf(checks.CheckProcessor(*MakeOffer({{"cpu", 1000000}}))) == "NOT ENOUGH CPU");

    for (int code : {64, 7, 10}) {
        CAPTURE(code);
        CHECK(ReasonOf(checks.CheckWindowsVersion(*MakeOffer({{"ov", code}}))) == "UNSUPPORTED OS VERSION");
    }
    for (int code : {0, -5, 61}) {
        CAPTURE(code);
        CHECK(ReasonOf(checks.CheckWindowsVersion(*MakeOffer({{"ov", code}}))) == kNoRefusal);
    }

    auto configuration = ConfigurationManager::Instance();
    const CString savedVersion = configuration->m_version;
    configuration->m_version = L"3.2.0.7";
    for (const char* passes : {"3.2", "3", "3..2", "x.9", "3.2.0.7"}) {
        CAPTURE(passes);
        CHECK(ReasonOf(checks.CheckSetupVersion(*MakeOffer({{"pv", passes}}))) == kNoRefusal);
    }
    for (const char* refuses : {"3.2.1", "3.10", "3.2.0.8", "4"}) {
        CAPTURE(refuses);
        CHECK(ReasonOf(checks.CheckSetupVersion(*MakeOffer({{"pv", refuses}}))) == "UNSUPPORTED PLATFORM VERSION");
    }
    configuration->m_version = savedVersion;
}

TEST_CASE("Files that must not exist or of which one must, and programs that must not run")
{
    FileAndProcessChecks checks;
    const std::string existing = "C:\\windows\\system32\\notepad.exe";
    REQUIRE(PathFileExistsA(existing.c_str()));
    CHECK(ReasonOf(checks.CheckBlockingFiles(*MakeOffer({{"fe", json::array()}}))) == kNoRefusal);
    CHECK(ReasonOf(checks.CheckRequiredFiles(*MakeOffer({{"ife", json::array()}}))) == kNoRefusal);
    CHECK(ReasonOf(checks.CheckBlockingFiles(*MakeOffer({{"fe", {"C:\\no\\such.file", existing}}}))) ==
          "FILE EXISTS");
    CHECK(ReasonOf(checks.CheckRequiredFiles(*MakeOffer({{"ife", {"C:\\no\\such.file", existing}}}))) == kNoRefusal);
    CHECK(ReasonOf(checks.CheckRequiredFiles(*MakeOffer({{"ife", {"C:\\no\\such.file", "{nope}\\x"}}}))) ==
          "NONE OF THE FILES EXISTS");

    // A share or device path is never touched: the elevated setup would log on to other hosts or wait
    // on a device. The file exists all the same, but counts as absent.
    for (const std::string& elsewhere : std::vector<std::string>{"\\\\?\\" + existing, "\\\\localhost\\c$\\windows\\system32\\notepad.exe",
                                         "//localhost/c$/windows/system32/notepad.exe", "\\\\.\\" + existing,
                                         "\\??\\" + existing}) {
        CAPTURE(elsewhere);
        CHECK(ReasonOf(checks.CheckBlockingFiles(*MakeOffer({{"fe", {elsewhere}}}))) == kNoRefusal);
        CHECK(ReasonOf(checks.CheckRequiredFiles(*MakeOffer({{"ife", {elsewhere}}}))) == "NONE OF THE FILES EXISTS");
    }

    // A program of a unique name with a dot in its stem, held suspended while the checks look.
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    const std::string stem = Unique("Probe") + ".Beta";
    const std::wstring copy = folder + Widen(stem) + L".EXE";
    REQUIRE(CopyFileW(L"C:\\windows\\system32\\notepad.exe", copy.c_str(), FALSE));
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    REQUIRE(CreateProcessW(copy.c_str(), nullptr, nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr,
                           &startup, &info));
    const UniqueKernelHandle process(info.hProcess);
    const UniqueKernelHandle thread(info.hThread);

    CHECK(ReasonOf(checks.CheckRunningPrograms(*MakeOffer({{"a", {"nothing-like-it", stem}}}))) ==
          "APPLICATION RUNNING");
    CHECK(ReasonOf(checks.CheckRunningPrograms(*MakeOffer({{"a", {stem + ".exe"}}}))) == "APPLICATION RUNNING");
    CHECK(ReasonOf(checks.CheckRunningPrograms(*MakeOffer({{"a", {Unique("probe")}}}))) == kNoRefusal);
    CHECK(ReasonOf(checks.CheckRunningPrograms(*MakeOffer({{"a", json::array()}}))) == kNoRefusal);

    TerminateProcess(process.Get(), 0);
    WaitForSingleObject(process.Get(), 5000);
    DeleteFileW(copy.c_str());
}

TEST_CASE("Registry keys, values and data keep an offer away")
{
    RegistryAccess::SubkeyCache cache;
    const RegistryContentChecks checks(cache);
    const std::string vendor = Unique("TesseraVendor");
    const UserKey app(Widen(vendor) + L"\\App");
    const DWORD build = 1234;
    const std::uint64_t wide = 1234;
    app.Set(L"build", REG_DWORD, &build, sizeof(build));
    app.Set(L"wide", REG_QWORD, &wide, sizeof(wide));
    app.SetText(L"text", REG_SZ, L"1234");
    app.SetText(L"expand", REG_EXPAND_SZ, L"1234");
    app.SetText(L"mode", REG_SZ, L"Enabled");
    app.SetText(L"", REG_SZ, L"default");
    const std::string key = vendor + "\\app";

    CHECK(ReasonOf(checks.Check(*MakeOffer({{"r", {key}}}))) == "REGISTRY KEY EXISTS");
    // An empty entry ends the scan: the key after it is never looked at.
    CHECK(ReasonOf(checks.Check(*MakeOffer({{"r", {"", key}}}))) == kNoRefusal);
    CHECK(ReasonOf(checks.Check(*MakeOffer({{"ir", {"", key}}}))) == "NONE OF THE REGISTRY KEYS EXISTS");
    CHECK(ReasonOf(checks.Check(*MakeOffer({{"ir", {vendor + "\\other", "hkcu\\software\\" + key}}}))) == kNoRefusal);

    CHECK(ReasonOf(checks.Check(*MakeOffer({{"rvn", {key + "\\build"}}}))) == "REGISTRY VALUE EXISTS");
    CHECK(ReasonOf(checks.Check(*MakeOffer({{"rvn", {key + "\\"}}}))) == "REGISTRY VALUE EXISTS");
    CHECK(ReasonOf(checks.Check(*MakeOffer({{"rvn", {key + "\\missing"}}}))) == kNoRefusal);

    for (const char* name : {"build", "wide", "text"}) {
        CAPTURE(name);
        CHECK(ReasonOf(checks.Check(*MakeOffer({{"rvd", {"", key + "\\" + name + "\\1234"}}}))) ==
              "REGISTRY VALUE DATA MATCHES");
    }
    CHECK(ReasonOf(checks.Check(*MakeOffer({{"rvd", {key + "\\expand\\1234"}}}))) == kNoRefusal);
    CHECK(ReasonOf(checks.Check(*MakeOffer({{"rvd", {key + "\\mode\\ENABLED"}}}))) == "REGISTRY VALUE DATA MATCHES");
    CHECK(ReasonOf(checks.Check(*MakeOffer({{"rvd", {key + "\\build\\1235"}}}))) == kNoRefusal);
    CHECK_THROWS_AS(checks.Check(*MakeOffer({{"rvd", {key + "\\build\\abc"}}})), std::invalid_argument);
}

TEST_CASE("Applications registered under App Paths count only with an existing file, by lower-case name")
{
    const std::wstring appPaths = L"Microsoft\\Windows\\CurrentVersion\\App Paths\\";
    const std::string present = Unique("tessera-present") + ".exe";
    const std::string quoted = Unique("tessera-quoted") + ".exe";
    const UserKey presentKey(appPaths + Widen(present));
    presentKey.SetText(L"", REG_SZ, L"C:\\windows\\system32\\notepad.exe");
    const UserKey quotedKey(appPaths + Widen(quoted));
    quotedKey.SetText(L"", REG_SZ, L"\"C:\\windows\\system32\\notepad.exe\"");

    AppPathsChecks checks;
    CHECK(ReasonOf(checks.Check(*MakeOffer({{"iapp", {present}}}))) == kNoRefusal);
    std::string capitalised = present;
    capitalised[0] = 'T';
    CHECK(ReasonOf(checks.Check(*MakeOffer({{"iapp", {capitalised}}}))) == "REGISTRY INCLUDE APP NOT FOUND");
    CHECK(ReasonOf(checks.Check(*MakeOffer({{"iapp", {quoted}}}))) == "REGISTRY INCLUDE APP NOT FOUND");
    CHECK(ReasonOf(checks.Check(*MakeOffer({{"eapp", {quoted, present}}}))) == "REGISTRY EXCLUDE APP FOUND");
    CHECK(ReasonOf(checks.Check(*MakeOffer({{"eapp", {quoted}}}))) == kNoRefusal);
}

TEST_CASE("The Internet Explorer version: older than 9 refuses, as read from the registry")
{
    RegistryAccess::SubkeyCache cache;
    const BrowserChecks checks(cache);
    UniqueRegKey ie;
    REQUIRE(RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Internet Explorer", 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, ie.Receive(), nullptr) == ERROR_SUCCESS);
    wchar_t saved[64] = {};
    DWORD savedSize = sizeof(saved);
    const bool hadVersion = RegQueryValueExW(ie.Get(), L"Version", nullptr, nullptr, reinterpret_cast<BYTE*>(saved),
                                             &savedSize) == ERROR_SUCCESS;
    const auto setVersion = [&ie](const std::wstring& version) {
        RegSetValueExW(ie.Get(), L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version.c_str()),
                       static_cast<DWORD>((version.size() + 1) * sizeof(wchar_t)));
    };
    const auto offer = MakeOffer({{"x", 2}});
    setVersion(L"8.0.7601.17514");
    CHECK(ReasonOf(checks.CheckInternetExplorer(*offer)) == "OLD IE VERSION");
    setVersion(L"9.0");
    CHECK(ReasonOf(checks.CheckInternetExplorer(*offer)) == kNoRefusal);
    setVersion(L"11.0");
    CHECK(ReasonOf(checks.CheckInternetExplorer(*offer)) == kNoRefusal);
    setVersion(L"not a number");
    CHECK_THROWS_AS(checks.CheckInternetExplorer(*offer), std::invalid_argument);
    CHECK(ReasonOf(checks.CheckInternetExplorer(*MakeOffer())) == kNoRefusal);

    if (hadVersion) {
        RegSetValueExW(ie.Get(), L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(saved), savedSize);
    } else {
        RegDeleteValueW(ie.Get(), L"Version");
    }
}
