// WinINet is delay-loaded (src/framework/SystemLibraries.h). Its header declares the functions
// dllimport, and calls through the import pointer alone would let the linker drop the stubs that load
// the library on the first call; declared plainly, the calls keep them.
#define DECLSPEC_IMPORT
#include "transfer/WinInetTransfer.h"

#include "framework/WinInetHandle.h"
#include "transfer/DownloadRules.h"
#include "transfer/TransferError.h"

#include <schannel.h>

#include <vector>

struct WinInetTransfer::Handles {
    UniqueWinInetHandle internet;
    UniqueWinInetHandle connection;
    UniqueWinInetHandle url;
};

namespace {

bool QueryNumber(HINTERNET request, DWORD query, DWORD& value)
{
    DWORD size = sizeof(value);
    return HttpQueryInfoW(request, query | HTTP_QUERY_FLAG_NUMBER, &value, &size, nullptr) != FALSE;
}

// The text of a header; nothing when it is missing or longer than the buffer.
std::optional<CString> QueryText(HINTERNET request, DWORD query, DWORD maxCharacters)
{
    std::vector<wchar_t> buffer(maxCharacters + 1, L'\0');
    DWORD size = maxCharacters * sizeof(wchar_t);
    if (!HttpQueryInfoW(request, query, buffer.data(), &size, nullptr)) {
        return std::nullopt;
    }
    return CString(buffer.data(), static_cast<int>(size / sizeof(wchar_t)));
}

// The SDK's INTERNET_SECURITY_CONNECTION_INFO, which MinGW's headers lack.
constexpr DWORD kSecurityConnectionInfoOption = 66;
struct SecurityConnectionInfo {
    DWORD dwSize;
    BOOL fSecure;
    SecPkgContext_ConnectionInfo connectionInfo;
    SecPkgContext_CipherInfo cipherInfo;
};

// WinINet offers no setting of the protocols a connection may use; the one it used is checked
// instead. A WinINet that cannot tell is taken at its word.
void RequireModernTls(HINTERNET request)
{
    SecurityConnectionInfo info{};
    info.dwSize = sizeof(info);
    DWORD size = sizeof(info);
    if (!InternetQueryOptionW(request, kSecurityConnectionInfoOption, &info, &size)) {
        return;
    }
    constexpr DWORD kTls12OrNewer = SP_PROT_TLS1_2_CLIENT | SP_PROT_TLS1_3_CLIENT;
    if (info.fSecure && (info.connectionInfo.dwProtocol & kTls12OrNewer) == 0) {
        CString text;
        text.Format(L"Insecure connection: protocol 0x%x", static_cast<unsigned>(info.connectionInfo.dwProtocol));
        TransferError::Throw(text);
    }
}

void SetLimit(HINTERNET handle, DWORD option, std::chrono::milliseconds limit)
{
    DWORD milliseconds = static_cast<DWORD>(limit.count());
    if (!InternetSetOptionW(handle, option, &milliseconds, sizeof(milliseconds))) {
        TransferError::ThrowSystemError(L"Failed to set time limits", GetLastError());
    }
}

// One hop: a connection and a request of its own, the limits set on the request before it is sent (a
// request takes them from its connection when it is made, which takes none from the session).
void OpenHop(WinInetTransfer::Handles& handles, const CString& url, const ExchangeLimits& limits)
{
    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof(parts);
    parts.dwHostNameLength = 1;
    parts.dwUrlPathLength = 1;
    parts.dwExtraInfoLength = 1;
    if (!InternetCrackUrlW(url, 0, 0, &parts)) {
        TransferError::ThrowSystemError(L"Failed to open URL:", GetLastError());
    }
    const CString host(parts.lpszHostName, static_cast<int>(parts.dwHostNameLength));
    // The object is the path with its query; a fragment never goes to the server.
    CString object = CString(parts.lpszUrlPath, static_cast<int>(parts.dwUrlPathLength)) +
                     CString(parts.lpszExtraInfo, static_cast<int>(parts.dwExtraInfoLength));
    if (const int fragment = object.Find(L'#'); fragment >= 0) {
        object = object.Left(fragment);
    }
    // The last hop's request goes before its connection: closing a connection ends its requests.
    handles.url.Reset();
    handles.connection.Reset(InternetConnectW(handles.internet.Get(), host, parts.nPort, nullptr, nullptr,
                                              INTERNET_SERVICE_HTTP, 0, 0));
    if (!handles.connection) {
        TransferError::ThrowSystemError(L"Failed to open URL:", GetLastError());
    }
    // Straight from the server, and no copy in the cache: an installer would otherwise be written
    // twice. Redirects come back to the caller, so every hop is checked and counted as over WinHTTP.
    const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_AUTO_REDIRECT |
                        (parts.nScheme == INTERNET_SCHEME_HTTPS ? INTERNET_FLAG_SECURE : 0);
    handles.url.Reset(HttpOpenRequestW(handles.connection.Get(), L"GET", object.IsEmpty() ? L"/" : object.Str().c_str(),
                                       nullptr, nullptr, nullptr, flags, 0));
    if (!handles.url) {
        TransferError::ThrowSystemError(L"Failed to open URL:", GetLastError());
    }
    SetLimit(handles.url.Get(), INTERNET_OPTION_CONNECT_TIMEOUT, limits.resolve + limits.connect);
    SetLimit(handles.url.Get(), INTERNET_OPTION_SEND_TIMEOUT, limits.send);
    SetLimit(handles.url.Get(), INTERNET_OPTION_RECEIVE_TIMEOUT, limits.receive);
    if (!HttpSendRequestW(handles.url.Get(), nullptr, 0, nullptr, 0)) {
        TransferError::ThrowSystemError(L"Failed to open URL:", GetLastError());
    }
}

}  // namespace

