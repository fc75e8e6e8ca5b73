#include "PlantedSetup.h"

#include "SetupRunFiles.h"
#include "WineEnvironment.h"
#include "WizardDriver.h"

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace {

std::filesystem::path RecordFolder()
{
    return std::filesystem::path(TempFolder()) / L"tessera-planted";
}

}  // namespace

const std::vector<std::wstring>& PlantedSetup::LibraryNames()
{
    // What a whole run of the setup loads under Wine (WINEDEBUG=+loaddll) beyond the KnownDLLs and
    // Wine's own internals, and the usual targets of planting on Windows.
    static const std::vector<std::wstring> names = {
        L"version", L"winhttp", L"wininet", L"gdiplus", L"riched20", L"riched32", L"msftedit", L"uxtheme",
        L"dwmapi", L"cryptsp", L"cryptbase", L"secur32", L"sspicli", L"schannel", L"ntmarta", L"profapi",
        L"userenv", L"iphlpapi", L"dnsapi", L"winnsi", L"mswsock", L"netapi32", L"mpr", L"propsys",
        L"windowscodecs", L"urlmon", L"iertutil", L"crypt32", L"bcrypt", L"ncrypt", L"rsaenh", L"wintrust",
        L"msasn1", L"imm32", L"msctf", L"oleacc", L"apphelp", L"textinputframework", L"comctl32"};
    return names;
}

PlantedSetup::PlantedSetup()
{
    std::error_code ignored;
    std::filesystem::remove_all(RecordFolder(), ignored);
    const std::filesystem::path folder = std::filesystem::path(TempFolder()) / L"tessera-downloads";
    std::filesystem::remove_all(folder, ignored);
    std::filesystem::create_directories(folder);
    m_folder = folder.wstring();
    const std::filesystem::path setup(SetupExecutable());
    m_executable = (folder / setup.filename()).wstring();
    std::filesystem::copy_file(setup, m_executable);
    const std::filesystem::path marker(WineEnvironment::WindowsPathOfHostPath(TESSERA_PLANTED_LIBRARY));
    for (const std::wstring& name : LibraryNames()) {
        std::filesystem::copy_file(marker, folder / (name + L".dll"));
    }
}

PlantedSetup::~PlantedSetup()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_folder, ignored);
}

std::map<std::wstring, std::wstring> PlantedSetup::Environment(std::map<std::wstring, std::wstring> more) const
{
    std::wstring overrides;
    for (const std::wstring& name : LibraryNames()) {
        overrides += (overrides.empty() ? L"" : L",") + name;
    }
    more[L"WINEDLLOVERRIDES"] = overrides + L"=n,b";
    return more;
}

std::vector<std::string> PlantedSetup::Loaded() const
{
    std::vector<std::string> records;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(RecordFolder(), ignored)) {
        std::ifstream file(entry.path(), std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        std::string program;
        for (std::size_t index = 0; index + 1 < bytes.size(); index += 2) {
            program += bytes[index];  // the path is UTF-16; its ASCII letters are enough to name it
        }
        records.push_back(entry.path().filename().string() + " (" + program + ")");
    }
    return records;
}
