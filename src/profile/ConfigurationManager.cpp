#include "profile/ConfigurationManager.h"

#include "framework/MessageBoxSeam.h"
#include "profile/BuildConstants.h"
#include "profile/MachineFacts.h"

#include <shlwapi.h>

#include <map>

namespace {

bool IsDirectory(const CString& path)
{
    return !path.IsEmpty() && PathIsDirectoryW(path);
}

int WizardTypeOfKey(const CString& key)
{
    static const std::map<CString, int> kTypes{{L"DLM", WIZARD_DLM}, {L"ISV", WIZARD_ISV}};
    const auto found = kTypes.find(key);
    if (found == kTypes.end()) {
        AfxMessageBox(L"Unknown wizard type", MB_OK);
        return WIZARD_NONE;
    }
    return found->second;
}

}  // namespace

std::shared_ptr<ConfigurationManager> ConfigurationManager::Instance()
{
    static std::once_flag once;
    static std::shared_ptr<ConfigurationManager> instance;
    std::call_once(once, [] { instance = std::make_shared<ConfigurationManager>(); });
    return instance;
}

ConfigurationManager::ConfigurationManager()
{
    m_wizardType = WizardTypeOfKey(BuildConstants::WizardTypeKey);
    m_brandedPages = BuildConstants::BrandedPages;
    m_heritagePages = BuildConstants::HeritagePages;
    m_reportDownloadFailures = true;
    m_version = MachineFacts::FileVersion(GetModuleHandleW(nullptr));

    m_configUrl = BuildConstants::ConfigUrl;
    m_telemetryUrl = BuildConstants::TelemetryUrl;
    m_accountName = L"Kelvane";
    m_productId = L"Bramble_Web";
    m_setupId = L"Bramble_Web_CPP";
    m_imageBaseUrl = BuildConstants::ImageBaseUrl;
    m_backgroundColor = RGB(255, 255, 255);
    m_accentColor = RGB(127, 188, 66);
    m_sdkLicenseUrl = L"";

    if (m_wizardType == WIZARD_DLM) {
        UseUserFolderForDownloads();
    } else if (m_wizardType == WIZARD_ISV) {
        m_productTitle = L"Bramble Web";
        m_productUrl = BuildConstants::ProductUrl;
        m_privacyUrl = BuildConstants::PrivacyUrl;
        m_termsUrl = BuildConstants::TermsUrl;
        m_installArguments = L"/S";
        m_installedExePath = L"{commonappdata}\\Bramble Web\\bramweb.exe";
        m_launchArguments = L"/RUNONSTARTUP";
        UseTempFolderForDownloads();
    }
}

void ConfigurationManager::UseUserFolderForDownloads()
{
    m_downloadFolder = MachineFacts::KnownFolderPath(FOLDERID_Downloads);
    if (m_downloadFolder.IsEmpty()) {
        wchar_t documents[MAX_PATH] = {};
        if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, documents))) {
            m_downloadFolder = documents;
        }
    }
    if (m_downloadFolder.IsEmpty()) {
        wchar_t temp[MAX_PATH] = {};
        if (GetTempPathW(MAX_PATH, temp) != 0) {
            m_downloadFolder = temp;
        }
    }
    if (m_downloadFolder.IsEmpty()) {
        m_downloadFolder = L"C:\\";
    }
    const CString temp = CreateTempFolder();
    if (IsDirectory(temp)) {
        m_tempFolder = temp;
    }
}

void ConfigurationManager::UseTempFolderForDownloads()
{
    const CString temp = CreateTempFolder();
    if (IsDirectory(temp)) {
        m_downloadFolder = temp;
        m_tempFolder = temp;
    } else {
        m_downloadFolder.Empty();
    }
}

void ConfigurationManager::FillPathVariables()
{
    if (m_pathVariablesReady) {
        return;
    }
    const bool wow64 = MachineFacts::IsWow64();
    m_pathVariables.try_emplace(L"commonpf", wow64 ? L"{commonpf64}" : L"{commonpf32}");
    m_pathVariables.try_emplace(L"localappdata", MachineFacts::KnownFolderPath(FOLDERID_LocalAppData));
    m_pathVariables.try_emplace(L"commonappdata", MachineFacts::KnownFolderPath(FOLDERID_RoamingAppData));
    m_pathVariables.try_emplace(L"programdata", MachineFacts::KnownFolderPath(FOLDERID_ProgramData));
    m_pathVariables.try_emplace(L"commonpf32", MachineFacts::KnownFolderPath(FOLDERID_ProgramFilesX86));
    if (wow64) {
        const CString programFiles64 = MachineFacts::EnvironmentVariable(L"ProgramW6432");
        if (!programFiles64.IsEmpty()) {
            m_pathVariables.try_emplace(L"commonpf64", programFiles64);
            m_pf64Variables.try_emplace(L"commonpf64", programFiles64);
        }
    }
    m_pathVariablesReady = true;
}

PathVariableMap ConfigurationManager::PathVariables()
{
    std::lock_guard lock(m_cacheMutex);
    FillPathVariables();
    return m_pathVariables;
}

CString ConfigurationManager::ExpandPathVariables(const CString& path)
{
    const PathVariableMap variables = PathVariables();
    CString expanded = path;
    const auto replace = [&expanded](const CString& name, const CString& value) {
        const CString token = L"{" + name + L"}";
        if (expanded.Find(token) >= 0) {
            expanded.Replace(token, value);
        }
    };
    if (const auto commonpf = variables.find(L"commonpf"); commonpf != variables.end()) {
        replace(commonpf->first, commonpf->second);
    }
    for (const auto& [name, value] : variables) {
        if (name != L"commonpf") {
            replace(name, value);
        }
    }
    return expanded;
}

std::string ConfigurationManager::SessionId()
{
    std::lock_guard lock(m_cacheMutex);
    if (m_sessionId.empty()) {
        m_sessionId = MachineFacts::LocalTimestamp();
    }
    return m_sessionId;
}

std::string ConfigurationManager::UserId()
{
    std::lock_guard lock(m_cacheMutex);
    if (m_userId.empty()) {
        m_userId = MachineFacts::MachineGuid();
    }
    return m_userId;
}

std::string ConfigurationManager::CurrentTimeMillis()
{
    return MachineFacts::CurrentTimeMillis();
}

CString ConfigurationManager::CreateTempFolder()
{
    return MachineFacts::CreateUniqueTempFolder();
}
