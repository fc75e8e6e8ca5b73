#include <doctest/doctest.h>

#include "WineEnvironment.h"
#include "framework/TextConversion.h"
#include "profile/ConfigurationManager.h"

namespace {

CString EnvironmentText(const char* name)
{
    return AnsiToCString(WineEnvironment::Variable(name));
}

}  // namespace

TEST_CASE("{commonpf} expands to the program files folder of the machine's own bitness")
{
    auto configuration = ConfigurationManager::Instance();
    const CString expanded = configuration->ExpandPathVariables(L"{commonpf}\\Vendor\\app.exe");
    if (WineEnvironment::PrefixArch() == "win64") {
        CHECK(expanded == L"C:\\Program Files\\Vendor\\app.exe");
        CHECK(expanded.Left(EnvironmentText("ProgramW6432").GetLength()) == EnvironmentText("ProgramW6432"));
        CHECK(configuration->ExpandPathVariables(L"{commonpf32}\\x") == L"C:\\Program Files (x86)\\x");
        CHECK(configuration->ExpandPathVariables(L"{commonpf64}\\x") == L"C:\\Program Files\\x");
        CHECK(configuration->m_pf64Variables.count(L"commonpf64") == 1);
    } else {
        CHECK(expanded == L"C:\\Program Files\\Vendor\\app.exe");
        CHECK(configuration->ExpandPathVariables(L"{commonpf64}\\x") == L"{commonpf64}\\x");
        CHECK(configuration->PathVariables().count(L"commonpf64") == 0);
        CHECK(configuration->m_pf64Variables.empty());
    }
    CHECK(configuration->m_pathVariablesReady);
}

TEST_CASE("{commonappdata} is the user's roaming application-data folder")
{
    auto configuration = ConfigurationManager::Instance();
    const CString roaming = EnvironmentText("APPDATA");
    REQUIRE_FALSE(roaming.IsEmpty());
    CHECK(configuration->ExpandPathVariables(configuration->m_installedExePath.IsEmpty()
                                                 ? CString(L"{commonappdata}\\Bramble Web\\bramweb.exe")
                                                 : configuration->m_installedExePath) ==
          roaming + L"\\Bramble Web\\bramweb.exe");
    CHECK(configuration->ExpandPathVariables(L"{localappdata}") == EnvironmentText("LOCALAPPDATA"));
    CHECK(configuration->ExpandPathVariables(L"{programdata}") == EnvironmentText("ProgramData"));
}

TEST_CASE("Path expansion replaces every occurrence and leaves unknown tokens as written")
{
    auto configuration = ConfigurationManager::Instance();
    const CString roaming = EnvironmentText("APPDATA");
    CHECK(configuration->ExpandPathVariables(L"{commonappdata};{commonappdata}") == roaming + L";" + roaming);
    CHECK(configuration->ExpandPathVariables(L"{comonappdata}\\x") == L"{comonappdata}\\x");
    CHECK(configuration->ExpandPathVariables(L"C:\\plain\\path") == L"C:\\plain\\path");
    CHECK(configuration->ExpandPathVariables(L"{commonappdata") == L"{commonappdata");
}
