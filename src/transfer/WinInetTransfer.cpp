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

}  // namespace

WinInetTransfer::WinInetTransfer(const CString& url) : m_handles(std::make_unique<Handles>())
{
    m_handles->internet.Reset(InternetOpenW(L"", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!m_handles->internet) {
        TransferError::ThrowSystemError(L"Failed to initialize WinINet:", GetLastError());
    }
    CString current = url;
    for (int redirects = 0;;) {
        DownloadRules::RequireSecure(current);
        // Straight from the server, and no copy in the cache: an installer would otherwise be written
        // twice. Redirects come back here, so every hop is checked and counted as over WinHTTP.
        m_handles->url.Reset(InternetOpenUrlW(m_handles->internet.Get(), current, nullptr, 0,
                                              INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                                                  INTERNET_FLAG_NO_AUTO_REDIRECT,
                                              0));
        if (!m_handles->url) {
            TransferError::ThrowSystemError(L"Failed to open URL:", GetLastError());
        }
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
    DWORD read = 0;
    // A failing read is not the end of the data: without a content length nothing else would tell a
    // broken transfer from a complete one.
    if (!InternetReadFile(m_handles->url.Get(), buffer, capacity, &read)) {
        TransferError::ThrowSystemError(L"Failed to read data", GetLastError());
    }
    return read;
}
