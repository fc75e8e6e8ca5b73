#include "app/RunLog.h"

#include "framework/CString.h"
#include "framework/SetupLog.h"
#include "profile/BuildConstants.h"
#include "profile/ConfigurationManager.h"
#include "profile/MachineFacts.h"
#include "remote/OsVersionString.h"

#include <windows.h>

namespace {

// "Tessera_<yyyyMMdd_HHmmss>_<process id>.log" in the temporary folder; a second try adds "_2", and so on.
CString LogFilePath(int attempt)
{
    wchar_t folder[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    if (length == 0 || length > MAX_PATH) {
        return {};
    }
    SYSTEMTIME now{};
    GetLocalTime(&now);
    CString name;
    name.Format(L"Tessera_%04u%02u%02u_%02u%02u%02u_%lu", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
                now.wSecond, GetCurrentProcessId());
    if (attempt > 1) {
        name.AppendFormat(L"_%d", attempt);
    }
    return CString(folder) + name + L".log";
}

// A name taken already (by a file another program put there first) is passed over for the next.
bool OpenLog()
{
    constexpr int kAttempts = 5;
    for (int attempt = 1; attempt <= kAttempts; ++attempt) {
        const CString path = LogFilePath(attempt);
        if (path.IsEmpty()) {
            return false;
        }
        if (SetupLog::Open(path)) {
            return true;
        }
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) {
            return false;
        }
    }
    return false;
}

const char* OnOff(bool value)
{
    return value ? "on" : "off";
}

}  // namespace

RunLog::RunLog()
{
    if (!OpenLog()) {
        return;
    }
    const auto configuration = ConfigurationManager::Instance();
    LogEntry() << "Tessera " << configuration->m_version << " started: " << BuildConstants::WizardTypeKey
               << " wizard, branded pages " << OnOff(configuration->m_brandedPages) << ", heritage pages "
               << OnOff(configuration->m_heritagePages) << "; Windows " << OsVersionString() << ", WOW64 "
               << (MachineFacts::IsWow64() ? "yes" : "no");
    LogEntry() << "Command line: " << GetCommandLineW();
    SetupLog::StartupStep("log opened");
}

RunLog::~RunLog()
{
    LogEntry() << "Tessera ended";
    SetupLog::Close();
}
