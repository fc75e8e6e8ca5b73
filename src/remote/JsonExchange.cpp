#include "remote/JsonExchange.h"

#include "framework/SetupLog.h"
#include "transfer/TransferError.h"
#include "transfer/WinHttpRequest.h"
#include "transfer/WinHttpSettings.h"
#include "transfer/WinHttpUrl.h"

#include <cstring>
#include <vector>

namespace {

constexpr std::uint32_t kReadBytes = 16 * 1024;

WinHttpRequest::Target TargetOf(const CString& url)
{
    WinHttpUrl parts;
    if (!CrackWinHttpUrl(url, parts)) {
        TransferError::ThrowSystemError(L"Failed to parse URL", GetLastError());
    }
    // Every exchange is TLS: a URL without a port means 443 whatever its scheme; one that names a port
    // means that port (the service of a test run, an operator host on another port).
    return {parts.host, parts.portNamed ? parts.port : static_cast<INTERNET_PORT>(INTERNET_DEFAULT_HTTPS_PORT),
            parts.path, true};
}

std::string ReadAnswer(WinHttpRequest& request)
{
    std::string answer;
    std::vector<char> buffer(kReadBytes);
    for (;;) {
        const std::uint32_t read = request.Read(buffer.data(), kReadBytes);
        if (read == 0) {
            return answer;
        }
        if (read > JsonExchange::kMaxAnswerBytes - answer.size()) {
            TransferError::Throw(L"The answer is larger than 4 MiB; it is not read");
        }
        answer.append(buffer.data(), read);
    }
}

}  // namespace

std::optional<JsonExchange::Answer> JsonExchange::Post(const CString& url, const std::string& body,
                                                       const HttpHeaders& headers, const ExchangeLimits& limits)
{
    try {
        // The same session settings as every download's: one whose protocols cannot be set is not used.
        WinHttpRequest request(TargetOf(url), L"POST", {nullptr, WinHttpSettings::AccessType(), limits});
        for (const auto& [name, value] : headers) {
            request.AddHeader(name, value);
        }
        request.AddHeader(L"Expect", L"100-continue");
        request.AddHeader(L"Content-Type", L"application/json");
        // The body is text: it ends at its first zero byte, as its length does.
        request.Send(body.c_str(), static_cast<DWORD>(strnlen(body.c_str(), body.size())));
        Answer answer;
        answer.status = request.Status();
        answer.body = ReadAnswer(request);
        return answer;
    } catch (const std::exception& failure) {
        LogEntry() << "JSON exchange with " << SetupLog::AddressOf(url) << ": " << TransferError::TextOf(failure);
        return std::nullopt;
    }
}
