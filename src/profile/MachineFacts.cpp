#include "profile/MachineFacts.h"

#include "framework/PrivateFolder.h"
#include "framework/UniqueHandle.h"

#include <cstring>
#include <ctime>

namespace MachineFacts {

bool IsWow64()
{
    // Asked for every registry candidate of every offer: the answer never changes, so it is asked once.
    static const bool wow64 = [] {
        BOOL answer = FALSE;
        return IsWow64Process(GetCurrentProcess(), &answer) && answer;
    }();
    return wow64;
}

CString KnownFolderPath(REFKNOWNFOLDERID folder)
{
    PWSTR path = nullptr;
    const HRESULT result = SHGetKnownFolderPath(folder, 0, nullptr, &path);
    const UniqueCoTaskMemory owner(path);
    return SUCCEEDED(result) && path ? CString(path) : CString();
}

CString EnvironmentVariable(const wchar_t* name)
{
    wchar_t buffer[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(name, buffer, MAX_PATH);
    return length >= 1 && length <= MAX_PATH - 1 ? CString(buffer, static_cast<int>(length)) : CString();
}

std::string MachineGuid()
{
    UniqueRegKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Cryptography", 0, KEY_READ | KEY_WOW64_64KEY,
                      key.Receive()) != ERROR_SUCCESS) {
        return {};
    }
    char buffer[255] = {};
    DWORD size = sizeof(buffer) - 1;
    if (RegQueryValueExA(key.Get(), "MachineGuid", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size) !=
        ERROR_SUCCESS) {
        return {};
    }
    return std::string(buffer);
}

namespace {

std::string FormatLocalTime(std::time_t when, const char* format)
{
    std::tm local{};
    if (localtime_s(&local, &when) != 0) {
        return {};
    }
    char text[32] = {};
    const std::size_t length = std::strftime(text, sizeof(text), format, &local);
    return std::string(text, length);
}

}  // namespace

std::string LocalTimestamp()
{
    return FormatLocalTime(std::time(nullptr), "%Y%m%d%H%M%S");
}

std::string LocalDateInDays(int days)
{
    return FormatLocalTime(std::time(nullptr) + static_cast<std::time_t>(days) * 86400, "%Y%m%d");
}

std::string CurrentTimeMillis()
{
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    const long long since1601 = static_cast<long long>((static_cast<unsigned long long>(now.dwHighDateTime) << 32) |
                                                       now.dwLowDateTime);
    constexpr long long kFrom1601To1970 = 116444736000000000LL;
    return std::to_string((since1601 - kFrom1601To1970) / 10000);
}

CString CreateUniqueTempFolder()
{
    wchar_t tempPath[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, tempPath);
    if (length == 0 || length > MAX_PATH) {
        return {};
    }
    return PrivateFolder::Create(tempPath, L"ISV");
}

CString FileVersion(HMODULE module)
{
    HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(1), RT_VERSION);
    const DWORD size = resource ? SizeofResource(module, resource) : 0;
    HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
    const auto* data = static_cast<const BYTE*>(loaded ? LockResource(loaded) : nullptr);
    if (!data || size < sizeof(VS_FIXEDFILEINFO)) {
        return {};
    }
    // The fixed part of the block is the one structure in it that starts with its signature, on a
    // 32-bit boundary. Finding it here spares the version library, which only this needed.
    const VS_FIXEDFILEINFO* info = nullptr;
    for (DWORD offset = 0; offset + sizeof(VS_FIXEDFILEINFO) <= size; offset += 4) {
        DWORD signature = 0;
        std::memcpy(&signature, data + offset, sizeof(signature));
        if (signature == VS_FFI_SIGNATURE) {
            info = reinterpret_cast<const VS_FIXEDFILEINFO*>(data + offset);
            break;
        }
    }
    if (!info) {
        return {};
    }
    CString version;
    version.Format(L"%u.%u.%u.%u", HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS),
                   HIWORD(info->dwFileVersionLS), LOWORD(info->dwFileVersionLS));
    return version;
}

std::optional<OSVERSIONINFOEXW> WindowsVersion()
{
    using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOEXW*);
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    const auto rtlGetVersion =
        ntdll ? reinterpret_cast<RtlGetVersionFunction>(
                    reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")))
              : nullptr;
    if (!rtlGetVersion) {
        return std::nullopt;
    }
    OSVERSIONINFOEXW version{};
    version.dwOSVersionInfoSize = sizeof(version);
    if (rtlGetVersion(&version) != 0) {
        return std::nullopt;
    }
    return version;
}

}  // namespace MachineFacts
