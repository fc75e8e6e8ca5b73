#pragma once

#include "framework/CString.h"
#include "transfer/ExchangeLimits.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>

// One GET over WinINet of a file that will be run or opened, the body then read piece by piece. Only
// HTTPS is followed, every redirect included (DownloadRules), and only a final answer of exactly 200
// is accepted. Like WinHttpTransfer, it keeps its SDK header out of this one.
class WinInetTransfer {
public:
    // The limits' resolve stage has no WinINet setting: it is part of connecting there.
    WinInetTransfer(const CString& url, const ExchangeLimits& limits);
    ~WinInetTransfer();
    WinInetTransfer(const WinInetTransfer&) = delete;
    WinInetTransfer& operator=(const WinInetTransfer&) = delete;

    // The announced length of the body; empty when the server gave none.
    std::optional<std::uint64_t> ContentLength() const;

    // Reads the next part of the body into buffer; 0 at its end. A failing read throws
    // "Failed to read data: <error> - <system text>"; no data within the receive limit throws
    // "Download stalled: ...".
    std::uint32_t Read(char* buffer, std::uint32_t capacity);

    // Defined in the .cpp only.
    struct Handles;

private:
    std::unique_ptr<Handles> m_handles;
    std::chrono::milliseconds m_receiveLimit;
};
