#include "transfer/WinHttpSettings.h"

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

}  // namespace WinHttpSettings
