#include "WineEnvironment.h"

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <functional>

namespace WineEnvironment {

std::string Variable(const char* name)
{
    char buffer[1024] = {};
    const DWORD length = GetEnvironmentVariableA(name, buffer, sizeof(buffer));
    return length > 0 && length < sizeof(buffer) ? std::string(buffer, length) : std::string();
}

std::string PrefixArch()
{
    const std::string arch = Variable("TESSERA_WINEARCH");
    return arch.empty() ? "win64" : arch;
}

std::wstring WindowsPathOfHostPath(const std::string& hostPath)
{
    std::wstring path = L"Z:";
    for (char ch : hostPath) {
        path += ch == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(ch));
    }
    return path;
}

std::optional<std::string> RegistryFileValue(const std::string& file, const std::string& section,
                                             const std::string& name)
{
    const std::string prefix = Variable("WINEPREFIX");
    if (prefix.empty()) {
        return std::nullopt;
    }
    std::ifstream registry(std::filesystem::path(WindowsPathOfHostPath(prefix + "/" + file)));
    const std::string header = "[" + section + "]";
    const std::string key = "\"" + name + "\"=\"";
    std::string line;
    bool inSection = false;
    while (std::getline(registry, line)) {
        if (!line.empty() && line[0] == '[') {
            inSection = line.rfind(header, 0) == 0;
        } else if (inSection && line.rfind(key, 0) == 0) {
            const auto end = line.rfind('"');
            return line.substr(key.size(), end - key.size());
        }
    }
    return std::nullopt;
}

namespace {

// The host path of a Windows path, through Wine's own export.
std::string HostPathOf(const std::wstring& path)
{
    using UnixFileName = char*(CDECL*)(const wchar_t*);
    const auto convert = reinterpret_cast<UnixFileName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* host = convert ? convert(path.c_str()) : nullptr;
    if (!host) {
        return {};
    }
    std::string result(host);
    HeapFree(GetProcessHeap(), 0, host);
    return result;
}

}  // namespace

namespace {

// Starts a host program; Wine starts them given by their host path. Wine's handle of such a process
// cannot be waited for, so the caller watches for what the program does.
bool StartHostCommand(std::wstring command)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
        return false;
    }
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return true;
}

bool WaitForAttributes(const std::wstring& path, const std::function<bool(DWORD)>& done)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (done(GetFileAttributesW(path.c_str()))) {
            return true;
        }
        Sleep(50);
    }
    return false;
}

std::wstring Quoted(const std::string& hostPath)
{
    return L"\"" + std::filesystem::path(hostPath).wstring() + L"\"";
}

}  // namespace

// The link does not exist yet: its folder's host path and its own name.
std::string HostPathOfNew(const std::wstring& path)
{
    const std::size_t separator = path.find_last_of(L"\\/");
    const std::string folder = separator == std::wstring::npos ? std::string() : HostPathOf(path.substr(0, separator));
    if (folder.empty()) {
        return {};
    }
    return folder + "/" + std::filesystem::path(path.substr(separator + 1)).string();
}

bool MakeHostLink(const std::wstring& link, const std::wstring& target)
{
    const std::string hostLink = HostPathOfNew(link);
    const std::string hostTarget = HostPathOf(target);
    if (hostLink.empty() || hostTarget.empty() ||
        !StartHostCommand(L"Z:\\bin\\ln -s " + Quoted(hostTarget) + L" " + Quoted(hostLink))) {
        return false;
    }
    return WaitForAttributes(link, [](DWORD attributes) {
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    });
}

void RemoveHostLink(const std::wstring& link)
{
    const std::string hostLink = HostPathOf(link);
    const DWORD attributes = GetFileAttributesW(link.c_str());
    if (!hostLink.empty() && attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
        StartHostCommand(L"Z:\\bin\\rm -f " + Quoted(hostLink))) {
        WaitForAttributes(link, [](DWORD now) { return now == INVALID_FILE_ATTRIBUTES; });
    }
}

}  // namespace WineEnvironment
