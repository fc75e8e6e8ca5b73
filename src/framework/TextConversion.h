#pragma once

#include "framework/CString.h"

#include <string>
#include <string_view>

// The one place for each conversion between UTF-16 and 8-bit text.

// Through the thread's ANSI code page (CP_THREAD_ACP), as the setup's narrow configuration values are.
std::string ToAnsi(std::wstring_view text);
std::wstring FromAnsi(std::string_view text);

// UTF-8. FromUtf8 turns invalid sequences into U+FFFD and throws std::runtime_error
// "MultiByteToWideChar() failed: <n>" only when the system cannot size the result.
std::string ToUtf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view text);

inline std::string ToAnsi(const std::wstring& text) { return ToAnsi(std::wstring_view(text)); }
inline std::string ToUtf8(const std::wstring& text) { return ToUtf8(std::wstring_view(text)); }
inline std::string ToAnsi(const CString& text) { return ToAnsi(std::wstring_view(text.Str())); }
inline std::string ToUtf8(const CString& text) { return ToUtf8(std::wstring_view(text.Str())); }
inline CString AnsiToCString(std::string_view text) { return CString(FromAnsi(text)); }
inline CString Utf8ToCString(std::string_view text) { return CString(FromUtf8(text)); }
