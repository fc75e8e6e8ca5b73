#include "transfer/WinHttpRequest.h"

#include "framework/SetupLog.h"
#include "transfer/DownloadRules.h"
#include "transfer/TransferError.h"
#include "transfer/WinHttpSettings.h"

#include <vector>

namespace {

[[noreturn]] void ThrowLastError(const wchar_t* what)
{
    TransferError::ThrowSystemError(what, GetLastError());
}

int Milliseconds(std::chrono::milliseconds limit)
{
    return static_cast<int>(limit.count());
}

}  // namespace

WinHttpRequest::WinHttpRequest(const Target& target, const wchar_t* verb, const Client& client)
    : m_receiveLimit(client.limits.receive)
{
    m_session = WinHttpSettings::OpenSession(client.userAgent, client.accessType);
    const ExchangeLimits& limits = client.limits;
    if (!WinHttpSetTimeouts(m_session.Get(), Milliseconds(limits.resolve), Milliseconds(limits.connect),
                            Milliseconds(limits.send), Milliseconds(limits.receive))) {
        ThrowLastError(L"Failed to set time limits");
    }
    m_connection.Reset(WinHttpConnect(m_session.Get(), target.host, target.port, 0));
    if (!m_connection) {
        ThrowLastError(L"Failed to connect");
    }
    m_request.Reset(WinHttpOpenRequest(m_connection.Get(), verb, target.object, nullptr, WINHTTP_NO_REFERER,
                                       WINHTTP_DEFAULT_ACCEPT_TYPES, target.secure ? WINHTTP_FLAG_SECURE : 0));
    if (!m_request) {
        ThrowLastError(L"Failed to open request");
    }
    // The wait for the response headers has a limit of its own; it is the receive limit too.
    DWORD responseLimit = static_cast<DWORD>(Milliseconds(limits.receive));
    WinHttpSetOption(m_request.Get(), WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &responseLimit, sizeof(responseLimit));
}

void WinHttpRequest::AddHeader(const std::wstring& name, const std::wstring& value)
{
    const std::wstring line = name + L": " + value;
    if (!WinHttpAddRequestHeaders(m_request.Get(), line.c_str(), static_cast<DWORD>(line.size()),
                                  WINHTTP_ADDREQ_FLAG_ADD)) {
        LogEntry() << "WinHttpAddRequestHeaders error: " << static_cast<int>(GetLastError());
    }
}

void WinHttpRequest::RefuseRedirects()
{
    DWORD policy = WINHTTP_OPTION_REDIRECT_POLICY_NEVER;
    if (!WinHttpSetOption(m_request.Get(), WINHTTP_OPTION_REDIRECT_POLICY, &policy, sizeof(policy))) {
        ThrowLastError(L"Failed to set redirect policy");
    }
}

void WinHttpRequest::Send(const char* body, DWORD length)
{
    if (!WinHttpSendRequest(m_request.Get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, const_cast<char*>(body), length, length,
                            0)) {
        ThrowLastError(L"Failed to send request");
    }
    if (!WinHttpReceiveResponse(m_request.Get(), nullptr)) {
        ThrowLastError(L"Failed to receive response");
    }
}

DWORD WinHttpRequest::Status() const
{
    DWORD status = 0;
    DWORD size = sizeof(status);
    if (!WinHttpQueryHeaders(m_request.Get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX)) {
        ThrowLastError(L"Failed to query HTTP status code");
    }
    return status;
}

CString WinHttpRequest::Location() const
{
    // The first call only sizes the header; any error other than the expected one means there is none.
    DWORD bytes = 0;
    if (!WinHttpQueryHeaders(m_request.Get(), WINHTTP_QUERY_LOCATION, WINHTTP_HEADER_NAME_BY_INDEX,
                             WINHTTP_NO_OUTPUT_BUFFER, &bytes, WINHTTP_NO_HEADER_INDEX)) {
        const DWORD error = GetLastError();
        if (error != ERROR_INSUFFICIENT_BUFFER) {
            TransferError::ThrowSystemError(L"Failed to read redirect location", error);
        }
    }
    if (bytes / sizeof(wchar_t) > static_cast<DWORD>(DownloadRules::kMaxUrlLength)) {
        TransferError::Throw(L"Redirect location too long.");
    }
    std::vector<wchar_t> location(bytes / sizeof(wchar_t) + 1, L'\0');
    if (!WinHttpQueryHeaders(m_request.Get(), WINHTTP_QUERY_LOCATION, WINHTTP_HEADER_NAME_BY_INDEX, location.data(),
                             &bytes, WINHTTP_NO_HEADER_INDEX)) {
        ThrowLastError(L"Failed to read redirect location");
    }
    return CString(location.data(), static_cast<int>(bytes / sizeof(wchar_t)));
}

std::optional<std::uint64_t> WinHttpRequest::ContentLength() const
{
    // As text: the number form of the query is 32 bits wide.
    wchar_t text[32] = {};
    DWORD size = sizeof(text) - sizeof(wchar_t);
    if (!WinHttpQueryHeaders(m_request.Get(), WINHTTP_QUERY_CONTENT_LENGTH, WINHTTP_HEADER_NAME_BY_INDEX, text, &size,
                             WINHTTP_NO_HEADER_INDEX)) {
        return std::nullopt;
    }
    return DownloadRules::ParseLength(std::wstring_view(text, size / sizeof(wchar_t)));
}

std::uint32_t WinHttpRequest::Read(char* buffer, std::uint32_t capacity)
{
    const auto started = std::chrono::steady_clock::now();
    DWORD available = 0;
    if (!WinHttpQueryDataAvailable(m_request.Get(), &available)) {
        TransferError::ThrowReadFailure(L"Failed to query data", GetLastError(), started, m_receiveLimit);
    }
    if (available == 0) {
        return 0;
    }
    // A read as large as the buffer rather than as what is buffered: WinHTTP calls, not bytes, cost the time.
    DWORD read = 0;
    if (!WinHttpReadData(m_request.Get(), buffer, capacity, &read)) {
        TransferError::ThrowReadFailure(L"Failed to read data", GetLastError(), started, m_receiveLimit);
    }
    return read;
}
