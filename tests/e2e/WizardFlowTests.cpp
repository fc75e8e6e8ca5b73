// Whole runs of the real setup, driven as a user drives them, against the stand-in service.
#include <doctest/doctest.h>

#include "BuildVariant.h"
#include "FixtureRuns.h"
#include "PlantedSetup.h"
#include "RunLocale.h"
#include "SentEvents.h"
#include "SetupRunFiles.h"
#include "StandInService.h"
#include "WizardDriver.h"
#include "WizardSteps.h"
#include "framework/TextConversion.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <filesystem>
#include <set>
#include <string>

using namespace std::chrono_literals;
using namespace WizardSteps;
using Packages = std::set<std::string>;
using Texts = std::map<std::string, std::string>;

namespace {

constexpr wchar_t kNoShowKey[] = L"SOFTWARE\\Tessera Tests";

// A run that meets one offer only: it is answered with the button, and the downloads begin.
void AnswerOnlyOffer(WizardDriver& wizard, const wchar_t* offer, int button)
{
    PassIntroduction(wizard);
    ExpectOffer(wizard, offer);
    REQUIRE(wizard.Click(button));
    PassHeritageOptions(wizard);
    ExpectPage(wizard, DownloadPage());
}

std::wstring RoamingProductFolder()
{
    wchar_t folder[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder);
    return std::wstring(folder) + L"\\Bramble Web";
}

bool NoShowRecordExists()
{
    DWORD size = 0;
    return RegGetValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Tessera Tests\\NoShow", L"pn-5501", RRF_RT_ANY, nullptr,
                        nullptr, &size) == ERROR_SUCCESS;
}

}  // namespace

TEST_CASE("Every offer accepted: everything installed, reported and launched" * doctest::skip(InSpanishRun()))
{
    StandInService service;
    service.LoadScenario("demo");
    ClearFixtureRuns();
    std::error_code ignored;
    std::filesystem::remove_all(RoamingProductFolder(), ignored);

    // Started from a folder where libraries named like the system's wait to be loaded in their place.
    const PlantedSetup planted;
    WizardDriver wizard("accept-all", planted.Environment(), planted.Executable());
    PassIntroduction(wizard);
    for (const wchar_t* offer : {L"Notarra", L"Harbourwall VPN", L"Playmoor"}) {
        CAPTURE(std::string(offer, offer + wcslen(offer)));
        ExpectOffer(wizard, offer);
        REQUIRE(wizard.Click(kAccept));
    }
    PassHeritageOptions(wizard);
    ExpectPage(wizard, DownloadPage());
    ExpectPage(wizard, FinishPage(), 240s);
    // The offers' installers are started without waiting; a folder whose programs still run could only
    // be removed at the next restart, and a user reads the finish page before pressing Finish.
    REQUIRE(WaitUntil([] { return FixtureRuns("playmoor-setup").size() == 1; }, 60s));
    Sleep(2000);
    REQUIRE(wizard.Click(kFinish));
    REQUIRE(wizard.WaitForExit(60s).has_value());
    ExpectResponsive(wizard);
    ExpectTemporaryFolderRemoved(wizard);
    CHECK(InOrder(wizard.LogMessages(), {"Configuration complete: 3 offer(s) handed to the wizard", "Tessera ended"}));
    // None of the libraries beside the setup was loaded, by it or by what it ran.
    CHECK(planted.Loaded() == std::vector<std::string>{});

    // The three offers a Wine machine refuses, each with its reason, and the four packages delivered.
    CHECK(AwaitEvents(service, "3", {"Bramble Web", "nt-2291", "hw-0774", "pm-1468"}));
    const SentEvents events(service);
    CHECK(events.Refused() == 0);
    CHECK(events.Packages("1").size() == 1);  // the setup's start, named before the configuration came
    const auto lost = OffersWithLostEvents(wizard.LogMessages(), "2");
    CHECK(events.Reasons("2") == WithoutLost({{"gs-5120", "UNSUPPORTED OS VERSION"},
                                              {"fv-3310", "FILE EXISTS"},
                                              {"sw-8802", "APPLICATION RUNNING"}},
                                             lost));
    CHECK(events.Packages("3") == Packages{"Bramble Web", "nt-2291", "hw-0774", "pm-1468"});
    CHECK(events.Failures("3") == Texts{{"Bramble Web", ""}, {"nt-2291", ""}, {"hw-0774", ""}, {"pm-1468", ""}});
    CHECK(events.Packages("4").empty());
    CHECK(events.Packages("5").empty());
    CHECK(events.Positions("3") == std::map<std::string, long long>{{"nt-2291", 1}, {"hw-0774", 2}, {"pm-1468", 3}});

    // The offers' installers ran with their arguments from the temporary folder.
    for (const char* name : {"notarra-setup", "harbourwall-vpn-setup", "playmoor-setup"}) {
        CAPTURE(name);
        REQUIRE(FixtureRuns(name).size() == 1);
    }
    CHECK(FixtureRuns("notarra-setup")[0].commandLine.find("/S /channel=pub") != std::string::npos);
    if (IsIsvBuild()) {
        // The product's installer ran silently (with the heritage flags in that build), installed the
        // product, and the finish page started it.
        const auto installer = FixtureRuns("beta");
        REQUIRE(installer.size() == 1);
        const std::string flags = IsHeritageBuild() ? "/S /FORCEINSTALL 1110010101111110" : "/S";
        CHECK(installer[0].commandLine.substr(installer[0].commandLine.size() - flags.size()) == flags);
        CHECK(PathFileExistsW((RoamingProductFolder() + L"\\bramweb.exe").c_str()));
        CHECK(WaitUntil([] { return !FixtureRuns("bramweb").empty(); }, 15s));
        CHECK(FixtureRuns("bramweb")[0].commandLine.find("/RUNONSTARTUP") != std::string::npos);
    } else {
        // The download manager leaves the product's installer in Downloads and opens it at the end.
        // A copy from an earlier run stays; this one is saved beside it under a name of its own.
        REQUIRE(WaitUntil([] { return !FixtureRuns("BrambleWebSetup").empty(); }, 15s));
        CHECK(FixtureRuns("BrambleWebSetup")[0].path.find("\\Downloads\\BrambleWebSetup") != std::string::npos);
    }
}

