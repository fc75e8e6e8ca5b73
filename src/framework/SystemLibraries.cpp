#include "framework/SystemLibraries.h"

#include <delayimp.h>

#include <atomic>
#include <string>

namespace {

// Set once HardenProcess has made System32 the only folder searched by default.
std::atomic<bool> g_searchFlagsWork{false};

std::wstring SystemFolderPath(const wchar_t* name)
{
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return {};
    }
    return std::wstring(folder, length) + L"\\" + name;
}

// The loader of delay-loaded imports asks here first. Whatever happens, it must not go on to its own
// LoadLibrary by bare name, which on a system without SetDefaultDllDirectories would look beside the
// executable: a library missing from System32 ends the call like a missing import would.
FARPROC WINAPI LoadDelayedFromSystem(unsigned notification, PDelayLoadInfo info)
{
    if (notification != dliNotePreLoadLibrary || !info || !info->szDll) {
        return nullptr;
    }
    wchar_t name[MAX_PATH] = {};
    if (MultiByteToWideChar(CP_ACP, 0, info->szDll, -1, name, MAX_PATH) == 0) {
        name[0] = L'\0';
    }
    if (HMODULE module = name[0] ? SystemLibraries::Load(name) : nullptr) {
        return reinterpret_cast<FARPROC>(module);
    }
    ULONG_PTR argument = reinterpret_cast<ULONG_PTR>(info);
    RaiseException(VcppException(ERROR_SEVERITY_ERROR, ERROR_MOD_NOT_FOUND), 0, 1, &argument);
    return nullptr;
}

}  // namespace

// The delay-load helper of the C runtime reads this hook; defining it here replaces the runtime's empty one.
extern "C" PfnDliHook __pfnDliNotifyHook2 = LoadDelayedFromSystem;

namespace SystemLibraries {

void HardenProcess()
{
    HeapSetInformation(nullptr, HeapEnableTerminationOnCorruption, nullptr, 0);

    using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
    const HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
    const auto setDefault = kernel32 ? reinterpret_cast<SetDefaultDllDirectoriesFunction>(reinterpret_cast<void*>(
                                           GetProcAddress(kernel32, "SetDefaultDllDirectories")))
                                     : nullptr;
    if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        g_searchFlagsWork = true;
    } else {
        SetDllDirectoryW(L"");
    }
}

bool RedirectedByDotLocal()
{
    std::wstring path(32768, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0 || length >= path.size()) {
        return false;
    }
    path.resize(length);
    path += L".local";
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

HMODULE Load(const wchar_t* name)
{
    if (g_searchFlagsWork) {
        return LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    }
    // Without the search flags: the full path, and the library's own imports searched from its folder.
    const std::wstring path = SystemFolderPath(name);
    return path.empty() ? nullptr : LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace SystemLibraries
