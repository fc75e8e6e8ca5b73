#include "WineEnvironment.h"

#include <windows.h>

#include <filesystem>
#include <fstream>

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

}  // namespace WineEnvironment
