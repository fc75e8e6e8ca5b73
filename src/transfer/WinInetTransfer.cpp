#include "transfer/WinInetTransfer.h"

#include "framework/WinInetHandle.h"
#include "transfer/TransferError.h"

struct WinInetTransfer::Handles {
    UniqueWinInetHandle internet;
    UniqueWinInetHandle url;
};

namespace {

bool QueryNumber(HINTERNET request, DWORD query, DWORD& value)
{
    DWORD size = sizeof(value);
    return HttpQueryInfoW(request, query | HTTP_QUERY_FLAG_NUMBER, &value, &size, nullptr) != FALSE;
}

}  // namespace

WinInetTransfer::WinInetTransfer(const CString& url) : m_handles(std::make_unique<Handles>())
{
    m_handles->internet.Reset(InternetOpenW(L"", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!m_handles->internet) {
        TransferError::ThrowSystemError(L"Failed to initialize WinINet:", GetLastError());
    }
    // Straight from the server, and no copy in the cache: an installer would otherwise be written twice.
    m_handles->url.Reset(InternetOpenUrlW(m_handles->internet.Get(), url, nullptr, 0,
                                          INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0));
    if (!m_handles->url) {
        TransferError::ThrowSystemError(L"Failed to open URL:", GetLastError());
    }
    DWORD status = 0;
    if (!QueryNumber(m_handles->url.Get(), HTTP_QUERY_STATUS_CODE, status)) {
        TransferError::ThrowSystemError(L"Failed to query HTTP status code", GetLastError());
    }
    if (status != 200) {
        const DWORD error = GetLastError();
        CString text;
        text.Format(L"Server returned status code: HTTP %d - %s", static_cast<int>(status),
                    static_cast<const wchar_t*>(TransferError::FormatSystemMessage(error)));
        TransferError::Throw(text);
    }
}

WinInetTransfer::~WinInetTransfer() = default;

std::optional<std::uint64_t> WinInetTransfer::ContentLength() const
{
    DWORD length = 0;
    if (!QueryNumber(m_handles->url.Get(), HTTP_QUERY_CONTENT_LENGTH, length)) {
        return std::nullopt;
    }
    return length;
}

std::uint32_t WinInetTransfer::Read(char* buffer, std::uint32_t capacity)
{
    DWORD read = 0;
    // A failing read is not the end of the data: without a content length nothing else would tell a
    // broken transfer from a complete one.
    if (!InternetReadFile(m_handles->url.Get(), buffer, capacity, &read)) {
        TransferError::ThrowSystemError(L"Failed to read data", GetLastError());
    }
    return read;
}
