#include "app/RunLog.h"

#include "framework/CString.h"
#include "framework/SetupLog.h"
#include "profile/BuildConstants.h"
#include "profile/ConfigurationManager.h"
#include "profile/MachineFacts.h"
#include "remote/OsVersionString.h"

#include <windows.h>

namespace {

CString LogFilePath()
{
    wchar_t folder[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    if (length == 0 || length > MAX_PATH) {
        return {};
    }
    SYSTEMTIME now{};
    GetLocalTime(&now);
    CString name;
    name.Format(L"Tessera_%04u%02u%02u_%02u%02u%02u_%lu.log", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
                now.wSecond, GetCurrentProcessId());
    return CString(folder) + name;
}

const char* OnOff(bool value)
{
    return value ? "on" : "off";
}

}  // namespace

RunLog::RunLog()
{
    const CString path = LogFilePath();
    if (path.IsEmpty() || !SetupLog::Open(path)) {
        return;
    }
    const auto configuration = ConfigurationManager::Instance();
    LogEntry() << "Tessera " << configuration->m_version << " started: " << BuildConstants::WizardTypeKey
               << " wizard, branded pages " << OnOff(configuration->m_brandedPages) << ", heritage pages "
               << OnOff(configuration->m_heritagePages) << "; Windows " << OsVersionString() << ", WOW64 "
               << (MachineFacts::IsWow64() ? "yes" : "no");
    LogEntry() << "Command line: " << GetCommandLineW();
}

RunLog::~RunLog()
{
    LogEntry() << "Tessera ended";
    SetupLog::Close();
}
