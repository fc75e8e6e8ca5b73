#include "remote/ApiManager.h"

#include "framework/Pauses.h"
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
#include "transfer/DownloadManager.h"

#include <chrono>

#include <mutex>
#include <thread>

namespace {

constexpr int kConfigurationAttempts = 3;
constexpr auto kWaitAfterFailedAttempt = std::chrono::milliseconds(5000);
constexpr auto kCancelPollInterval = std::chrono::milliseconds(100);

bool IsAcceptedStatus(DWORD status)
{
    return status >= 200 && status <= 399;
}

// The wait between attempts. False when the user has quit meanwhile: no further attempt is made.
bool WaitBeforeNextAttempt()
{
    const auto manager = DownloadManager::Instance();
    const auto end = std::chrono::steady_clock::now() + Pauses::Of(kWaitAfterFailedAttempt);
    while (!manager->m_cancelled && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(kCancelPollInterval);
    }
    return !manager->m_cancelled;
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

bool ApiManager::PostJson(const CString& url, const std::string& body, HttpHeaders headers, std::string& response,
                          DWORD& status)
{
    return JsonExchange::Post(url, body, headers, response, status);
}

std::unique_ptr<nlohmann::json> ApiManager::RequestConfiguration()
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
        response.clear();
        DWORD status = 0;
        try {
            const bool answered = PostJson(configuration->m_configUrl, document, {}, response, status);
            LogEntry() << "Configuration request " << attempt << " to " << address << ": status " << status
                       << ", " << response.size() << " bytes";
            if (answered && IsAcceptedStatus(status)) {
                break;
            }
        } catch (const std::exception&) {
            LogEntry() << "Configuration request " << attempt << " to " << address << ": no answer";
            throw;
        }
        if (!WaitBeforeNextAttempt()) {
            break;
        }
    }
    return std::make_unique<nlohmann::json>(ConfigurationDocument::Parse(response));
}
