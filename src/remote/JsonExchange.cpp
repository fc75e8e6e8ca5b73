#include "remote/JsonExchange.h"

#include "framework/SetupLog.h"
#include "framework/WinHttpHandle.h"
#include "remote/TesseraException.h"
#include "transfer/WinHttpSettings.h"
#include "transfer/WinHttpUrl.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

namespace {

struct UrlTarget {
    std::wstring host;
    std::wstring path;
    INTERNET_PORT port = INTERNET_DEFAULT_HTTPS_PORT;
};

UrlTarget SplitUrl(const CString& url)
{
    WinHttpUrl parts;
    if (!CrackWinHttpUrl(url, parts)) {
        throw TesseraException();
    }
    // Every exchange is TLS: a URL without a port means 443 whatever its scheme; one that names a port
    // means that port (the service of a test run, an operator host on another port).
    return UrlTarget{parts.host.Str(), parts.path.Str(),
                     parts.portNamed ? parts.port : static_cast<INTERNET_PORT>(INTERNET_DEFAULT_HTTPS_PORT)};
}

void AddHeader(HINTERNET request, const std::wstring& name, const std::wstring& value)
{
    const std::wstring line = name + L": " + value;
    if (!WinHttpAddRequestHeaders(request, line.c_str(), static_cast<DWORD>(line.size()), WINHTTP_ADDREQ_FLAG_ADD)) {
        const DWORD error = GetLastError();
        LogEntry() << "WinHttpAddRequestHeaders error: " << static_cast<int>(error);
    }
}

// No answer of the operator's services comes near this; a larger one is refused, not read.
constexpr std::size_t kMaxResponseBytes = 4 * 1024 * 1024;

// False when the answer passed kMaxResponseBytes.
bool ReadBody(HINTERNET request, std::string& response)
{
    for (;;) {
        DWORD available = 0;
        if (!WinHttpQueryDataAvailable(request, &available)) {
            const DWORD error = GetLastError();
            LogEntry() << "Error " << error << " in WinHttpQueryDataAvailable.";
            return true;
        }
        if (available == 0) {
            return true;
        }
        if (available > kMaxResponseBytes - std::min(response.size(), kMaxResponseBytes)) {
            return false;
        }
        std::vector<char> buffer;
        try {
            buffer.assign(static_cast<std::size_t>(available) + 1, '\0');
        } catch (const std::bad_alloc&) {
            LogEntry() << "Out of memory";
            return true;
        }
        DWORD read = 0;
        if (WinHttpReadData(request, buffer.data(), available, &read)) {
            response.append(buffer.data(), strnlen(buffer.data(), read));
        } else {
            const DWORD error = GetLastError();
            LogEntry() << "Error " << error << " in WinHttpReadData.";
        }
    }
}

// The step and WinHTTP's error are kept in the log: callers only learn that there was no exchange.
[[noreturn]] void FailExchange(const CString& url, const char* step)
{
    const DWORD error = GetLastError();
    LogEntry() << "JSON exchange with " << SetupLog::AddressOf(url) << ": " << step << " failed, error " << error;
    throw TesseraException();
}

}  // namespace

bool JsonExchange::Post(const CString& url, const std::string& body, const HttpHeaders& headers,
                        std::string& response, DWORD& status)
{
    const UrlTarget target = SplitUrl(url);

    UniqueWinHttpHandle session;
    try {
        // The same session as every download's: one whose protocols cannot be set is not used.
        session = WinHttpSettings::OpenSession(nullptr, WinHttpSettings::AccessType());
    } catch (const std::exception& failure) {
        LogEntry() << "JSON exchange with " << SetupLog::AddressOf(url) << ": " << failure.what();
        throw TesseraException();
    }

    UniqueWinHttpHandle connection(WinHttpConnect(session.Get(), target.host.c_str(), target.port, 0));
    if (!connection) {
        FailExchange(url, "connecting");
    }
    UniqueWinHttpHandle request(WinHttpOpenRequest(connection.Get(), L"POST", target.path.c_str(), nullptr,
                                                   WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                                   WINHTTP_FLAG_SECURE));
    if (!request) {
        FailExchange(url, "opening the request");
    }

    for (const auto& [name, value] : headers) {
        AddHeader(request.Get(), name, value);
    }
    AddHeader(request.Get(), L"Expect", L"100-continue");
    AddHeader(request.Get(), L"Content-Type", L"application/json");

    // The body is text: it ends at its first zero byte, as its length does.
    const DWORD length = static_cast<DWORD>(strnlen(body.c_str(), body.size()));
    if (!WinHttpSendRequest(request.Get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, const_cast<char*>(body.c_str()), length,
                            length, 0)) {
        FailExchange(url, "sending");
    }
    if (!WinHttpReceiveResponse(request.Get(), nullptr)) {
        FailExchange(url, "receiving the response");
    }

    DWORD statusSize = sizeof(status);
    WinHttpQueryHeaders(request.Get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                        WINHTTP_HEADER_NAME_BY_INDEX, &status, &statusSize, WINHTTP_NO_HEADER_INDEX);
    if (!ReadBody(request.Get(), response)) {
        LogEntry() << "JSON exchange with " << SetupLog::AddressOf(url) << ": the answer is larger than "
                   << kMaxResponseBytes << " bytes; it is not read";
        response.clear();
        throw TesseraException();
    }
    return true;
}
