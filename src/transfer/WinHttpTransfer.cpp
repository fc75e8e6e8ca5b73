#include "transfer/WinHttpTransfer.h"

#include "transfer/DownloadRules.h"
#include "transfer/TransferError.h"
#include "transfer/WinHttpRequest.h"
#include "transfer/WinHttpSettings.h"
#include "transfer/WinHttpUrl.h"

namespace {

// One hop: the request sent and its response headers received.
std::unique_ptr<WinHttpRequest> OpenHop(const CString& url, const WinHttpRequest::Client& client)
{
    WinHttpUrl parts;
    if (!CrackWinHttpUrl(url, parts)) {
        TransferError::ThrowSystemError(L"Failed to parse URL", GetLastError());
    }
    // The object is the path with its query; a fragment never goes to the server.
    const WinHttpRequest::Target target{parts.host, parts.port, parts.path + parts.query,
                                        parts.scheme == INTERNET_SCHEME_HTTPS};
    auto hop = std::make_unique<WinHttpRequest>(target, L"GET", client);
    // Redirects are counted here, so WinHTTP must hand every 3xx back.
    hop->RefuseRedirects();
    hop->Send();
    return hop;
}

}  // namespace

WinHttpTransfer::WinHttpTransfer(const CString& url, Client client, const ExchangeLimits& limits)
{
    const bool file = client == Client::FileDownload;
    const WinHttpRequest::Client asking{file ? nullptr : L"A WinHTTP Example Program/1.0",
                                        file ? WinHttpSettings::AccessType() : WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                                        limits};
    CString current = url;
    for (int redirects = 0;;) {
        // What is run or opened comes over HTTPS only, every hop of the way.
        if (file) {
            DownloadRules::RequireSecure(current);
        }
        auto hop = OpenHop(current, asking);
        const DWORD status = hop->Status();
        if (status >= 300 && status <= 399) {
            if (++redirects > DownloadRules::kMax) {
                TransferError::Throw(L"Too many redirects.");
            }
            current = DownloadRules::Resolve(current, hop->Location());
            continue;
        }
        if (status < 200 || status > 299) {
            CString text;
            text.Format(L"Server returned status code: %d", static_cast<int>(status));
            TransferError::Throw(text);
        }
        m_request = std::move(hop);
        return;
    }
}

WinHttpTransfer::~WinHttpTransfer() = default;

std::optional<std::uint64_t> WinHttpTransfer::ContentLength() const
{
    return m_request->ContentLength();
}

std::uint32_t WinHttpTransfer::Read(char* buffer, std::uint32_t capacity)
{
    return m_request->Read(buffer, capacity);
}
