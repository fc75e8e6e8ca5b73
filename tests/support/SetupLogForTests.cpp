#include "SetupLogForTests.h"

#include "framework/SetupLog.h"

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

std::vector<std::string> LogMessages(const CString& path)
{
    std::vector<std::string> messages;
    std::ifstream file(std::filesystem::path(path.Str()), std::ios::binary);
    for (std::string line; std::getline(file, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const std::size_t start = line.find("] ");
        messages.push_back(start == std::string::npos ? line : line.substr(start + 2));
    }
    return messages;
}

ScopedSetupLog::ScopedSetupLog()
{
    wchar_t folder[MAX_PATH] = {};
    wchar_t file[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    // The setup's log is always a new file: the name is taken, and the file the call made goes again.
    if (!GetTempFileNameW(folder, L"log", 0, file) || !DeleteFileW(file) || !SetupLog::Open(file)) {
        throw std::runtime_error("cannot start a setup log for the test");
    }
    m_path = file;
}

ScopedSetupLog::~ScopedSetupLog()
{
    SetupLog::Close();
    DeleteFileW(m_path);
}

bool ScopedSetupLog::Contains(const std::string& text) const
{
    for (const std::string& message : Messages()) {
        if (message.find(text) != std::string::npos) {
            return true;
        }
    }
    return false;
}
