#pragma once

#include "framework/CString.h"
#include "framework/HeldFile.h"

#include <windows.h>

#include <array>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace Gdiplus {
class Image;
}
class Package;

enum WizardType : int { WIZARD_NONE = 0, WIZARD_DLM = 1, WIZARD_ISV = 2 };

using PathVariableMap = std::unordered_map<CString, CString>;

// What the setup knows about its product and the run in progress: build values, the remote
// configuration's values, the user's choices, the folders and the offer lists. One per process;
// its fields are read and written directly by the parts that own them.
class ConfigurationManager {
public:
    static std::shared_ptr<ConfigurationManager> Instance();

    // Use Instance(); tests construct their own to vary the environment.
    ConfigurationManager();

    // Path variables ("commonpf", "localappdata", ...) filled on first use.
    PathVariableMap PathVariables();
    // Replaces each "{name}" of the table in path; "{commonpf}" first, as its value names another variable.
    CString ExpandPathVariables(const CString& path);

    std::string SessionId();
    std::string UserId();
    static std::string CurrentTimeMillis();
    static CString CreateTempFolder();

    int m_wizardType = WIZARD_NONE;
    bool m_brandedPages = false;
    bool m_heritagePages = false;
    bool m_reportDownloadFailures = false;
    CString m_productTitle;
    CString m_productUrl;
    CString m_logoUrl;
    CString m_privacyUrl;
    CString m_termsUrl;
    CString m_sdkLicenseUrl;
    CString m_downloadFolder;
    CString m_productFileName;
    CString m_tempFolder;
    CString m_installArguments;
    std::array<bool, 3> m_options{};
    std::array<bool, 5> m_configurations{};
    CString m_installedExePath;
    CString m_launchArguments;
    CString m_productId;
    CString m_downloadedFile;
    // The DLM product's downloaded file, held against changes until the finish page has opened it.
    std::shared_ptr<HeldFile> m_downloadedFileHold;
    // The SHA-256 the configuration gave for the product's installer ("i"."sha256"), as it gave it.
    std::optional<std::string> m_productSha256;
    CString m_version;
    CString m_configUrl;
    CString m_telemetryUrl;
    CString m_accountName;
    CString m_setupId;
    CString m_ch;
    CString m_cfl;
    COLORREF m_backgroundColor = 0;
    COLORREF m_accentColor = 0;
    int m_maxOffers = 0;
    int m_offerAdjustment = 0;
    int m_offerCount = 0;
    CString m_imageBaseUrl;
    CString m_languageName;
    CString m_languageCode;
    std::string m_country;
    std::string m_pubId;
    std::string m_ispb;
    std::vector<std::shared_ptr<Package>> m_acceptedOffers;
    std::vector<std::shared_ptr<Package>> m_shownOffers;
    std::shared_ptr<Package> m_setupPackage;
    std::shared_ptr<Gdiplus::Image> m_productImage;
    std::string m_sessionId;
    std::string m_userId;
    PathVariableMap m_pathVariables;
    PathVariableMap m_pf64Variables;
    bool m_pathVariablesReady = false;
    bool m_offerDeclined = false;

private:
    void FillPathVariables();
    void UseTempFolderForDownloads();
    void UseUserFolderForDownloads();

    // The caches are filled from whichever thread asks first.
    std::mutex m_cacheMutex;
};
