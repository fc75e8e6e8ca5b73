#include <doctest/doctest.h>

#include "framework/CString.h"

TEST_CASE("CString slices clamp to the text instead of failing")
{
    const CString text(L"setup.exe");
    CHECK(text.Left(5) == L"setup");
    CHECK(text.Left(50) == L"setup.exe");
    CHECK(text.Left(-1) == L"");
    CHECK(text.Mid(6) == L"exe");
    CHECK(text.Mid(20) == L"");
    CHECK(text.Mid(2, 3) == L"tup");
    CHECK(text.Mid(7, 10) == L"xe");
    CHECK(text.Right(3) == L"exe");
    CHECK(text.Right(30) == L"setup.exe");
}

TEST_CASE("CString searches report positions or -1")
{
    const CString path(L"C:\\a_b\\setup_ab-cdef.exe");
    CHECK(path.Find(L'_') == 4);
    CHECK(path.Find(L'_', 5) == 12);
    CHECK(path.Find(L"setup") == 7);
    CHECK(path.Find(L"setup", 8) == -1);
    CHECK(path.Find(L'z') == -1);
    CHECK(path.Find(L'a', 100) == -1);
    CHECK(path.ReverseFind(L'_') == 12);
    CHECK(path.ReverseFind(L'.') == 20);
    CHECK(CString().ReverseFind(L'.') == -1);
}

TEST_CASE("CString::Replace replaces every occurrence once, even when the new text contains the old")
{
    CString text(L"{a}-{a}-{b}");
    CHECK(text.Replace(L"{a}", L"[{a}]") == 2);
    CHECK(text == L"[{a}]-[{a}]-{b}");
    CHECK(text.Replace(L"", L"x") == 0);
    CHECK(text.Replace(L"missing", L"x") == 0);
    CHECK(text.Replace(L'-', L'+') == 2);
    CHECK(text == L"[{a}]+[{a}]+{b}");
}

TEST_CASE("CString::Tokenize skips empty pieces and ends with -1")
{
    const CString version(L"3..2.x.");
    int position = 0;
    CHECK(version.Tokenize(L".", position) == L"3");
    CHECK(version.Tokenize(L".", position) == L"2");
    CHECK(version.Tokenize(L".", position) == L"x");
    CHECK(version.Tokenize(L".", position) == L"");
    CHECK(position == -1);

    int empty = 0;
    CHECK(CString(L"...").Tokenize(L".", empty) == L"");
    CHECK(empty == -1);
}

TEST_CASE("CString::Format uses the Windows conversions: %s wide, %S narrow")
{
    CString text;
    text.Format(L"%s|%S|%d|%u", L"wide", "narrow", -5, 7u);
    CHECK(text == L"wide|narrow|-5|7");
    text.AppendFormat(L"+%s", L"more");
    CHECK(text == L"wide|narrow|-5|7+more");

    CString longText;
    longText.Format(L"%s", std::wstring(5000, L'x').c_str());
    CHECK(longText.GetLength() == 5000);
}

TEST_CASE("CString case and comparison follow the user's locale")
{
    CString text(L"ChromeSetup.EXE \x00C4");
    text.MakeLower();
    CHECK(text == L"chromesetup.exe \x00E4");
    CHECK(CString(L"abc").CompareNoCase(L"ABC") == 0);
    CHECK(CString(L"  padded \t").Trim() == L"padded");
    CHECK(CString(L"a") < CString(L"b"));
    CHECK(CString(L"x") + L"y" + CString(L"z") + L'!' == L"xyz!");
}
