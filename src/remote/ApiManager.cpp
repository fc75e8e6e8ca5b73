#include "remote/ApiManager.h"

#include "framework/TextConversion.h"
#include "profile/ConfigurationManager.h"
#include "profile/MachineFacts.h"
#include "remote/JsonExchange.h"
#include "remote/OsVersionString.h"
#include "remote/RequestSignature.h"

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
    for (int key = 0; key <= 22; ++key) {
        request.event[std::to_string(key)] = "";
    }
    request.event["1"] = userId;
    request.event["2"] = sessionId;
    request.event["3"] = ToAnsi(configuration->m_accountName);
    request.event["4"] = ToAnsi(configuration->m_productId);
    request.event["7"] = ToAnsi(configuration->m_version);
    request.event["15"] = 0;
    request.event["19"] = ToAnsi(configuration->m_cfl);
    request.event["21"] = ToAnsi(configuration->m_ch);
    request.event["22"] = ToAnsi(configuration->m_productTitle);
    request.event["31"] = OsVersionString();
    request.event["38"] = MachineFacts::IsWow64() ? "1" : "0";

    request.headers.emplace_back(L"Authorization", RequestSignature(userId, sessionId));
    return request;
}

bool ApiManager::PostJson(const CString& url, const std::string& body, HttpHeaders headers, std::string& response,
                          DWORD& status)
{
    return JsonExchange::Post(url, body, headers, response, status);
}
