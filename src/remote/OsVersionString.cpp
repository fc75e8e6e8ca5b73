#include "remote/OsVersionString.h"

#include "profile/MachineFacts.h"

std::string OsVersionString()
{
    const auto version = MachineFacts::WindowsVersion();
    if (!version) {
        return {};
    }
    return std::to_string(version->dwMajorVersion) + "." + std::to_string(version->dwMinorVersion) + "." +
           std::to_string(version->dwBuildNumber);
}
