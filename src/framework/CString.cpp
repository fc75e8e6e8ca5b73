#include "framework/CString.h"

#include <windows.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cwchar>
#include <cwctype>

namespace {

std::size_t ToIndex(int value, std::size_t size)
{
    if (value < 0) {
        return 0;
    }
    return std::min(static_cast<std::size_t>(value), size);
}

std::wstring FormatArguments(const wchar_t* format, va_list arguments)
{
    va_list counting;
    va_copy(counting, arguments);
    const int length = _vscwprintf(format, counting);
    va_end(counting);
    if (length <= 0) {
        return {};
    }
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    _vsnwprintf(text.data(), text.size(), format, arguments);
    text.resize(static_cast<std::size_t>(length));
    return text;
}

}  // namespace

CString::CString(const wchar_t* text) : m_text(text ? text : L"") {}

CString::CString(const wchar_t* text, int length)
    : m_text(text && length > 0 ? std::wstring(text, static_cast<std::size_t>(length)) : std::wstring())
{
}

CString::CString(wchar_t ch, int repeat) : m_text(static_cast<std::size_t>(std::max(repeat, 0)), ch) {}

int CString::Find(wchar_t ch, int start) const
{
    if (start < 0 || static_cast<std::size_t>(start) >= m_text.size()) {
        return -1;
    }
    const auto found = m_text.find(ch, static_cast<std::size_t>(start));
    return found == std::wstring::npos ? -1 : static_cast<int>(found);
}

int CString::Find(const wchar_t* text, int start) const
{
    if (!text || start < 0 || static_cast<std::size_t>(start) > m_text.size()) {
        return -1;
    }
    const auto found = m_text.find(text, static_cast<std::size_t>(start));
    return found == std::wstring::npos ? -1 : static_cast<int>(found);
}

int CString::ReverseFind(wchar_t ch) const
{
    const auto found = m_text.rfind(ch);
    return found == std::wstring::npos ? -1 : static_cast<int>(found);
}

CString CString::Left(int count) const
{
    return CString(m_text.substr(0, ToIndex(count, m_text.size())));
}

CString CString::Mid(int first) const
{
    return CString(m_text.substr(ToIndex(first, m_text.size())));
}

CString CString::Mid(int first, int count) const
{
    const std::size_t begin = ToIndex(first, m_text.size());
    return CString(m_text.substr(begin, ToIndex(count, m_text.size() - begin)));
}

CString CString::Right(int count) const
{
    const std::size_t length = ToIndex(count, m_text.size());
    return CString(m_text.substr(m_text.size() - length));
}

int CString::Replace(const wchar_t* oldText, const wchar_t* newText)
{
    const std::wstring_view from(oldText ? oldText : L"");
    const std::wstring_view to(newText ? newText : L"");
    if (from.empty()) {
        return 0;
    }
    int count = 0;
    std::size_t position = 0;
    while ((position = m_text.find(from, position)) != std::wstring::npos) {
        m_text.replace(position, from.size(), to);
        position += to.size();
        ++count;
    }
    return count;
}

int CString::Replace(wchar_t oldChar, wchar_t newChar)
{
    int count = 0;
    for (wchar_t& ch : m_text) {
        if (ch == oldChar) {
            ch = newChar;
            ++count;
        }
    }
    return count;
}

CString& CString::MakeLower()
{
    if (!m_text.empty()) {
        CharLowerBuffW(m_text.data(), static_cast<DWORD>(m_text.size()));
    }
    return *this;
}

CString& CString::MakeUpper()
{
    if (!m_text.empty()) {
        CharUpperBuffW(m_text.data(), static_cast<DWORD>(m_text.size()));
    }
    return *this;
}

CString& CString::Trim()
{
    const auto isSpace = [](wchar_t ch) { return std::iswspace(ch) != 0; };
    const auto first = std::find_if_not(m_text.begin(), m_text.end(), isSpace);
    const auto last = std::find_if_not(m_text.rbegin(), m_text.rend(), isSpace).base();
    m_text = first < last ? std::wstring(first, last) : std::wstring();
    return *this;
}

CString CString::Tokenize(const wchar_t* delimiters, int& start) const
{
    const std::wstring_view delims(delimiters ? delimiters : L"");
    if (start < 0) {
        return {};
    }
    const std::size_t begin = m_text.find_first_not_of(delims, static_cast<std::size_t>(start));
    if (begin == std::wstring::npos) {
        start = -1;
        return {};
    }
    std::size_t end = m_text.find_first_of(delims, begin);
    if (end == std::wstring::npos) {
        end = m_text.size();
    }
    start = static_cast<int>(end) + 1;
    return CString(m_text.substr(begin, end - begin));
}

void CString::Format(const wchar_t* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    m_text = FormatArguments(format, arguments);
    va_end(arguments);
}

void CString::AppendFormat(const wchar_t* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    m_text += FormatArguments(format, arguments);
    va_end(arguments);
}

int CString::Compare(const wchar_t* other) const
{
    return m_text.compare(other ? other : L"");
}

int CString::CompareNoCase(const wchar_t* other) const
{
    return _wcsicmp(m_text.c_str(), other ? other : L"");
}

bool CString::operator==(const wchar_t* other) const
{
    return m_text == std::wstring_view(other ? other : L"");
}

CString& CString::operator+=(const CString& other)
{
    m_text += other.m_text;
    return *this;
}

CString& CString::operator+=(const wchar_t* other)
{
    m_text += other ? other : L"";
    return *this;
}

CString& CString::operator+=(wchar_t ch)
{
    m_text += ch;
    return *this;
}

CString operator+(const CString& a, const CString& b)
{
    return CString(a.m_text + b.m_text);
}

CString operator+(const CString& a, const wchar_t* b)
{
    return CString(a.m_text + (b ? b : L""));
}

CString operator+(const wchar_t* a, const CString& b)
{
    return CString((a ? a : L"") + b.m_text);
}

CString operator+(const CString& a, wchar_t b)
{
    return CString(a.m_text + b);
}
