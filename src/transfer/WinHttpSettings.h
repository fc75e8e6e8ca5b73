#pragma once

#include <windows.h>

// The session settings every WinHTTP client of the setup uses.
namespace WinHttpSettings {

// The default proxy on Windows 7, the automatic proxy on every other version.
DWORD AccessType();

// TLS 1.0 alone where Windows offers nothing newer, TLS 1.0 to 1.2 from Windows 7 SP1 on.
// SSL 3.0 is never offered: it is broken, and a server that needs it is not one to talk to.
DWORD SecureProtocols();

}  // namespace WinHttpSettings
