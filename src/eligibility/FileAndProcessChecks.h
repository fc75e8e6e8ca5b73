#pragma once

#include "eligibility/Refusal.h"

#include <windows.h>

#include <string>
#include <vector>

class CString;
class Package;

// Files that must not exist or of which one must exist, and programs that must not run. The list of
// running programs is taken once per pass (again only while it is empty).
class FileAndProcessChecks {
public:
    // Whether any of the paths exists, in list order. A path that names a network share or a device
    // (\\server\..., \\?\..., \\.\..., \??\...; either slash) counts as absent without
    // being touched: the elevated setup would log on to remote hosts, or stall on a device.
    static bool AnyFileExists(const std::vector<CString>& paths);
    static bool IsShareOrDevicePath(const CString& path);

    Refusal CheckBlockingFiles(const Package& offer) const;
    Refusal CheckRequiredFiles(const Package& offer) const;
    Refusal CheckRunningPrograms(const Package& offer);

private:
    std::vector<std::wstring> m_processNames;
};
