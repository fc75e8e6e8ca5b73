#include "remote/OfferElement.h"

#include "framework/TextConversion.h"
#include "profile/ConfigurationManager.h"
#include "profile/MachineFacts.h"
#include "remote/AccountHash.h"
#include "remote/AffiliateCode.h"
#include "remote/ConfigurationDocument.h"
#include "remote/Package.h"
#include "transfer/EncodingUtilities.h"

#include <stdexcept>
#include <string>
#include <type_traits>

namespace OfferElement {

namespace {

using nlohmann::json;

// Optional keys are looked up first: a missing key leaves the default, a present one must have the
// right type. Numbers may be integers, floating point (truncated) or booleans.
template <class T>
T Optional(const json& object, const char* key, T fallback)
{
    const auto found = object.find(key);
    if (found == object.end()) {
        return fallback;
    }
    // The library reads a boolean as a number for most arithmetic types, not for its own integer
    // and floating-point types: the same rule for all.
    if constexpr (std::is_arithmetic_v<T> && !std::is_same_v<T, bool>) {
        if (found->is_boolean()) {
            return static_cast<T>(found->template get<bool>());
        }
    }
    return found->template get<T>();
}

void AddIfNotEmpty(PackageParameters& parameters, const char* name, const std::string& value)
{
    if (!value.empty()) {
        parameters[name] = value;
    }
}

void AddIdentityParameters(Package& package)
{
    const auto configuration = ConfigurationManager::Instance();
    PackageParameters& parameters = package.m_params;
    AddIfNotEmpty(parameters, "userid", configuration->UserId());
    AddIfNotEmpty(parameters, "sessionid", configuration->SessionId());
    AddIfNotEmpty(parameters, "cc", configuration->m_country);
    AddIfNotEmpty(parameters, "pubid", configuration->m_pubId);
    AddIfNotEmpty(parameters, "ispb", configuration->m_ispb);
    parameters["aflt"] = AffiliateCode(configuration->m_country);
    if (!configuration->m_accountName.IsEmpty()) {
        parameters["account_md5"] = AccountHash(configuration->m_accountName);
    }
}

void ReadIdentity(const json& element, Package& package)
{
    const json& ad = element.at("ad");
    package.m_adF = ad.at("f").get<std::string>();
    package.m_adO = ad.at("o").get<std::string>();
    // The identifier is encoded digit by digit into the tracking value, in time that grows with the
    // square of its length: a document with a huge one would hold the loading worker for hours.
    if (package.m_adO.size() > OfferElement::kMaxOfferIdLength) {
        throw std::length_error("offer identifier longer than " + std::to_string(OfferElement::kMaxOfferIdLength) + " bytes");
    }
    const auto configuration = ConfigurationManager::Instance();
    std::string tracking;
    try {
        tracking = Base62Encode(configuration->UserId() + "|" + package.m_adO + "|" + configuration->SessionId());
    } catch (const std::exception&) {
        // A value that cannot be made is sent empty.
    }
    package.m_params["pxl"] = tracking;
    package.m_params["of"] = package.m_adF;
}

// The Windows version as "major.minor", the key of "pnrp".
std::string WindowsMajorMinor()
{
    const auto version = MachineFacts::WindowsVersion();
    return version ? std::to_string(version->dwMajorVersion) + "." + std::to_string(version->dwMinorVersion)
                   : std::string();
}

std::string PnrParameter(const json& ps)
{
    const auto pnrp = ps.find("pnrp");
    if (pnrp == ps.end() || !pnrp->is_object()) {
        return {};
    }
    const std::string fallback = Optional<std::string>(*pnrp, "default", "");
    return Optional<std::string>(*pnrp, WindowsMajorMinor().c_str(), fallback);
}

void ReadFlowRules(const json& cfs, FlowRules& flow)
{
    flow.maxBefore = Optional(cfs, "mb", flow.maxBefore);
    flow.allowedBefore = Optional(cfs, "ab", flow.allowedBefore);
    flow.maxAfter = Optional(cfs, "ma", flow.maxAfter);
    flow.allowedAfter = Optional(cfs, "aa", flow.allowedAfter);
    flow.mo = Optional(cfs, "mo", flow.mo);
    flow.saad = Optional(cfs, "saad", flow.saad);
    flow.sied = Optional(cfs, "sied", flow.sied);
}

void ReadPnBlock(const json& ps, Package& package)
{
    package.m_pn.enabled = Optional(ps, "pn", false);
    if (!package.m_pn.enabled) {
        return;
    }
    PnSettings& pn = package.m_pn;
    pn.apiUrl = Optional<std::string>(ps, "pnau", "");
    pn.apiKey = Optional<std::string>(ps, "pnak", "");
    pn.historyPath = package.ExpandParameters(Optional<std::string>(ps, "pnr", ""));
    pn.op = Optional<std::string>(ps, "pnop", "");

    PackageParameters& parameters = package.m_params;
    parameters["pnrparam"] = PnrParameter(ps);
    pn.stubParams = package.ExpandParameters(Optional<std::string>(ps, "sp", ""));
    parameters["pnstubparams"] = pn.stubParams;
    const auto configuration = ConfigurationManager::Instance();
    parameters["pnapiurl"] = pn.apiUrl;
    parameters["pnapikey"] = pn.apiKey;
    parameters["pnop"] = pn.op;
    parameters["account"] = ToUtf8(configuration->m_accountName);
    parameters["installer"] = ToUtf8(configuration->m_productId);
    parameters["pnsid"] = ConfigurationManager::CurrentTimeMillis();

    if (const auto cfs = ps.find("cfs"); cfs != ps.end() && cfs->is_object()) {
        ReadFlowRules(*cfs, package.m_flow);
    }
}

void ReadTextsAndNumbers(const json& ps, Package& package)
{
    package.m_installArgs = package.ExpandParameters(Optional<std::string>(ps, "p", ""));
    package.m_privacyUrl = package.ExpandParameters(Optional<std::string>(ps, "cp", ""));
    package.m_eulaUrl = package.ExpandParameters(Optional<std::string>(ps, "ctu", ""));
    package.m_vertical = Optional(ps, "v", 0);
    package.m_exclusive = Optional(ps, "exc", false);
    if (ps.contains("c")) {
        package.m_c = package.ExpandParameters(ps.at("c").get<std::string>());
    }
    package.m_minDiskMb = Optional<std::int64_t>(ps, "disk", 0);
    package.m_minRamMb = Optional<std::int64_t>(ps, "ram", 0);
    package.m_minCpuMhz = Optional<std::int64_t>(ps, "cpu", 0);
    package.m_minOsVersion = Optional(ps, "ov", 0);
    package.m_minPlatformVersion = Optional<std::string>(ps, "pv", "");
    package.m_requireWin64 = Optional(ps, "win64", false);
}

// "x" names a preset that wins over the keys it touches; other values do nothing.
void ApplyPreset(const json& ps, Package& package)
{
    switch (Optional(ps, "x", 0)) {
    case 1:
        package.m_minDiskMb = 2500;
        package.m_minRamMb = 250;
        break;
    case 2:
        package.m_requireChrome = true;
        package.m_checkIeVersion = true;
        break;
    case 3:
        package.m_minDiskMb = 512;
        package.m_minRamMb = 1536;
        package.m_minCpuMhz = 1500;
        break;
    case 10:
        package.m_requireWin64 = true;
        break;
    case 12:
        package.m_requireChrome = true;
        break;
    case 13:
        package.m_requireNoChrome = true;
        break;
    default:
        break;
    }
}

std::vector<std::string> Strings(const json& ps, const char* key)
{
    return Optional(ps, key, std::vector<std::string>{});
}

std::vector<std::wstring> WideStrings(const json& ps, const char* key)
{
    std::vector<std::wstring> result;
    for (const std::string& entry : Strings(ps, key)) {
        result.push_back(Utf8ToWide(entry));
    }
    return result;
}

std::vector<CString> Paths(const json& ps, const char* key)
{
    const auto configuration = ConfigurationManager::Instance();
    std::vector<CString> result;
    for (const std::string& entry : Strings(ps, key)) {
        result.push_back(configuration->ExpandPathVariables(AnsiToCString(entry)));
    }
    return result;
}

std::vector<UninstallTimeCheck> UninstallTimeChecks(const json& ps)
{
    std::vector<UninstallTimeCheck> result;
    for (const json& record : Optional(ps, "cmdu", json::array()).get<std::vector<json>>()) {
        UninstallTimeCheck check;
        check.root = Utf8ToWide(record.at("utr").get<std::string>());
        check.key = Utf8ToWide(record.at("utk").get<std::string>());
        check.valueName = Utf8ToWide(record.at("utvn").get<std::string>());
        check.valueType = Utf8ToWide(record.at("utvt").get<std::string>());
        check.minDays = record.at("umd").get<int>();
        check.inMilliseconds = Optional(record, "utms", false);
        result.push_back(std::move(check));
    }
    return result;
}

void ReadLists(const json& ps, Package& package)
{
    package.m_blockingFiles = Paths(ps, "fe");
    package.m_requiredFiles = Paths(ps, "ife");
    package.m_blockingProcesses = Strings(ps, "a");
    package.m_blockingRegistryKeys = WideStrings(ps, "r");
    package.m_requiredRegistryKeys = WideStrings(ps, "ir");
    package.m_blockingRegistryValues = WideStrings(ps, "rvn");
    package.m_blockingRegistryData = WideStrings(ps, "rvd");
    package.m_uninstallTimeChecks = UninstallTimeChecks(ps);
    package.m_excludedApps = WideStrings(ps, "eapp");
    package.m_requiredApps = WideStrings(ps, "iapp");
}

}  // namespace

void Read(const json& element, Package& package)
{
    AddIdentityParameters(package);
    ReadIdentity(element, package);
    const json& ps = element.at("ps");
    package.m_imageName = package.ExpandParameters(ps.at("i").get<std::string>());
    package.m_displayName = package.ExpandParameters(ps.at("dn").get<std::string>());
    package.m_downloadUrl = package.ExpandParameters(ps.at("u").get<std::string>());
    package.m_sha256 = ConfigurationDocument::Sha256Of(ps);
    ReadPnBlock(ps, package);
    ReadTextsAndNumbers(ps, package);
    ApplyPreset(ps, package);
    ReadLists(ps, package);
}

}  // namespace OfferElement
