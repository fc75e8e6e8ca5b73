#include <doctest/doctest.h>

#include "BuildVariant.h"
#include "MessageBoxRecorder.h"
#include "profile/ConfigurationManager.h"

#include <shlwapi.h>

#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

bool IsDirectory(const CString& path)
{
    return !path.IsEmpty() && PathIsDirectoryW(path);
}

// Points the temporary directory somewhere else for as long as it lives.
class TempDirectoryOverride {
public:
    explicit TempDirectoryOverride(const wchar_t* folder)
    {
        for (const wchar_t* name : {L"TMP", L"TEMP"}) {
            wchar_t value[MAX_PATH] = {};
            GetEnvironmentVariableW(name, value, MAX_PATH);
            m_saved.emplace_back(name, value);
            SetEnvironmentVariableW(name, folder);
        }
    }
    ~TempDirectoryOverride()
    {
        for (const auto& [name, value] : m_saved) {
            SetEnvironmentVariableW(name.c_str(), value.c_str());
        }
    }

private:
    std::vector<std::pair<std::wstring, std::wstring>> m_saved;
};

}  // namespace

TEST_CASE("Every thread gets the one ConfigurationManager")
{
    std::vector<ConfigurationManager*> seen(16, nullptr);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < seen.size(); ++i) {
        threads.emplace_back([&seen, i] { seen[i] = ConfigurationManager::Instance().get(); });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    const std::set<ConfigurationManager*> distinct(seen.begin(), seen.end());
    CHECK(distinct.size() == 1);
    CHECK(*distinct.begin() == ConfigurationManager::Instance().get());
}

TEST_CASE("The build values match the wizard type of this build")
{
    MessageBoxRecorder boxes;
    ConfigurationManager configuration;
    CHECK(boxes.Requests().empty());
    CHECK(configuration.m_reportDownloadFailures);
    CHECK(configuration.m_accountName == L"Kelvane");
    CHECK(configuration.m_productId == L"Bramble_Web");
    CHECK(configuration.m_setupId == L"Bramble_Web_CPP");
    CHECK(configuration.m_backgroundColor == 0xFFFFFF);
    CHECK(configuration.m_accentColor == 0x42BC7F);
    CHECK(configuration.m_configUrl.Right(2) == L"/o");
    CHECK(configuration.m_telemetryUrl.Right(4) == L"/zbd");
    CHECK(configuration.m_imageBaseUrl.Right(3) == L"/f/");
    CHECK(configuration.m_sdkLicenseUrl.IsEmpty());
    CHECK(configuration.m_version == TESSERA_VERSION_TEXT_W);

    if (IsIsvBuild()) {
        CHECK(configuration.m_wizardType == WIZARD_ISV);
        CHECK(configuration.m_productTitle == L"Bramble Web");
        CHECK(configuration.m_productUrl.Right(43) == L"/endpoint/bramweb/os/riserollout/track/beta");
        CHECK(configuration.m_privacyUrl.Right(22) == L"/legal/privacy-policy/");
        CHECK(configuration.m_termsUrl.Right(20) == L"/legal/terms-of-use/");
        CHECK(configuration.m_installArguments == L"/S");
        CHECK(configuration.m_installedExePath == L"{commonappdata}\\Bramble Web\\bramweb.exe");
        CHECK(configuration.m_launchArguments == L"/RUNONSTARTUP");
        CHECK(IsDirectory(configuration.m_tempFolder));
        CHECK(configuration.m_downloadFolder == configuration.m_tempFolder);
    } else {
        CHECK(configuration.m_wizardType == WIZARD_DLM);
        CHECK(configuration.m_productTitle.IsEmpty());
        CHECK(configuration.m_productUrl.IsEmpty());
        CHECK(IsDirectory(configuration.m_tempFolder));
        CHECK(IsDirectory(configuration.m_downloadFolder));
        CHECK(configuration.m_downloadFolder != configuration.m_tempFolder);
    }
}

TEST_CASE("Each configuration gets a new empty temporary folder of its own")
{
    ConfigurationManager first;
    ConfigurationManager second;
    REQUIRE(IsDirectory(first.m_tempFolder));
    REQUIRE(IsDirectory(second.m_tempFolder));
    CHECK(first.m_tempFolder != second.m_tempFolder);
    CHECK(PathIsDirectoryEmptyW(first.m_tempFolder));
    const CString name = first.m_tempFolder.Mid(first.m_tempFolder.ReverseFind(L'\\') + 1);
    CHECK(name.Left(3).CompareNoCase(L"ISV") == 0);
    RemoveDirectoryW(first.m_tempFolder);
    RemoveDirectoryW(second.m_tempFolder);
}

TEST_CASE("Without a usable temporary directory the folders stay empty and nothing is reported")
{
    MessageBoxRecorder boxes;
    TempDirectoryOverride missing(L"C:\\no\\such\\temporary\\folder");
    ConfigurationManager configuration;
    CHECK(configuration.m_tempFolder.IsEmpty());
    if (IsIsvBuild()) {
        CHECK(configuration.m_downloadFolder.IsEmpty());
    }
    CHECK(boxes.Requests().empty());
}
