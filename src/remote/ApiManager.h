#pragma once

#include "framework/CString.h"
#include "remote/BaseRequest.h"

#include <windows.h>

#include <nlohmann/json.hpp>

#include <memory>
#include <string>

// The setup's client of the operator's services: base requests for telemetry and the JSON exchange.
// One per process, reached through Instance().
class ApiManager {
public:
    static std::shared_ptr<ApiManager> Instance();

    // The base telemetry event (keys "0" to "22" and the identity fields, read from ConfigurationManager
    // now) and the signed "Authorization" header.
    BaseRequest MakeBaseRequest();

    // Posts the request document to the configuration endpoint, up to three times 5 s apart while the
    // status is outside 200-399, and parses the last answer with its whitespace removed. Throws
    // TesseraException (no endpoint, transport failure, empty answer) or the JSON library's parse_error.
    // A cancelled download manager (the user quits) cuts the waits short.
    std::unique_ptr<nlohmann::json> RequestConfiguration();

    // POSTs body as JSON; see JsonExchange::Post. headers are taken by value as callers build them on
    // the spot.
    bool PostJson(const CString& url, const std::string& body, HttpHeaders headers, std::string& response,
                  DWORD& status);
};
