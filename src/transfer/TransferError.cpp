#include "transfer/TransferError.h"

#include "framework/TextConversion.h"
#include "framework/UniqueHandle.h"

#include <new>
#include <stdexcept>
#include <string>

namespace TransferError {

CString FormatSystemMessage(DWORD error)
{
    wchar_t* buffer = nullptr;
    // Inserts are ignored: without arguments a system text with "%1" in it could not be formatted.
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
        MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    const UniqueLocalMemory owner(buffer);
    if (length == 0 || buffer == nullptr) {
        return CString();
    }
    return CString(buffer, static_cast<int>(length));
}

void Throw(const CString& text)
{
    throw std::runtime_error(ToAnsi(text));
}

void ThrowSystemError(const wchar_t* what, DWORD error)
{
    CString text;
    text.Format(L"%s: %d - %s", what, static_cast<int>(error), static_cast<const wchar_t*>(FormatSystemMessage(error)));
    Throw(text);
}

void ThrowReadFailure(const wchar_t* what, DWORD error, std::chrono::steady_clock::time_point started,
                      std::chrono::milliseconds limit)
{
    // Told by the wait rather than the error: Windows says ERROR_WINHTTP_TIMEOUT, Wine a socket time-out
    // or an aborted connection. A little early still counts: timers are not that exact.
    if (std::chrono::steady_clock::now() - started >= limit * 9 / 10) {
        Throw(CString(L"Download stalled: no data for " + std::to_wstring(limit.count()) + L" ms"));
    }
    ThrowSystemError(what, error);
}

CString TextOf(const std::exception& failure)
{
    if (dynamic_cast<const std::bad_alloc*>(&failure) != nullptr) {
        return L"Out of memory.";
    }
    return AnsiToCString(failure.what());
}

}  // namespace TransferError
