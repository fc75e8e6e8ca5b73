#include "transfer/ProcessLaunch.h"

#include "framework/SetupLog.h"
#include "framework/UniqueHandle.h"
#include "profile/ConfigurationManager.h"
#include "transfer/TransferError.h"

#include <shellapi.h>

#include <string>

namespace {

constexpr DWORD NoExitCode = 4294967295u;

// ShellExecuteW reports success with a value above 32; the value is kept in the log either way.
void ShellOpen(const wchar_t* file, const wchar_t* parameters)
{
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", file, parameters, nullptr, SW_SHOWDEFAULT));
    LogEntry() << "Shell open of " << file << " with \"" << parameters << "\": " << (result > 32 ? "done" : "failed")
               << " (" << result << ")";
}

}  // namespace

CString BuildCommandLine(const CString& path, const CString& arguments)
{
    return L"\"" + path + L"\" " + arguments;
}

std::pair<DWORD, CString> RunProcess(const CString& path, const CString& arguments, bool wait)
{
    // CreateProcessW may write into the command line, so it gets a copy of its own.
    const CString command = BuildCommandLine(path, arguments);
    std::wstring commandLine = command.Str();
    LogEntry() << "Starting " << command << (wait ? "" : " (not waiting for it)");

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &started)) {
        const DWORD error = GetLastError();
        const CString text = L"Error launching executable: " + TransferError::FormatSystemMessage(error);
        LogEntry() << "Could not start " << path << ": error " << error;
        return {NoExitCode, text};
    }
    const UniqueKernelHandle process(started.hProcess);
    const UniqueKernelHandle thread(started.hThread);

    DWORD exitCode = NoExitCode;
    if (wait) {
        WaitForSingleObject(process.Get(), INFINITE);
        if (!GetExitCodeProcess(process.Get(), &exitCode)) {
            exitCode = NoExitCode;
        }
    }
    CString message;
    if (exitCode != 0) {
        message.Format(L"exit code = %u", exitCode);
    }
    if (wait) {
        LogEntry() << "Process " << started.dwProcessId << " (" << path << ") ended with exit code " << exitCode;
    } else {
        LogEntry() << "Process " << started.dwProcessId << " (" << path << ") started";
    }
    return {exitCode, message};
}

std::future<std::pair<DWORD, CString>> LaunchAsync(CString path, CString arguments, bool wait)
{
    return std::async(std::launch::async, [path = std::move(path), arguments = std::move(arguments), wait] {
        return RunProcess(path, arguments, wait);
    });
}

void OpenFile(const CString& path)
{
    ShellOpen(path, nullptr);
}

void ShowInExplorer(const CString& path)
{
    const CString parameters = L"/select,\"" + path + L"\"";
    ShellOpen(L"explorer.exe", parameters);
}

void LaunchInstalledProduct()
{
    const auto configuration = ConfigurationManager::Instance();
    const CString file = configuration->ExpandPathVariables(configuration->m_installedExePath);
    ShellOpen(file, configuration->m_launchArguments);
}
