#pragma once

#include "framework/WinHttpHandle.h"

#include <windows.h>

// The session settings every WinHTTP client of the setup uses.
namespace WinHttpSettings {

// The default proxy on Windows 7, the automatic proxy on every other version.
DWORD AccessType();

// TLS 1.2 and 1.3. Everything older is broken, and a server that needs it is not one to talk to; a
// Windows without TLS 1.2 in WinHTTP gets no session at all.
DWORD SecureProtocols();

// A synchronous session that offers the secure protocols only. Every WinHTTP client opens its
// sessions here, so a session whose protocols cannot be set is refused alike everywhere: it throws
// the TransferError text "Failed to open HTTP session: ..." or "Failed to set secure protocols: ...".
UniqueWinHttpHandle OpenSession(const wchar_t* userAgent, DWORD accessType, DWORD protocols = SecureProtocols());

}  // namespace WinHttpSettings
