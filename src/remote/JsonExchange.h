#pragma once

#include "framework/CString.h"
#include "remote/BaseRequest.h"

#include <windows.h>

#include <string>

// One HTTPS POST of a JSON body over WinHTTP, shared by the configuration request and the telemetry
// sender. Header and read problems are written to standard output; there is no log file.
class JsonExchange {
public:
    // Appends the response body to response and stores the HTTP status. Returns true once a request was
    // sent and a response received, whatever its status; throws TesseraException otherwise (a URL that
    // cannot be split, no connection, TLS failure).
    static bool Post(const CString& url, const std::string& body, const HttpHeaders& headers, std::string& response,
                     DWORD& status);
};
