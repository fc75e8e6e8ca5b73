#include <doctest/doctest.h>

#include "SetupLogForTests.h"
#include "framework/SetupLog.h"

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

std::string ContentOf(const std::wstring& path)
{
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

}  // namespace

TEST_CASE("The setup log is only ever a new file: a file already there keeps its content")
{
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    const std::wstring path = std::wstring(folder) + L"tessera-log-test-" + std::to_wstring(GetCurrentProcessId()) +
                              L".log";
    std::ofstream(std::filesystem::path(path)) << "planted";

    CHECK_FALSE(SetupLog::Open(path));
    CHECK(GetLastError() == ERROR_FILE_EXISTS);
    SetupLog::Write("written nowhere");
    CHECK(ContentOf(path) == "planted");

    REQUIRE(DeleteFileW(path.c_str()));
    REQUIRE(SetupLog::Open(path));
    SetupLog::Write("the run's own");
    SetupLog::Close();
    CHECK(LogMessages(path) == std::vector<std::string>{"the run's own"});
    DeleteFileW(path.c_str());
}