TEST_CASE("A declined \"pn\" offer passes over the rest and is kept away on the next run" *
          doctest::skip(InSpanishRun()))
{
    StandInService service;
    service.LoadScenario("choices");
    ClearFixtureRuns();
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kNoShowKey);

    std::set<std::string> lost;
    {
        WizardDriver wizard("decline");
        AnswerOnlyOffer(wizard, L"Quillmark", kDecline);
        if (IsIsvBuild()) {
            // The product's installer exits with 1603: the run ends on the error page.
            ExpectPage(wizard, "ErrorPage", 180s);
            CHECK(ToUtf8(wizard.Text(kErrorTitle)) == "Error occurred while installing Bramble Web.");
            CHECK(ToUtf8(wizard.Text(kErrorText)) == "Click on \"Close\" and try again later.");
            REQUIRE(wizard.Click(kErrorClose));
            REQUIRE(wizard.WaitForExit(60s).has_value());
        } else {
            ExpectPage(wizard, FinishPage(), 180s);
            REQUIRE(wizard.Click(kFinish));
            REQUIRE(wizard.WaitForExit(60s).has_value());
            ExpectTemporaryFolderRemoved(wizard);
        }
        ExpectResponsive(wizard);
        lost = OffersWithLostEvents(wizard.LogMessages(), "2");
    }
    CHECK(NoShowRecordExists());
    CHECK(AwaitEvents(service, "3", {"Bramble Web"}));
    {
        const SentEvents events(service);
        CHECK(events.Refused() == 0);
        CHECK(events.Reasons("2") == WithoutLost({{"rf-01", "NOT ENOUGH RAM"},
                                           {"rf-02", "NOT ENOUGH DISK SPACE"},
                                           {"rf-03", "NOT ENOUGH CPU"},
                                           {"rf-04", "UNSUPPORTED OS VERSION"},
                                           {"rf-05", "FILE EXISTS"},
                                           {"rf-06", "NONE OF THE FILES EXISTS"},
                                           {"rf-07", "APPLICATION RUNNING"},
                                           {"rf-08", "REGISTRY KEY EXISTS"},
                                           {"rf-09", "NONE OF THE REGISTRY KEYS EXISTS"},
                                           {"rf-10", "NO CHROME"},
                                           {"of-5502", "SKIP ALL AFTER DECLINE OFFER DECLINED"},
                                           {"of-5503", "SKIP ALL AFTER DECLINE OFFER DECLINED"}},
                                                 lost));
        CHECK(events.Packages("4") == Packages{"pn-5501"});
        CHECK(events.Failures("3") ==
              Texts{{"Bramble Web", IsIsvBuild() ? "EXEC FAILED: exit code = 1603" : ""}});
        CHECK(FixtureRuns("quillmark-setup").empty());
    }

    // The next run: the declined offer stays away, Skip All on the next one, and the user quits while
    // the product is still coming.
    nlohmann::json slowProduct = {{"steps", {{{"slow", {{"chunk", 2048}, {"interval", 0.5}}}}}}, {"repeat", true}};
    service.LoadScenario(nlohmann::json{
        {"extends", "choices"}, {"faults", {{"/endpoint/bramweb/os/riserollout/track/beta", slowProduct}}}});
    WizardDriver wizard("skip-all-quit");
    AnswerOnlyOffer(wizard, L"Lanternly", kSkipAll);
    Sleep(1000);
    CHECK(ToUtf8(wizard.Quit()) == "Are you sure you want to exit the installer?");
    REQUIRE(wizard.WaitForExit(60s).has_value());
    ExpectResponsive(wizard);
    ExpectTemporaryFolderRemoved(wizard);

    CHECK(AwaitEvents(service, "5", {"Bramble Web"}));
    const SentEvents events(service);
    Texts passedOver;
    for (const auto& [offer, reason] : events.Reasons("2")) {
        if (offer == "pn-5501" || offer == "of-5503") {
            passedOver[offer] = reason;
        }
    }
    CHECK(passedOver == WithoutLost({{"pn-5501", "PN NO SHOW"}, {"of-5503", "SKIP ALL CLICKED"}},
                                    OffersWithLostEvents(wizard.LogMessages(), "2")));
    CHECK(events.Packages("4") == Packages{"of-5502"});
    // The offer's decline was its last word; the product is the one left behind.
    CHECK(events.Packages("5") == Packages{"Bramble Web"});
    CHECK(events.Positions("4") == std::map<std::string, long long>{{"of-5502", 1}});
    if (passedOver.count("of-5503") == 1) {
        CHECK(events.Positions("2").at("of-5503") == 2);
    }
    CHECK(events.Packages("3").empty());
    CHECK(FixtureRuns("lanternly-setup").empty());
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kNoShowKey);
}

