#include <doctest/doctest.h>

#include "FixtureRuns.h"
#include "PageTestHelpers.h"
#include "WineEnvironment.h"
#include "framework/MessagePump.h"
#include "framework/TextConversion.h"
#include "locale/LanguageManager.h"
#include "pages/FinishPageDlm.h"
#include "pages/FinishPageIsv.h"
#include "profile/ConfigurationManager.h"
#include "profile/MachineFacts.h"
#include "resource.h"
#include "transfer/ProcessLaunch.h"

#include <chrono>
#include <vector>

using namespace std::chrono_literals;

namespace {

CString Fixture(const char* name)
{
    return CString(WineEnvironment::WindowsPathOfHostPath(std::string(TESSERA_FIXTURES_DIR) + "/" + name));
}

std::vector<FixtureRun> WaitForRuns(const std::string& program)
{
    PumpMessagesUntil([&] { return !FixtureRuns(program).empty(); }, 15s);
    return FixtureRuns(program);
}

}  // namespace

TEST_CASE("The ISV finish page starts the installed product with its launch arguments unless cleared")
{
    // The real product installer puts the fake product where the finish page looks for it.
    REQUIRE(RunProcess(Fixture("fake_product_setup.exe"), L"/S", true).first == 0);
    // The ISV build's launch values, whatever this build is.
    const auto configuration = ConfigurationManager::Instance();
    configuration->m_installedExePath = L"{commonappdata}\\Bramble Web\\bramweb.exe";
    configuration->m_launchArguments = L"/RUNONSTARTUP";
    ClearFixtureRuns();
    auto manager = std::make_shared<LanguageManager>();
    PageHost host;
    FinishPageIsv page(manager, &host);
    REQUIRE(page.Create(page.TemplateId(), &host));
    std::vector<ButtonType> pressed;
    page.SetButtonHandler([&pressed](ButtonType type) { pressed.push_back(type); });
    CHECK(SendMessageW(GetDlgItem(page.m_hWnd, IDC_LAUNCH_CHECK), BM_GETCHECK, 0, 0) == BST_CHECKED);

    SUBCASE("checked: the product is started from the common application data with /RUNONSTARTUP")
    {
        ClickButton(page.m_hWnd, IDC_FINISH);
        const auto runs = WaitForRuns("bramweb");
        REQUIRE(runs.size() == 1);
        CHECK(runs[0].commandLine.find("/RUNONSTARTUP") != std::string::npos);
        const CString expected =
            ConfigurationManager::Instance()->ExpandPathVariables(L"{commonappdata}\\Bramble Web\\bramweb.exe");
        CHECK(Utf8ToCString(runs[0].path).CompareNoCase(expected) == 0);
    }
    SUBCASE("cleared: nothing is started")
    {
        ClickButton(page.m_hWnd, IDC_LAUNCH_CHECK);
        ClickButton(page.m_hWnd, IDC_FINISH);
        PumpMessagesFor(2s);
        CHECK(FixtureRuns("bramweb").empty());
    }
    CHECK(pressed == std::vector<ButtonType>{ButtonType::Finish});
}

TEST_CASE("The DLM finish page opens the downloaded file, or leaves it to the file explorer")
{
    ClearFixtureRuns();
    const CString folder = MachineFacts::CreateUniqueTempFolder();
    const CString downloaded = folder + L"\\downloaded.exe";
    REQUIRE(CopyFileW(Fixture("fake_offer_setup.exe"), downloaded, FALSE));
    ConfigurationManager::Instance()->m_downloadedFile = downloaded;
    auto manager = std::make_shared<LanguageManager>();
    PageHost host;
    FinishPageDlm page(manager, &host);
    REQUIRE(page.Create(page.TemplateId(), &host));
    std::vector<ButtonType> pressed;
    page.SetButtonHandler([&pressed](ButtonType type) { pressed.push_back(type); });

    SUBCASE("Launch, as it starts: the file is opened")
    {
        ClickButton(page.m_hWnd, IDC_FINISH);
        CHECK(WaitForRuns("downloaded").size() == 1);
    }
    SUBCASE("Open Folder: the file is shown, not run")
    {
        ClickButton(page.m_hWnd, IDC_OPEN_FOLDER_RADIO);
        CHECK(SendMessageW(GetDlgItem(page.m_hWnd, IDC_LAUNCH_RADIO), BM_GETCHECK, 0, 0) == BST_UNCHECKED);
        ClickButton(page.m_hWnd, IDC_FINISH);
        PumpMessagesFor(2s);
        CHECK(FixtureRuns("downloaded").empty());
    }
    CHECK(pressed == std::vector<ButtonType>{ButtonType::Finish});
}
