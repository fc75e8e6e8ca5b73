#include "eligibility/FileAndProcessChecks.h"

#include "framework/CString.h"
#include "framework/SetupLog.h"
#include "framework/TextConversion.h"
#include "framework/UniqueHandle.h"
#include "remote/Package.h"

#include <shlwapi.h>
#include <tlhelp32.h>

#include <algorithm>

namespace {

std::vector<std::wstring> RunningProcessNames()
{
    std::vector<std::wstring> names;
    const UniqueFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) {
        return names;
    }
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry)) {
        CString name(entry.szExeFile);
        name.MakeLower();
        names.push_back(name.Str());
    }
    return names;
}

}  // namespace

bool FileAndProcessChecks::IsShareOrDevicePath(const CString& path)
{
    const auto separator = [&path](int index) {
        return index < path.GetLength() && (path.GetAt(index) == L'\\' || path.GetAt(index) == L'/');
    };
    return (separator(0) && separator(1)) || path.Left(4) == L"\\??\\";
}

bool FileAndProcessChecks::AnyFileExists(const std::vector<CString>& paths)
{
    return std::any_of(paths.begin(), paths.end(), [](const CString& path) {
        if (IsShareOrDevicePath(path)) {
            LogEntry() << "File check of " << path << ": a network share or device path, counted as absent";
            return false;
        }
        return PathFileExistsW(path) != FALSE;
    });
}

Refusal FileAndProcessChecks::CheckBlockingFiles(const Package& offer) const
{
    if (!offer.m_blockingFiles.empty() && AnyFileExists(offer.m_blockingFiles)) {
        return "FILE EXISTS";
    }
    return std::nullopt;
}

Refusal FileAndProcessChecks::CheckRequiredFiles(const Package& offer) const
{
    if (!offer.m_requiredFiles.empty() && !AnyFileExists(offer.m_requiredFiles)) {
        return "NONE OF THE FILES EXISTS";
    }
    return std::nullopt;
}

Refusal FileAndProcessChecks::CheckRunningPrograms(const Package& offer)
{
    if (offer.m_blockingProcesses.empty()) {
        return std::nullopt;
    }
    if (m_processNames.empty()) {
        m_processNames = RunningProcessNames();
    }
    for (const std::string& configured : offer.m_blockingProcesses) {
        CString wanted = AnsiToCString(configured);
        wanted.MakeLower();
        const auto dots = std::count(wanted.Str().begin(), wanted.Str().end(), L'.');
        for (std::wstring name : m_processNames) {
            // "chrome" matches "chrome.exe" and "app.beta" matches "app.beta.exe", but "foo" does not
            // match "foo.bar.exe": only the last extension is dropped.
            if (std::count(name.begin(), name.end(), L'.') > dots) {
                name.erase(name.rfind(L'.'));
            }
            if (name == wanted.Str()) {
                return "APPLICATION RUNNING";
            }
        }
    }
    return std::nullopt;
}
