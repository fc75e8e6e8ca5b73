#pragma once

#include "framework/CString.h"
#include "transfer/ExchangeLimits.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>

class WinHttpRequest;

// One GET over WinHTTP whose body is then read piece by piece. The redirects are followed here, not by
// WinHTTP (DownloadRules); each hop is a WinHttpRequest of its own. The WinHTTP header stays out of
// this one so that it can meet the WinINet one in a translation unit.
class WinHttpTransfer {
public:
    // The file download and the memory fetch present themselves differently (user agent, proxy).
    enum class Client { FileDownload, MemoryFetch };

    // Sends the request and follows redirects until a final answer; throws on every failure, on a
    // sixth redirect ("Too many redirects."), on a final status outside 200 to 299 and, for a file
    // download, on any address that is not HTTPS ("Insecure URL: ...").
    WinHttpTransfer(const CString& url, Client client, const ExchangeLimits& limits);
    ~WinHttpTransfer();
    WinHttpTransfer(const WinHttpTransfer&) = delete;
    WinHttpTransfer& operator=(const WinHttpTransfer&) = delete;

    // The announced length of the body; empty when the server gave none.
    std::optional<std::uint64_t> ContentLength() const;

    // Reads the next part of the body into buffer; 0 at its end. No data within the receive limit
    // throws "Download stalled: ...".
    std::uint32_t Read(char* buffer, std::uint32_t capacity);

private:
    std::unique_ptr<WinHttpRequest> m_request;
};
