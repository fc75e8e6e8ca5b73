#include "SetupRunFiles.h"

std::wstring TempFolder()
{
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    return folder;
}

std::vector<std::wstring> LogsOfProcess(DWORD id)
{
    std::vector<std::wstring> found;
    const std::wstring suffix = L"_" + std::to_wstring(id) + L".log";
    WIN32_FIND_DATAW entry{};
    HANDLE search = FindFirstFileW((TempFolder() + L"Tessera_*.log").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        return found;
    }
    do {
        const std::wstring name = entry.cFileName;
        if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
            found.push_back(TempFolder() + name);
        }
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    return found;
}

bool InOrder(const std::vector<std::string>& messages, const std::vector<std::string>& expected)
{
    std::size_t next = 0;
    for (const std::string& message : messages) {
        if (next < expected.size() && message.find(expected[next]) != std::string::npos) {
            ++next;
        }
    }
    return next == expected.size();
}


void RemoveSetupLogs()
{
    WIN32_FIND_DATAW entry{};
    HANDLE search = FindFirstFileW((TempFolder() + L"Tessera_*.log").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        DeleteFileW((TempFolder() + entry.cFileName).c_str());
    } while (FindNextFileW(search, &entry));
    FindClose(search);
}

bool WaitUntil(const std::function<bool()>& done, std::chrono::seconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        Sleep(100);
    }
    return true;
}
