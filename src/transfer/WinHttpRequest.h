#pragma once

#include "framework/CString.h"
#include "framework/WinHttpHandle.h"
#include "transfer/ExchangeLimits.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

// One WinHTTP request with a session of its own (the setup's protocols, WinHttpSettings) and a time
// limit on every stage. The configuration and telemetry exchanges and every hop of a download go
// through here. Failures throw TransferError texts: "<step>: <error> - <system text>".
class WinHttpRequest {
public:
    // Where the request goes; the object is the path with its query.
    struct Target {
        CString host;
        INTERNET_PORT port;
        CString object;
        bool secure;
    };
    // Who asks: the user agent (null for none), the proxy use, the limits.
    struct Client {
        const wchar_t* userAgent;
        DWORD accessType;
        ExchangeLimits limits;
    };

    WinHttpRequest(const Target& target, const wchar_t* verb, const Client& client);

    // Written to the setup log and passed over when WinHTTP refuses it.
    void AddHeader(const std::wstring& name, const std::wstring& value);
    // Every 3xx comes back to the caller instead of being followed.
    void RefuseRedirects();
    // Sends the request with its body (up to length bytes) and receives the response headers.
    void Send(const char* body = nullptr, DWORD length = 0);

    // The response's status; throws when it has none.
    DWORD Status() const;
    // The Location header of a redirect; throws when it is missing or longer than DownloadRules allow.
    CString Location() const;
    // The announced length of the body; empty when the server gave none.
    std::optional<std::uint64_t> ContentLength() const;
    // Reads the next part of the body into buffer; 0 at its end. No data within the receive limit throws
    // "Download stalled: ..." (TransferError::ThrowReadFailure).
    std::uint32_t Read(char* buffer, std::uint32_t capacity);

private:
    UniqueWinHttpHandle m_session;
    UniqueWinHttpHandle m_connection;
    UniqueWinHttpHandle m_request;
    std::chrono::milliseconds m_receiveLimit;
};
