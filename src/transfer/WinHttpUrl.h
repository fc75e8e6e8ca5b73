#pragma once

#include "framework/CString.h"

#include <windows.h>
#include <winhttp.h>

// A URL split by WinHTTP into the pieces the setup's HTTPS clients connect with.
struct WinHttpUrl {
    INTERNET_SCHEME scheme = INTERNET_SCHEME_HTTPS;
    CString host;
    // The URL's port, or the scheme's default when it names none (see portNamed).
    INTERNET_PORT port = INTERNET_DEFAULT_HTTPS_PORT;
    bool portNamed = false;
    CString path;
    // "?..." when there is a query, without the fragment.
    CString query;
};

// False (with the system's last error) when WinHTTP cannot split the text or it names no host.
bool CrackWinHttpUrl(const CString& url, WinHttpUrl& parts);
