#include "remote/ApiManager.h"

#include "framework/Cancellation.h"
#include "framework/SetupLog.h"
#include "framework/TextConversion.h"
#include "profile/ConfigurationManager.h"
#include "profile/MachineFacts.h"
#include "remote/ConfigurationDocument.h"
#include "remote/ConfigurationRequest.h"
#include "remote/JsonExchange.h"
#include "remote/OsVersionString.h"
#include "remote/RequestSignature.h"
#include "remote/TelemetryNames.h"
#include "remote/TesseraException.h"

#include <chrono>
#include <mutex>

namespace {

constexpr int kConfigurationAttempts = 3;
constexpr auto kWaitAfterFailedAttempt = std::chrono::milliseconds(5000);

bool IsAcceptedStatus(DWORD status)
{
    return status >= 200 && status <= 399;
}

CString ModulePath()
{
    wchar_t path[MAX_PATH + 1] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

}  // namespace

std::shared_ptr<ApiManager> ApiManager::Instance()
{
    static std::once_flag once;
    static std::shared_ptr<ApiManager> instance;
    std::call_once(once, [] { instance = std::make_shared<ApiManager>(); });
    return instance;
}

BaseRequest ApiManager::MakeBaseRequest()
{
    const auto configuration = ConfigurationManager::Instance();
    const std::string userId = configuration->UserId();
    const std::string sessionId = configuration->SessionId();

    BaseRequest request;
    for (int key = EventKey::kFirstBaseKey; key <= EventKey::kLastBaseKey; ++key) {
        request.event[std::to_string(key)] = "";
    }
    request.event[EventKey::UserId] = userId;
    request.event[EventKey::SessionId] = sessionId;
    request.event[EventKey::AccountName] = ToAnsi(configuration->m_accountName);
    request.event[EventKey::ProductId] = ToAnsi(configuration->m_productId);
    request.event[EventKey::SetupVersion] = ToAnsi(configuration->m_version);
    request.event[EventKey::Reserved15] = 0;
    request.event[EventKey::Cfl] = ToAnsi(configuration->m_cfl);
    request.event[EventKey::Channel] = ToAnsi(configuration->m_ch);
    request.event[EventKey::ProductTitle] = ToAnsi(configuration->m_productTitle);
    request.event[EventKey::OsVersion] = OsVersionString();
    request.event[EventKey::Wow64] = MachineFacts::IsWow64() ? "1" : "0";

    request.headers.emplace_back(L"Authorization", RequestSignature(userId, sessionId));
    return request;
}

std::unique_ptr<nlohmann::json> ApiManager::RequestConfiguration(const Cancellation& run)
{
    const auto configuration = ConfigurationManager::Instance();
    if (configuration->m_configUrl.IsEmpty()) {
        throw TesseraException();
    }
    const std::string document =
        ConfigurationRequest::Serialise(ConfigurationRequest::Build(*configuration, ModulePath()));
    const CString address = SetupLog::AddressOf(configuration->m_configUrl);

    std::string response;
    for (int attempt = 1; attempt <= kConfigurationAttempts; ++attempt) {
        const auto answer = JsonExchange::Post(configuration->m_configUrl, document, {}, kConfigurationLimits);
        if (!answer) {
            LogEntry() << "Configuration request " << attempt << " to " << address << ": no answer";
            throw TesseraException();
        }
        response = answer->body;
        LogEntry() << "Configuration request " << attempt << " to " << address << ": status " << answer->status
                   << ", " << response.size() << " bytes";
        // Every failed attempt is followed by the wait, the third too; a quit ends the wait, and no
        // further attempt is made then.
        if (IsAcceptedStatus(answer->status) || run.Pause(kWaitAfterFailedAttempt)) {
            break;
        }
    }
    return std::make_unique<nlohmann::json>(ConfigurationDocument::Parse(response));
}
