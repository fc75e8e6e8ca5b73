#include "framework/LinkMarkup.h"

#include <cwchar>

namespace LinkMarkup {

CString Text(const CString& text)
{
    CString inert;
    for (const wchar_t ch : text.Str()) {
        inert += ch;
        if (ch == L'<') {
            inert += L'\u200B';
        }
    }
    return inert;
}

CString Address(const CString& address)
{
    CString encoded;
    for (const wchar_t ch : address.Str()) {
        if (ch <= L' ' || ch == L'"' || ch == L'\'' || ch == L'<' || ch == L'>' || ch == 0x7F) {
            wchar_t escape[4] = {};
            std::swprintf(escape, 4, L"%%%02X", static_cast<unsigned>(ch));
            encoded += escape;
        } else {
            encoded += ch;
        }
    }
    return encoded;
}

}  // namespace LinkMarkup