WinInetTransfer::WinInetTransfer(const CString& url, const ExchangeLimits& limits)
    : m_handles(std::make_unique<Handles>()), m_receiveLimit(limits.receive)
{
    m_handles->internet.Reset(InternetOpenW(L"", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!m_handles->internet) {
        TransferError::ThrowSystemError(L"Failed to initialize WinINet:", GetLastError());
    }
    CString current = url;
    for (int redirects = 0;;) {
        DownloadRules::RequireSecure(current);
        OpenHop(*m_handles, current, limits);
        DWORD status = 0;
        if (!QueryNumber(m_handles->url.Get(), HTTP_QUERY_STATUS_CODE, status)) {
            TransferError::ThrowSystemError(L"Failed to query HTTP status code", GetLastError());
        }
        if (status >= 300 && status <= 399) {
            if (++redirects > DownloadRules::kMax) {
                TransferError::Throw(L"Too many redirects.");
            }
            const auto location = QueryText(m_handles->url.Get(), HTTP_QUERY_LOCATION, DownloadRules::kMaxUrlLength);
            if (!location) {
                TransferError::ThrowSystemError(L"Failed to read redirect location", GetLastError());
            }
            current = DownloadRules::Resolve(current, *location);
            continue;
        }
        if (status != 200) {
            const DWORD error = GetLastError();
            CString text;
            text.Format(L"Server returned status code: HTTP %d - %s", static_cast<int>(status),
                        static_cast<const wchar_t*>(TransferError::FormatSystemMessage(error)));
            TransferError::Throw(text);
        }
        RequireModernTls(m_handles->url.Get());
        return;
    }
}

WinInetTransfer::~WinInetTransfer() = default;

std::optional<std::uint64_t> WinInetTransfer::ContentLength() const
{
    // As text: the number form of the query is 32 bits wide.
    const auto text = QueryText(m_handles->url.Get(), HTTP_QUERY_CONTENT_LENGTH, 30);
    return text ? DownloadRules::ParseLength(text->Str()) : std::nullopt;
}

std::uint32_t WinInetTransfer::Read(char* buffer, std::uint32_t capacity)
{
    const auto started = std::chrono::steady_clock::now();
    DWORD read = 0;
    // A failing read is not the end of the data: without a content length nothing else would tell a
    // broken transfer from a complete one.
    if (!InternetReadFile(m_handles->url.Get(), buffer, capacity, &read)) {
        TransferError::ThrowReadFailure(L"Failed to read data", GetLastError(), started, m_receiveLimit);
    }
    return read;
}
