#include "framework/WebAddress.h"

#include "framework/DesktopShell.h"
#include "framework/SetupLog.h"

#include <cwctype>

namespace WebAddress {

CString SchemeOf(const CString& text)
{
    const std::wstring& value = text.Str();
    const std::size_t colon = value.find(L"://");
    if (colon == std::wstring::npos || colon == 0) {
        return CString();
    }
    std::wstring scheme;
    for (std::size_t index = 0; index < colon; ++index) {
        const wchar_t ch = value[index];
        const bool letter = (ch >= L'a' && ch <= L'z') || (ch >= L'A' && ch <= L'Z');
        const bool other = (ch >= L'0' && ch <= L'9') || ch == L'+' || ch == L'-' || ch == L'.';
        if (!letter && (index == 0 || !other)) {
            return CString();
        }
        scheme += static_cast<wchar_t>(std::towlower(ch));
    }
    return CString(scheme);
}

bool IsWeb(const CString& text)
{
    const CString scheme = SchemeOf(text);
    return scheme == L"http" || scheme == L"https";
}

bool IsSecure(const CString& text)
{
    return SchemeOf(text) == L"https";
}

bool Open(const CString& text)
{
    if (!IsWeb(text)) {
        LogEntry() << "Link refused: " << text << " is not a web address";
        return false;
    }
    DesktopShell::Open(text);
    return true;
}

}  // namespace WebAddress
