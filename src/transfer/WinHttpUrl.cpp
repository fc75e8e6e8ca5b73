#include "transfer/WinHttpUrl.h"

bool CrackWinHttpUrl(const CString& url, WinHttpUrl& parts)
{
    URL_COMPONENTS components{};
    components.dwStructSize = sizeof(components);
    // Lengths of -1 ask for pointers into the URL itself, which also shows whether a port follows the host.
    components.dwSchemeLength = static_cast<DWORD>(-1);
    components.dwHostNameLength = static_cast<DWORD>(-1);
    components.dwUrlPathLength = static_cast<DWORD>(-1);
    components.dwExtraInfoLength = static_cast<DWORD>(-1);
    const std::wstring& text = url.Str();
    if (!WinHttpCrackUrl(text.c_str(), static_cast<DWORD>(text.size()), 0, &components)) {
        return false;
    }
    if (!components.lpszHostName || components.dwHostNameLength == 0) {
        SetLastError(ERROR_WINHTTP_INVALID_URL);
        return false;
    }
    parts.scheme = components.nScheme;
    parts.host = CString(components.lpszHostName, static_cast<int>(components.dwHostNameLength));
    parts.port = components.nPort;
    const wchar_t* afterHost = components.lpszHostName + components.dwHostNameLength;
    parts.portNamed = afterHost < text.c_str() + text.size() && *afterHost == L':';
    parts.path = CString(components.lpszUrlPath, static_cast<int>(components.dwUrlPathLength));
    parts.query = CString(components.lpszExtraInfo, static_cast<int>(components.dwExtraInfoLength));
    if (const int fragment = parts.query.Find(L'#'); fragment >= 0) {
        parts.query = parts.query.Left(fragment);
    }
    return true;
}
