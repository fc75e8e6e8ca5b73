#pragma once

#include <compare>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

// A UTF-16 string with the members of MFC's CString that the setup uses.
// Conversions to and from 8-bit text live in TextConversion.h, one place each.
class CString {
public:
    CString() = default;
    CString(const wchar_t* text);
    CString(const wchar_t* text, int length);
    CString(std::wstring text) noexcept : m_text(std::move(text)) {}
    CString(std::wstring_view text) : m_text(text) {}
    CString(wchar_t ch, int repeat = 1);

    int GetLength() const { return static_cast<int>(m_text.size()); }
    bool IsEmpty() const { return m_text.empty(); }
    void Empty() { m_text.clear(); }
    wchar_t GetAt(int index) const { return m_text.at(static_cast<std::size_t>(index)); }

    int Find(wchar_t ch, int start = 0) const;
    int Find(const wchar_t* text, int start = 0) const;
    int ReverseFind(wchar_t ch) const;

    CString Left(int count) const;
    CString Mid(int first) const;
    CString Mid(int first, int count) const;
    CString Right(int count) const;

    // Replaces every non-overlapping occurrence, left to right; returns how many were replaced.
    int Replace(const wchar_t* oldText, const wchar_t* newText);
    int Replace(wchar_t oldChar, wchar_t newChar);

    // Lower- and upper-cases with the user's locale rules.
    CString& MakeLower();
    CString& MakeUpper();

    CString& Trim();

    // Returns the next token at or after start and moves start past it; start becomes -1 at the end.
    CString Tokenize(const wchar_t* delimiters, int& start) const;

    // printf-style formatting with the Windows meaning of the conversions: %s wide, %S narrow.
    void Format(const wchar_t* format, ...);
    void AppendFormat(const wchar_t* format, ...);

    int Compare(const wchar_t* other) const;
    int CompareNoCase(const wchar_t* other) const;

    operator const wchar_t*() const noexcept { return m_text.c_str(); }
    const std::wstring& Str() const noexcept { return m_text; }

    CString& operator+=(const CString& other);
    CString& operator+=(const wchar_t* other);
    CString& operator+=(wchar_t ch);

    bool operator==(const CString& other) const { return m_text == other.m_text; }
    bool operator==(const wchar_t* other) const;
    std::strong_ordering operator<=>(const CString& other) const { return m_text <=> other.m_text; }

    friend CString operator+(const CString& a, const CString& b);
    friend CString operator+(const CString& a, const wchar_t* b);
    friend CString operator+(const wchar_t* a, const CString& b);
    friend CString operator+(const CString& a, wchar_t b);

private:
    std::wstring m_text;
};

template <>
struct std::hash<CString> {
    std::size_t operator()(const CString& s) const noexcept { return std::hash<std::wstring>{}(s.Str()); }
};