TEST_CASE("A Spanish user quits on an offer page: every shown offer and the product reported as left behind" *
          doctest::skip(!InSpanishRun()))
{
    StandInService service;
    service.LoadScenario("demo");
    ClearFixtureRuns();

    WizardDriver wizard("spanish-quit-on-offer");
    PassIntroduction(wizard, "Siguiente");
    ExpectOffer(wizard, L"Notarra");
    REQUIRE(wizard.Click(kAccept));
    ExpectOffer(wizard, L"Harbourwall VPN");
    CHECK(ToUtf8(wizard.Quit()) == "¿Seguro que desea salir del instalador?");
    REQUIRE(wizard.WaitForExit(60s).has_value());
    ExpectResponsive(wizard);
    ExpectTemporaryFolderRemoved(wizard);

    CHECK(AwaitEvents(service, "5", {"Bramble Web", "nt-2291", "hw-0774"}));
    const SentEvents events(service);
    CHECK(events.Packages("5") == Packages{"Bramble Web", "nt-2291", "hw-0774"});
    CHECK(events.Packages("3").empty());
    CHECK(events.Packages("4").empty());
    CHECK(FixtureRuns("notarra-setup").empty());
}

TEST_CASE("A download manager whose configuration never comes ends on the error page" *
          doctest::skip(InSpanishRun()))
{
    if (IsIsvBuild()) {
        return;  // the installer goes on without offers; its run without a configuration is the app suite's
    }
    StandInService service;
    service.LoadScenario(nlohmann::json{
        {"extends", "demo"}, {"faults", {{"/o", {{"steps", {{{"status", 500}, {"body", "busy"}}}}, {"repeat", true}}}}}});
    WizardDriver wizard("configuration-failure");
    REQUIRE(wizard.Main());
    ExpectPage(wizard, "LanguagePage");
    REQUIRE(wizard.Click(kNext));
    ExpectPage(wizard, "LoadingPage");
    ExpectPage(wizard, "ErrorPage", 90s);
    CHECK(ToUtf8(wizard.Text(kErrorTitle)) == "Something went wrong");
    CHECK(ToUtf8(wizard.Text(kErrorText)) == "Please try to download later");
    REQUIRE(wizard.Click(kErrorClose));
    REQUIRE(wizard.WaitForExit(60s).has_value());
    ExpectResponsive(wizard);
    CHECK(SentEvents(service).Packages("1").size() == 1);
}
