#pragma once

#include "framework/CString.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>

// One GET over WinHTTP whose body is then read piece by piece. The redirects are followed here, not by
// WinHTTP (DownloadRules); each hop gets a session of its own. The WinHTTP handles stay inside the
// .cpp so that this header can meet the WinINet one in a translation unit.
class WinHttpTransfer {
public:
    // The file download and the memory fetch present themselves differently (user agent, proxy).
    enum class Client { FileDownload, MemoryFetch };

    // Sends the request and follows redirects until a final answer; throws on every failure, on a
    // sixth redirect ("Too many redirects."), on a final status outside 200 to 299 and, for a file
    // download, on any address that is not HTTPS ("Insecure URL: ...").
    WinHttpTransfer(const CString& url, Client client);
    ~WinHttpTransfer();
    WinHttpTransfer(const WinHttpTransfer&) = delete;
    WinHttpTransfer& operator=(const WinHttpTransfer&) = delete;

    // The announced length of the body; empty when the server gave none.
    std::optional<std::uint64_t> ContentLength() const;

    // Reads the next part of the body into buffer; 0 at its end.
    std::uint32_t Read(char* buffer, std::uint32_t capacity);

    // Defined in the .cpp only.
    struct Handles;

private:
    std::unique_ptr<Handles> m_handles;
};
