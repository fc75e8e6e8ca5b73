#pragma once

#include "framework/CString.h"

#include <string>
#include <string_view>
#include <type_traits>

// The run's log for support: one UTF-8 line per entry with the local time to the millisecond and the
// writing thread's id, written through at once so that a crash keeps everything before it. Any
// thread may write. A log that cannot be opened or written is simply not kept: nothing that writes
// to it ever sees a failure.
class SetupLog {
public:
    // Starts the log in a new file at path. False when the file cannot be created, or the name is
    // taken; the log is then off and later entries are dropped.
    static bool Open(const CString& path);
    // Ends the log; later entries are dropped.
    static void Close();
    // The file being written, or empty when the log is off.
    static CString Path();

    static void Write(std::string_view text);

    // A web address as the log shows it: without its query and fragment, which may carry
    // identifiers of the user.
    static CString AddressOf(const CString& url);

    // "Start-up: <what> after N ms", counted from the creation of the process: the time line of what
    // comes before the first page. Steps noted before the log opens are written with the first step after.
    static void StartupStep(std::string_view what);
};

// Builds one entry with <<, written when the statement ends:
//     LogEntry() << "Download " << url << ": " << bytes << " bytes";
// Wide strings are written as UTF-8, numbers in decimal. No stream library: the setup carries none.
class LogEntry {
public:
    LogEntry() = default;
    ~LogEntry();
    LogEntry(const LogEntry&) = delete;
    LogEntry& operator=(const LogEntry&) = delete;

    LogEntry& operator<<(const CString& text);
    LogEntry& operator<<(std::wstring_view text);
    LogEntry& operator<<(const std::wstring& text) { return *this << std::wstring_view(text); }
    LogEntry& operator<<(const wchar_t* text) { return *this << std::wstring_view(text ? text : L""); }
    LogEntry& operator<<(std::string_view text);
    LogEntry& operator<<(const std::string& text) { return *this << std::string_view(text); }
    LogEntry& operator<<(const char* text) { return *this << std::string_view(text ? text : ""); }
    LogEntry& operator<<(char ch);
    LogEntry& operator<<(double value);
    template <class T>
        requires(std::is_integral_v<T> && !std::is_same_v<T, bool> && !std::is_same_v<T, char> &&
                 !std::is_same_v<T, wchar_t>)
    LogEntry& operator<<(T value)
    {
        return AppendInteger(static_cast<long long>(value), std::is_unsigned_v<T> && sizeof(T) == sizeof(long long));
    }

private:
    LogEntry& AppendInteger(long long value, bool asUnsigned64);

    std::string m_text;
};
