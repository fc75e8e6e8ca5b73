#include "transfer/WinHttpTransfer.h"

#include "framework/WinHttpHandle.h"
#include "transfer/DownloadRules.h"
#include "transfer/TransferError.h"
#include "transfer/WinHttpSettings.h"
#include "transfer/WinHttpUrl.h"

#include <vector>

namespace {

[[noreturn]] void ThrowLastError(const wchar_t* what)
{
    TransferError::ThrowSystemError(what, GetLastError());
}

CString ReadLocation(HINTERNET request)
{
    // The first call only sizes the header; any error other than the expected one means there is none.
    DWORD bytes = 0;
    if (!WinHttpQueryHeaders(request, WINHTTP_QUERY_LOCATION, WINHTTP_HEADER_NAME_BY_INDEX, WINHTTP_NO_OUTPUT_BUFFER,
                             &bytes, WINHTTP_NO_HEADER_INDEX)) {
        const DWORD error = GetLastError();
        if (error != ERROR_INSUFFICIENT_BUFFER) {
            TransferError::ThrowSystemError(L"Failed to read redirect location", error);
        }
    }
    if (bytes / sizeof(wchar_t) > static_cast<DWORD>(DownloadRules::kMaxUrlLength)) {
        TransferError::Throw(L"Redirect location too long.");
    }
    std::vector<wchar_t> location(bytes / sizeof(wchar_t) + 1, L'\0');
    if (!WinHttpQueryHeaders(request, WINHTTP_QUERY_LOCATION, WINHTTP_HEADER_NAME_BY_INDEX, location.data(), &bytes,
                             WINHTTP_NO_HEADER_INDEX)) {
        ThrowLastError(L"Failed to read redirect location");
    }
    return CString(location.data(), static_cast<int>(bytes / sizeof(wchar_t)));
}

DWORD QueryNumber(HINTERNET request, DWORD query, bool& found)
{
    DWORD value = 0;
    DWORD size = sizeof(value);
    found = WinHttpQueryHeaders(request, query | WINHTTP_QUERY_FLAG_NUMBER, WINHTTP_HEADER_NAME_BY_INDEX, &value, &size,
                                WINHTTP_NO_HEADER_INDEX) != FALSE;
    return value;
}

}  // namespace

struct WinHttpTransfer::Handles {
    UniqueWinHttpHandle session;
    UniqueWinHttpHandle connection;
    UniqueWinHttpHandle request;
};

namespace {

// One hop: a session of its own, the request sent and its response headers received.
void OpenHop(WinHttpTransfer::Handles& hop, const CString& url, const wchar_t* userAgent, DWORD accessType)
{
    hop.session = WinHttpSettings::OpenSession(userAgent, accessType);

    WinHttpUrl parts;
    if (!CrackWinHttpUrl(url, parts)) {
        ThrowLastError(L"Failed to parse URL");
    }
    // The object is the path with its query; a fragment never goes to the server.
    const CString object = parts.path + parts.query;

    hop.connection.Reset(WinHttpConnect(hop.session.Get(), parts.host, parts.port, 0));
    if (!hop.connection) {
        ThrowLastError(L"Failed to connect");
    }
    const DWORD flags = parts.scheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0;
    hop.request.Reset(WinHttpOpenRequest(hop.connection.Get(), L"GET", object, nullptr, WINHTTP_NO_REFERER,
                                         WINHTTP_DEFAULT_ACCEPT_TYPES, flags));
    if (!hop.request) {
        ThrowLastError(L"Failed to open request");
    }
    // Redirects are counted by the caller, so WinHTTP must hand every 3xx back.
    DWORD policy = WINHTTP_OPTION_REDIRECT_POLICY_NEVER;
    if (!WinHttpSetOption(hop.request.Get(), WINHTTP_OPTION_REDIRECT_POLICY, &policy, sizeof(policy))) {
        ThrowLastError(L"Failed to set redirect policy");
    }
    if (!WinHttpSendRequest(hop.request.Get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0)) {
        ThrowLastError(L"Failed to send request");
    }
    if (!WinHttpReceiveResponse(hop.request.Get(), nullptr)) {
        ThrowLastError(L"Failed to receive response");
    }
}

}  // namespace

WinHttpTransfer::WinHttpTransfer(const CString& url, Client client)
{
    const bool file = client == Client::FileDownload;
    const wchar_t* userAgent = file ? nullptr : L"A WinHTTP Example Program/1.0";
    const DWORD accessType = file ? WinHttpSettings::AccessType() : WINHTTP_ACCESS_TYPE_DEFAULT_PROXY;
    CString current = url;
    for (int redirects = 0;;) {
        // What is run or opened comes over HTTPS only, every hop of the way.
        if (file) {
            DownloadRules::RequireSecure(current);
        }
        auto hop = std::make_unique<Handles>();
        OpenHop(*hop, current, userAgent, accessType);
        bool found = false;
        const DWORD status = QueryNumber(hop->request.Get(), WINHTTP_QUERY_STATUS_CODE, found);
        if (!found) {
            ThrowLastError(L"Failed to query HTTP status code");
        }
        if (status >= 300 && status <= 399) {
            if (++redirects > DownloadRules::kMax) {
                TransferError::Throw(L"Too many redirects.");
            }
            current = DownloadRules::Resolve(current, ReadLocation(hop->request.Get()));
            continue;
        }
        if (status < 200 || status > 299) {
            CString text;
            text.Format(L"Server returned status code: %d", static_cast<int>(status));
            TransferError::Throw(text);
        }
        m_handles = std::move(hop);
        return;
    }
}

WinHttpTransfer::~WinHttpTransfer() = default;

std::optional<std::uint64_t> WinHttpTransfer::ContentLength() const
{
    // As text: the number form of the query is 32 bits wide.
    wchar_t text[32] = {};
    DWORD size = sizeof(text) - sizeof(wchar_t);
    if (!WinHttpQueryHeaders(m_handles->request.Get(), WINHTTP_QUERY_CONTENT_LENGTH, WINHTTP_HEADER_NAME_BY_INDEX, text,
                             &size, WINHTTP_NO_HEADER_INDEX)) {
        return std::nullopt;
    }
    return DownloadRules::ParseLength(std::wstring_view(text, size / sizeof(wchar_t)));
}

std::uint32_t WinHttpTransfer::Read(char* buffer, std::uint32_t capacity)
{
    DWORD available = 0;
    if (!WinHttpQueryDataAvailable(m_handles->request.Get(), &available)) {
        ThrowLastError(L"Failed to query data");
    }
    if (available == 0) {
        return 0;
    }
    // A read as large as the buffer rather than as what is buffered: WinHTTP calls, not bytes, cost the time.
    DWORD read = 0;
    if (!WinHttpReadData(m_handles->request.Get(), buffer, capacity, &read)) {
        ThrowLastError(L"Failed to read data");
    }
    return read;
}
