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
        if (name.rfind(program + "-", 0) != 0 || entry.path().extension() != ".txt") {
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
