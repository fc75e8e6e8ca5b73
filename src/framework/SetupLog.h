#pragma once

#include "framework/CString.h"

#include <sstream>
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
};

// Builds one entry with <<, written when the statement ends:
//     LogEntry() << "Download " << url << ": " << bytes << " bytes";
// Wide strings are written as UTF-8.
class LogEntry {
public:
    LogEntry() = default;
    ~LogEntry();
    LogEntry(const LogEntry&) = delete;
    LogEntry& operator=(const LogEntry&) = delete;

    LogEntry& operator<<(const CString& text);
    LogEntry& operator<<(std::wstring_view text);
    LogEntry& operator<<(const wchar_t* text) { return *this << std::wstring_view(text ? text : L""); }
    template <class T>
        requires(!std::is_convertible_v<const T&, std::wstring_view>)
    LogEntry& operator<<(const T& value)
    {
        m_text << value;
        return *this;
    }

private:
    std::ostringstream m_text;
};
