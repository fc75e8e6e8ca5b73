// Not a test: a figure for benchmarks/run, skipped unless TESSERA_BENCHMARK is set. The real setup
// is given twenty offers whose pictures the service holds back 200 ms each; the figure is the time
// from the configuration's answer to the first page it brings being shown (the offers' pages made
// behind it), against the sum of the delays.
#include <doctest/doctest.h>

#include "BuildVariant.h"
#include "SetupRunFiles.h"
#include "StandInService.h"
#include "WineEnvironment.h"
#include "WizardDriver.h"

#include <filesystem>
#include <fstream>
#include <string>

using namespace std::chrono_literals;

namespace {

constexpr int kOffers = 20;
constexpr double kPictureDelaySeconds = 0.2;

// Milliseconds since midnight of a setup log line ("2026-12-10 13:17:48.423 [376] ..."); -1 otherwise.
long long MillisecondsOf(const std::string& line)
{
    if (line.size() < 23) {
        return -1;
    }
    return ((std::stoll(line.substr(11, 2)) * 60 + std::stoll(line.substr(14, 2))) * 60 + std::stoll(line.substr(17, 2))) *
               1000 +
           std::stoll(line.substr(20, 3));
}

// The time of the first line of the log that holds the text, after the first that holds after (when
// given); -1 when there is none.
long long TimeOf(const std::wstring& log, const std::string& text, const std::string& after = {})
{
    std::ifstream file{std::filesystem::path(log)};
    bool passed = after.empty();
    for (std::string line; std::getline(file, line);) {
        if (!passed) {
            passed = line.find(after) != std::string::npos;
        } else if (line.find(text) != std::string::npos) {
            return MillisecondsOf(line);
        }
    }
    return -1;
}

nlohmann::json SlowPictures()
{
    nlohmann::json offers = nlohmann::json::array();
    nlohmann::json files = nlohmann::json::object();
    nlohmann::json faults = nlohmann::json::object();
    for (int offer = 0; offer < kOffers; ++offer) {
        const std::string picture = "bench-" + std::to_string(offer) + ".png";
        offers.push_back({{"ad", {{"o", "bench-" + std::to_string(offer)}, {"f", "bench"}}},
                          {"ps", {{"i", picture}, {"dn", "Offer " + std::to_string(offer)}, {"u", "dl/offer.exe"}}}});
        files["/f/" + picture] = {{"file", "f/offer-" + std::to_string(offer % 3 + 1) + ".png"}};
        faults["/f/" + picture] = {{{"delay", kPictureDelaySeconds}, {"repeat", true}}};
    }
    return {{"extends", "common"},
            {"config", {{"l", "US"},
                        {"i", {{"ct", "Bramble Web"}, {"cu", "@BASE@/endpoint/bramweb/os/riserollout/track/beta"}}},
                        {"f", {{"m", kOffers}}},
                        {"o", offers}}},
            {"files", files},
            {"faults", faults}};
}

}  // namespace

TEST_CASE("Benchmark: the configured pages after twenty pictures held back 200 ms each" *
          doctest::skip(WineEnvironment::Variable("TESSERA_BENCHMARK").empty()))
{
    StandInService service;
    service.LoadScenario(SlowPictures());
    RemoveSetupLogs();
    WizardDriver wizard("benchmark-pictures");
    REQUIRE(wizard.Main());
    REQUIRE(wizard.WaitForPage(IsIsvBuild() ? "LanguagePageKV" : "LanguagePage"));
    REQUIRE(wizard.Click(1010));
    REQUIRE(wizard.WaitForPage("LoadingPage"));
    REQUIRE(wizard.WaitForPage(IsHeritageBuild() ? "WarningPageKVHeritage" : IsIsvBuild() ? "LicensePage" : "WelcomePage",
                               90s));
    const auto logs = LogsOfProcess(wizard.ProcessId());
    REQUIRE(logs.size() == 1);
    const long long answered = TimeOf(logs[0], "Configuration request 1 to ");
    const long long shown = TimeOf(logs[0], "Page shown: ", "Configuration complete: ");
    REQUIRE(answered >= 0);
    REQUIRE(shown >= answered);
    MESSAGE("figure first_pages_ms=" << (shown - answered)
                                     << " sum_of_delays_ms=" << static_cast<int>(kOffers * kPictureDelaySeconds * 1000));
    wizard.Quit();
    wizard.WaitForExit(30s);
}
