#include "transfer/ProcessLaunch.h"

#include "framework/DesktopShell.h"
#include "framework/SetupLog.h"
#include "framework/UniqueHandle.h"
#include "profile/ConfigurationManager.h"
#include "transfer/TransferError.h"

#include <algorithm>
#include <string>

namespace {

constexpr DWORD NoExitCode = 4294967295u;

CString WindowsFolderFile(const wchar_t* name)
{
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetWindowsDirectoryW(folder, MAX_PATH);
    return length > 0 && length < MAX_PATH ? CString(folder) + L"\\" + name : CString(name);
}

}  // namespace

CString BuildCommandLine(const CString& path, const CString& arguments)
{
    return L"\"" + path + L"\" " + arguments;
}

std::pair<DWORD, CString> RunProcess(const CString& path, const CString& arguments, bool wait, HeldFile* held,
                                     const Cancellation& run)
{
    // CreateProcessW may write into the command line, so it gets a copy of its own.
    const CString command = BuildCommandLine(path, arguments);
    std::wstring commandLine = command.Str();
    LogEntry() << "Starting " << command << (wait ? "" : " (not waiting for it)");

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started{};
    // The program runs in its own folder, not the setup's current one (often Downloads), where its
    // libraries would otherwise be looked for too.
    const CString folder = path.Left(std::max(path.ReverseFind(L'\\'), 0));
    const BOOL created = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                        folder.IsEmpty() ? nullptr : folder.operator const wchar_t*(), &startup, &started);
    const DWORD error = GetLastError();
    // The program has been started from the file held: nothing needs to be kept from changing it now.
    if (held) {
        held->Release();
    }
    if (!created) {
        const CString text = L"Error launching executable: " + TransferError::FormatSystemMessage(error);
        LogEntry() << "Could not start " << path << ": error " << error;
        return {NoExitCode, text};
    }
    const UniqueKernelHandle process(started.hProcess);
    const UniqueKernelHandle thread(started.hThread);

    DWORD exitCode = NoExitCode;
    if (wait) {
        const HANDLE ends[] = {process.Get(), run.Handle()};
        if (WaitForMultipleObjects(2, ends, FALSE, INFINITE) != WAIT_OBJECT_0) {
            LogEntry() << "Process " << started.dwProcessId << " (" << path << ") left running: the run has ended";
            return {NoExitCode, L"Not waited for: the run has ended"};
        }
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

void ShowInExplorer(const CString& path)
{
    DesktopShell::Open(WindowsFolderFile(L"explorer.exe"), L"/select,\"" + path + L"\"");
}

void LaunchInstalledProduct()
{
    const auto configuration = ConfigurationManager::Instance();
    const CString file = configuration->ExpandPathVariables(configuration->m_installedExePath);
    DesktopShell::Open(file, configuration->m_launchArguments);
}
