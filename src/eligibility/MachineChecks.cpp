#include "eligibility/MachineChecks.h"

#include "framework/TextConversion.h"
#include "framework/UniqueHandle.h"
#include "profile/ConfigurationManager.h"
#include "profile/MachineFacts.h"
#include "remote/Package.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cwchar>
#include <vector>

namespace {

// The drive of the default user profile's desktop, as "C:\"; empty when the folder is not known.
std::wstring DesktopDriveRoot()
{
    PWSTR path = nullptr;
    const HRESULT result = SHGetKnownFolderPath(FOLDERID_Desktop, 0, reinterpret_cast<HANDLE>(-1), &path);
    const UniqueCoTaskMemory owner(path);
    return SUCCEEDED(result) && path ? std::wstring(path).substr(0, 3) : std::wstring();
}

// A dotted version as numbers: empty pieces are skipped, a piece without leading digits is 0.
std::vector<int> VersionNumbers(const CString& text)
{
    std::vector<int> numbers;
    int position = 0;
    for (CString piece = text.Tokenize(L".", position); position != -1; piece = text.Tokenize(L".", position)) {
        numbers.push_back(_wtoi(piece));
    }
    return numbers;
}

}  // namespace

Refusal MachineChecks::CheckDisk(const Package& offer)
{
    if (offer.m_minDiskMb == 0) {
        return std::nullopt;
    }
    if (!m_freeDiskMb) {
        ULARGE_INTEGER available{};
        if (!GetDiskFreeSpaceExW(DesktopDriveRoot().c_str(), &available, nullptr, nullptr)) {
            return "DISK SPACE CHECK FAILED " + std::to_string(GetLastError());
        }
        m_freeDiskMb = available.QuadPart >> 20;
    }
    if (*m_freeDiskMb < static_cast<std::uint64_t>(offer.m_minDiskMb)) {
        return "NOT ENOUGH DISK SPACE";
    }
    return std::nullopt;
}

Refusal MachineChecks::CheckMemory(const Package& offer)
{
    if (offer.m_minRamMb == 0) {
        return std::nullopt;
    }
    if (!m_memoryMb) {
        MEMORYSTATUSEX status{};
        status.dwLength = sizeof(status);
        if (!GlobalMemoryStatusEx(&status)) {
            return "RAM CHECK FAILED " + std::to_string(GetLastError());
        }
        m_memoryMb = status.ullTotalPhys >> 20;
    }
    if (*m_memoryMb < static_cast<std::uint64_t>(offer.m_minRamMb)) {
        return "NOT ENOUGH RAM";
    }
    return std::nullopt;
}

Refusal MachineChecks::CheckProcessor(const Package& offer)
{
    if (offer.m_minCpuMhz == 0) {
        return std::nullopt;
    }
    if (!m_processorMhz) {
        UniqueRegKey key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0", 0,
                          KEY_READ | KEY_WOW64_64KEY, key.Receive()) != ERROR_SUCCESS) {
            return "CPU CHECK FAILED: Couldn't open registry";
        }
        DWORD mhz = 0;
        DWORD size = sizeof(mhz);
        if (RegQueryValueExA(key.Get(), "~MHz", nullptr, nullptr, reinterpret_cast<BYTE*>(&mhz), &size) !=
            ERROR_SUCCESS) {
            return "CPU CHECK FAILED: Couldn't read value";
        }
        m_processorMhz = mhz;
    }
    if (static_cast<std::uint64_t>(*m_processorMhz) < static_cast<std::uint64_t>(offer.m_minCpuMhz)) {
        return "NOT ENOUGH CPU";
    }
    return std::nullopt;
}

Refusal MachineChecks::CheckWindowsVersion(const Package& offer) const
{
    if (offer.m_minOsVersion <= 0) {
        return std::nullopt;
    }
    DWORD major = 0;
    DWORD minor = 0;
    switch (offer.m_minOsVersion) {
    case 61: major = 6; minor = 1; break;
    case 62: major = 6; minor = 2; break;
    case 63: major = 6; minor = 3; break;
    case 100: major = 10; minor = 0; break;
    default: return "UNSUPPORTED OS VERSION";
    }
    OSVERSIONINFOEXW wanted{};
    wanted.dwOSVersionInfoSize = sizeof(wanted);
    wanted.dwMajorVersion = major;
    wanted.dwMinorVersion = minor;
    wanted.wServicePackMajor = 0;
    DWORDLONG condition = 0;
    condition = VerSetConditionMask(condition, VER_MAJORVERSION, VER_GREATER_EQUAL);
    condition = VerSetConditionMask(condition, VER_MINORVERSION, VER_GREATER_EQUAL);
    condition = VerSetConditionMask(condition, VER_SERVICEPACKMAJOR, VER_GREATER_EQUAL);
    if (!VerifyVersionInfoW(&wanted, VER_MAJORVERSION | VER_MINORVERSION | VER_SERVICEPACKMAJOR, condition)) {
        return "UNSUPPORTED OS VERSION";
    }
    return std::nullopt;
}

Refusal MachineChecks::CheckSetupVersion(const Package& offer) const
{
    if (offer.m_minPlatformVersion.empty()) {
        return std::nullopt;
    }
    const std::vector<int> required = VersionNumbers(AnsiToCString(offer.m_minPlatformVersion));
    const std::vector<int> own = VersionNumbers(ConfigurationManager::Instance()->m_version);
    for (std::size_t i = 0; i < std::max(required.size(), own.size()); ++i) {
        const int wanted = i < required.size() ? required[i] : 0;
        const int have = i < own.size() ? own[i] : 0;
        if (wanted != have) {
            return wanted > have ? Refusal("UNSUPPORTED PLATFORM VERSION") : std::nullopt;
        }
    }
    return std::nullopt;
}

Refusal MachineChecks::CheckWin64(const Package& offer) const
{
    if (offer.m_requireWin64 && !MachineFacts::IsWow64()) {
        return "64 BIT OS REQUIRED";
    }
    return std::nullopt;
}
