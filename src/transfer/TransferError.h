#pragma once

#include "framework/CString.h"

#include <windows.h>

#include <chrono>

// Failures of one transfer attempt travel as std::runtime_error whose message is the wide text in the
// thread's ANSI code page; the attempt's catch turns it back into a CString and adds the transport tag.
namespace TransferError {

// The system's text for an error code (empty when the system has none).
CString FormatSystemMessage(DWORD error);

[[noreturn]] void Throw(const CString& text);

// "<what>: <error> - <system text>", the error in signed decimal.
[[noreturn]] void ThrowSystemError(const wchar_t* what, DWORD error);

// A read that failed: "Download stalled: no data for N ms" when it had waited its limit for data (the
// transports report that as a time-out, or as the connection ended by it), otherwise
// ThrowSystemError(what, error).
[[noreturn]] void ThrowReadFailure(const wchar_t* what, DWORD error, std::chrono::steady_clock::time_point started,
                                   std::chrono::milliseconds limit);

// The text of an exception caught at the end of an attempt.
CString TextOf(const std::exception& failure);

}  // namespace TransferError
