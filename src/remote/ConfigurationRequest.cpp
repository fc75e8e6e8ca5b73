#include "remote/ConfigurationRequest.h"

#include "framework/TextConversion.h"
#include "profile/ConfigurationManager.h"
#include "remote/OsVersionString.h"

namespace {

constexpr const char* kProtocolVersion = "0.1";
constexpr std::size_t kCodeLength = 7;

}  // namespace

namespace ConfigurationRequest {

std::string FileNameCode(const CString& modulePath)
{
    const std::wstring path = modulePath.Str();
    const std::size_t underscore = path.rfind(L'_');
    if (underscore == std::wstring::npos) {
        return {};
    }
    std::wstring code = path.substr(underscore + 1);
    if (const std::size_t dot = code.rfind(L'.'); dot != std::wstring::npos) {
        code.erase(dot);
    }
    if (code.size() != kCodeLength || code.find(L'-') == std::wstring::npos) {
        return {};
    }
    return ToAnsi(code);
}

std::string LanguageParameter(const CString& languageCode)
{
    std::string language = ToAnsi(languageCode).substr(0, 2);
    for (char& letter : language) {
        if (letter >= 'A' && letter <= 'Z') {
            letter = static_cast<char>(letter - 'A' + 'a');
        }
    }
    return language;
}

nlohmann::json Build(ConfigurationManager& configuration, const CString& modulePath)
{
    // nlohmann::json keeps object keys sorted, which gives the byte order the endpoint expects.
    return nlohmann::json{
        {"prv", kProtocolVersion},
        {"plv", ToAnsi(configuration.m_version)},
        {"l", LanguageParameter(configuration.m_languageCode)},
        {"a", ToAnsi(configuration.m_accountName)},
        {"i", ToAnsi(configuration.m_productId)},
        {"s", ToAnsi(configuration.m_setupId)},
        {"u", FileNameCode(modulePath)},
        {"o", OsVersionString()},
    };
}

std::string Serialise(const nlohmann::json& document)
{
    // A value that is not UTF-8 (ANSI text beyond ASCII) gets replacement characters instead of failing
    // the request, as in the telemetry events.
    return document.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace ConfigurationRequest
