#include "framework/SetupLog.h"

#include "framework/TextConversion.h"
#include "framework/UniqueHandle.h"

#include <windows.h>

#include <charconv>
#include <cstdio>
#include <mutex>
#include <vector>

namespace {

struct LogFile {
    std::mutex mutex;
    UniqueFileHandle file;
    CString path;
    // Start-up steps noted before the log was open, written with the first step after it (the run's
    // heading comes first).
    std::vector<std::string> earlySteps;
};

LogFile& TheLog()
{
    // Never destroyed: threads still running at exit may write to it.
    static auto* log = new LogFile;
    return *log;
}

std::string LinePrefix()
{
    SYSTEMTIME now{};
    GetLocalTime(&now);
    char prefix[64] = {};
    std::snprintf(prefix, sizeof(prefix), "%04u-%02u-%02u %02u:%02u:%02u.%03u [%lu] ", now.wYear, now.wMonth, now.wDay,
                  now.wHour, now.wMinute, now.wSecond, now.wMilliseconds, GetCurrentThreadId());
    return prefix;
}

}  // namespace

bool SetupLog::Open(const CString& path)
{
    LogFile& log = TheLog();
    DWORD error = ERROR_SUCCESS;
    bool opened = false;
    {
        std::lock_guard lock(log.mutex);
        // Always a new file: an existing one (or a link put there in its place) is never written through.
        log.file.Reset(CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        error = GetLastError();
        opened = log.file.IsValid();
        log.path = opened ? path : CString();
    }
    // The caller may ask why it failed (a name taken).
    SetLastError(error);
    return opened;
}

void SetupLog::Close()
{
    LogFile& log = TheLog();
    std::lock_guard lock(log.mutex);
    log.file.Reset();
    log.path = CString();
}

CString SetupLog::Path()
{
    LogFile& log = TheLog();
    std::lock_guard lock(log.mutex);
    return log.path;
}

void SetupLog::Write(std::string_view text)
{
    LogFile& log = TheLog();
    std::lock_guard lock(log.mutex);
    if (!log.file) {
        return;
    }
    std::string line = LinePrefix();
    line.append(text);
    line += "\r\n";
    // Unbuffered: the line is with the system once the call returns. A failed write (a full disk)
    // loses that line only.
    DWORD written = 0;
    WriteFile(log.file.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

CString SetupLog::AddressOf(const CString& url)
{
    int end = url.GetLength();
    for (const wchar_t mark : {L'?', L'#'}) {
        if (const int found = url.Find(mark); found >= 0 && found < end) {
            end = found;
        }
    }
    return url.Left(end);
}

void SetupLog::StartupStep(std::string_view what)
{
    FILETIME created{};
    FILETIME unused{};
    FILETIME now{};
    GetProcessTimes(GetCurrentProcess(), &created, &unused, &unused, &unused);
    GetSystemTimeAsFileTime(&now);
    const auto ticks = [](const FILETIME& time) {
        return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    };
    std::string line = "Start-up: ";
    line += what;
    line += " after " + std::to_string((ticks(now) - ticks(created)) / 10000) + " ms";
    LogFile& log = TheLog();
    std::vector<std::string> early;
    {
        std::lock_guard lock(log.mutex);
        if (!log.file) {
            log.earlySteps.push_back(std::move(line));
            return;
        }
        early.swap(log.earlySteps);
    }
    for (const std::string& step : early) {
        Write(step);
    }
    Write(line);
}

LogEntry::~LogEntry()
{
    try {
        SetupLog::Write(m_text);
    } catch (...) {
        // Out of memory for the line: the entry is lost, the caller goes on.
    }
}

LogEntry& LogEntry::operator<<(const CString& text)
{
    m_text += ToUtf8(text);
    return *this;
}

LogEntry& LogEntry::operator<<(std::wstring_view text)
{
    m_text += ToUtf8(text);
    return *this;
}

LogEntry& LogEntry::operator<<(std::string_view text)
{
    m_text += text;
    return *this;
}

LogEntry& LogEntry::operator<<(char ch)
{
    m_text += ch;
    return *this;
}

LogEntry& LogEntry::operator<<(double value)
{
    char text[32] = {};
    std::snprintf(text, sizeof(text), "%g", value);
    m_text += text;
    return *this;
}

LogEntry& LogEntry::AppendInteger(long long value, bool asUnsigned64)
{
    char text[24] = {};
    const auto written = asUnsigned64 ? std::to_chars(text, text + sizeof(text), static_cast<unsigned long long>(value))
                                      : std::to_chars(text, text + sizeof(text), value);
    m_text.append(text, written.ptr);
    return *this;
}
