#include "transfer/WinHttpSettings.h"

#include "transfer/TransferError.h"

#include <versionhelpers.h>
#include <winhttp.h>

namespace WinHttpSettings {

namespace {

constexpr DWORD kSecureProtocolTls13 = WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_3;

}  // namespace

DWORD AccessType()
{
    const bool windows7 = IsWindows7OrGreater() && !IsWindows8OrGreater();
    return windows7 ? WINHTTP_ACCESS_TYPE_DEFAULT_PROXY : WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY;
}

DWORD SecureProtocols()
{
    return WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2 | kSecureProtocolTls13;
}

UniqueWinHttpHandle OpenSession(const wchar_t* userAgent, DWORD accessType, DWORD protocols)
{
    UniqueWinHttpHandle session(WinHttpOpen(userAgent, accessType, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session) {
        TransferError::ThrowSystemError(L"Failed to open HTTP session", GetLastError());
    }
    if (!WinHttpSetOption(session.Get(), WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols, sizeof(protocols))) {
        // A WinHTTP that does not know TLS 1.3 refuses the whole value: it gets TLS 1.2 alone.
        DWORD older = protocols & ~kSecureProtocolTls13;
        if (older == 0 || older == protocols ||
            !WinHttpSetOption(session.Get(), WINHTTP_OPTION_SECURE_PROTOCOLS, &older, sizeof(older))) {
            TransferError::ThrowSystemError(L"Failed to set secure protocols", GetLastError());
        }
    }
    return session;
}

}  // namespace WinHttpSettings
