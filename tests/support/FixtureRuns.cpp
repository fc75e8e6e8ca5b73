#include "FixtureRuns.h"

#include <windows.h>

#include <filesystem>
#include <fstream>

namespace {

std::filesystem::path RunsFolder()
{
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    return std::filesystem::path(temp) / L"tessera-runs";
}

}  // namespace

std::vector<FixtureRun> FixtureRuns(const std::string& program)
{
    std::vector<FixtureRun> runs;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(RunsFolder(), error)) {
        const std::string name = entry.path().filename().string();
        // A copy saved beside an earlier one ("name (2).exe") is the same program.
        const bool named = name.rfind(program + "-", 0) == 0 || name.rfind(program + " (", 0) == 0;
        if (!named || entry.path().extension() != ".txt") {
            continue;
        }
        std::ifstream file(entry.path());
        FixtureRun run;
        std::getline(file, run.commandLine);
        std::getline(file, run.path);
        for (std::string* line : {&run.commandLine, &run.path}) {
            if (!line->empty() && line->back() == '\r') {
                line->pop_back();
            }
        }
        runs.push_back(run);
    }
    return runs;
}

void ClearFixtureRuns()
{
    std::error_code error;
    std::filesystem::remove_all(RunsFolder(), error);
}

void ReleaseSlowSetups()
{
    // Opened or made here: set, it wakes every waiting slow setup; once the last handle is gone the
    // next slow setup makes it anew, not set.
    const HANDLE release = CreateEventW(nullptr, TRUE, FALSE, L"TesseraSlowSetupRelease");
    if (release) {
        SetEvent(release);
        CloseHandle(release);
    }
}
