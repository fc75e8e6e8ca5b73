#include "transfer/WinHttpSettings.h"

#include "transfer/TransferError.h"

#include <versionhelpers.h>
#include <winhttp.h>

namespace WinHttpSettings {

DWORD AccessType()
{
    const bool windows7 = IsWindows7OrGreater() && !IsWindows8OrGreater();
    return windows7 ? WINHTTP_ACCESS_TYPE_DEFAULT_PROXY : WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY;
}

DWORD SecureProtocols()
{
    DWORD protocols = WINHTTP_FLAG_SECURE_PROTOCOL_TLS1;
    if (IsWindows7SP1OrGreater()) {
        protocols |= WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_1 | WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2;
    }
    return protocols;
}

UniqueWinHttpHandle OpenSession(const wchar_t* userAgent, DWORD accessType, DWORD protocols)
{
    UniqueWinHttpHandle session(WinHttpOpen(userAgent, accessType, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session) {
        TransferError::ThrowSystemError(L"Failed to open HTTP session", GetLastError());
    }
    if (!WinHttpSetOption(session.Get(), WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols, sizeof(protocols))) {
        TransferError::ThrowSystemError(L"Failed to set secure protocols", GetLastError());
    }
    return session;
}

}  // namespace WinHttpSettings
