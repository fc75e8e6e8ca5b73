#pragma once

#include "framework/CString.h"
#include "remote/BaseRequest.h"
#include "transfer/ExchangeLimits.h"

#include <windows.h>

#include <optional>
#include <string>

// One HTTPS POST of a JSON body over WinHTTP, shared by the configuration request and the telemetry
// sender, within the caller's time limits.
class JsonExchange {
public:
    struct Answer {
        DWORD status = 0;
        std::string body;
    };

    // The answer, whatever its status; nothing when no exchange took place (a URL that cannot be split,
    // no connection, a TLS failure, a time limit passed, a broken or oversized answer), with the step
    // and WinHTTP's error in the setup log.
    static std::optional<Answer> Post(const CString& url, const std::string& body, const HttpHeaders& headers,
                                      const ExchangeLimits& limits);

    // No answer of the operator's services comes near this; a larger one is refused, not read.
    static constexpr std::size_t kMaxAnswerBytes = 4 * 1024 * 1024;
};
