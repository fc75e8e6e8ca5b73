#pragma once

#include "framework/CString.h"
#include "remote/BaseRequest.h"
#include "transfer/ExchangeLimits.h"

#include <windows.h>

#include <nlohmann/json.hpp>

#include <chrono>
#include <memory>
#include <string>

// The setup's client of the operator's services: base requests for telemetry and the JSON exchange.
// One per process, reached through Instance().
class Cancellation;

class ApiManager {
public:
    static std::shared_ptr<ApiManager> Instance();

    // The base telemetry event (keys "0" to "22" and the identity fields, read from ConfigurationManager
    // now) and the signed "Authorization" header.
    BaseRequest MakeBaseRequest();

    // Posts the request document to the configuration endpoint, up to three times 5 s apart while the
    // status is outside 200-399, and parses the last answer with its whitespace removed. Throws
    // TesseraException (no endpoint, no exchange, empty answer) or the JSON library's parse_error.
    // Once the run is cancelled (the user quits) no further attempt is made and the wait ends at once.
    std::unique_ptr<nlohmann::json> RequestConfiguration(const Cancellation& run);

    // Every stage of a configuration exchange: the answer may be large and the service slow to make it.
    static constexpr ExchangeLimits kConfigurationLimits{std::chrono::seconds(10), std::chrono::seconds(10),
                                                         std::chrono::seconds(10), std::chrono::seconds(30)};
};
