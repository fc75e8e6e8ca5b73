#include "remote/ApiManager.h"

#include "framework/TextConversion.h"
#include "profile/ConfigurationManager.h"
#include "profile/MachineFacts.h"
#include "remote/JsonExchange.h"
#include "remote/OsVersionString.h"
#include "remote/RequestSignature.h"
#include "remote/TelemetryNames.h"

#include <mutex>

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
