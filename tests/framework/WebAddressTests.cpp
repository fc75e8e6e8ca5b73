#include <doctest/doctest.h>

#include "framework/LinkMarkup.h"
#include "framework/TextConversion.h"
#include "framework/WebAddress.h"

TEST_CASE("Only web addresses reach the shell, and only HTTPS addresses bring files to run")
{
    for (const wchar_t* web : {L"https://example.com/privacy", L"HTTP://example.com", L"Https://h:8443/a?b=c"}) {
        CAPTURE(ToUtf8(std::wstring_view(web)));
        CHECK(WebAddress::IsWeb(web));
    }
    for (const wchar_t* other : {L"file:///C:/Windows/System32/cmd.exe", L"\\\\server\\share\\setup.exe",
                                 L"C:\\Windows\\notepad.exe", L"javascript:alert(1)", L"http:example.com",
                                 L"shell:startup", L"ms-settings://x", L" https://example.com", L"https//x", L""}) {
        CAPTURE(ToUtf8(std::wstring_view(other)));
        CHECK_FALSE(WebAddress::IsWeb(other));
    }
    CHECK(WebAddress::IsSecure(L"HTTPS://cdn.example.com/setup.exe"));
    CHECK_FALSE(WebAddress::IsSecure(L"http://cdn.example.com/setup.exe"));
    CHECK_FALSE(WebAddress::IsSecure(L"ftp://cdn.example.com/setup.exe"));
    CHECK(WebAddress::SchemeOf(L"svn+ssh://h/x") == L"svn+ssh");
    CHECK(WebAddress::SchemeOf(L"1http://h") == L"");
}

TEST_CASE("Configured text put into link markup cannot make links of its own")
{
    // The name looks as configured (the mark after "<" has no width), but no tag starts in it.
    const CString name = LinkMarkup::Text(L"Fast <a href=\"file:///C:/\">Tool</a>");
    CHECK(name.Find(L"<a") < 0);
    CHECK(name.Find(L"</a>") < 0);
    CString shown = name;
    shown.Replace(L"\u200B", L"");
    CHECK(shown == L"Fast <a href=\"file:///C:/\">Tool</a>");

    CHECK(LinkMarkup::Address(L"https://h/p\"><a href=\"file:///C:/x") == L"https://h/p%22%3E%3Ca%20href=%22file:///C:/x");
    CHECK(LinkMarkup::Address(L"https://h/privacy?a=1&b=2") == L"https://h/privacy?a=1&b=2");
}
