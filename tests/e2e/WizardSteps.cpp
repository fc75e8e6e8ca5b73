#include "WizardSteps.h"

#include "BuildVariant.h"
#include "framework/TextConversion.h"

#include <doctest/doctest.h>

#include <cwchar>
#include <filesystem>

using namespace std::chrono_literals;

namespace WizardSteps {

void ExpectPage(WizardDriver& wizard, const char* page, std::chrono::seconds limit)
{
    if (wizard.WaitForPage(page, limit)) {
        return;
    }
    std::string log;
    for (const std::string& message : wizard.LogMessages()) {
        log += message + "\n";
    }
    INFO("the setup's log:\n" << log);
    FAIL("expected " << std::string(page) << ", the wizard showed " << wizard.LastPage());
}

void PassIntroduction(WizardDriver& wizard, const std::string& next)
{
    REQUIRE(wizard.Main());
    ExpectPage(wizard, IsIsvBuild() ? "LanguagePageKV" : "LanguagePage");
    CHECK(ToUtf8(wizard.Text(kNext)) == next);
    REQUIRE(wizard.Click(kNext));
    ExpectPage(wizard, "LoadingPage");
    if (IsHeritageBuild()) {
        ExpectPage(wizard, "WarningPageKVHeritage", 90s);
        REQUIRE(wizard.Click(kNext));
    }
    ExpectPage(wizard, IsIsvBuild() ? "LicensePage" : "WelcomePage", 90s);
    REQUIRE(wizard.Click(IsIsvBuild() ? kAgree : kNext));
}

void PassHeritageOptions(WizardDriver& wizard)
{
    if (IsHeritageBuild()) {
        ExpectPage(wizard, "OptionsPageKVHeritage");
        REQUIRE(wizard.Click(kNext));
        ExpectPage(wizard, "ConfigurationsPageKVHeritage");
        REQUIRE(wizard.Click(kNext));
    }
}

void ExpectOffer(WizardDriver& wizard, const std::wstring& name)
{
    ExpectPage(wizard, "ProductPage");
    CHECK(wizard.VisibleTexts().find(name) != std::wstring::npos);
}

const char* DownloadPage()
{
    return IsIsvBuild() ? "DownloadPageISV" : "DownloadPageDLM";
}

const char* FinishPage()
{
    return IsIsvBuild() ? "FinishPageISV" : "FinishPageDLM";
}

void ExpectTemporaryFolderRemoved(const WizardDriver& wizard)
{
    const std::string prefix = "Temporary folder ";
    const std::string removed = " removed";
    std::string last;
    for (const std::string& message : wizard.LogMessages()) {
        if (message.rfind(prefix, 0) == 0) {
            last = message;
        }
    }
    INFO(last);
    REQUIRE(last.size() > prefix.size() + removed.size());
    REQUIRE(last.compare(last.size() - removed.size(), removed.size(), removed) == 0);
    const std::string folder = last.substr(prefix.size(), last.size() - prefix.size() - removed.size());
    CHECK_FALSE(std::filesystem::exists(std::filesystem::u8path(folder)));
}

void ExpectResponsive(const WizardDriver& wizard)
{
    MESSAGE("longest stall of the user-interface thread: " << wizard.LongestStall().count() << " ms; "
                                                           << wizard.Stalls());
    CHECK(wizard.LongestStall() <= WizardDriver::StallLimit());
}

}  // namespace WizardSteps
