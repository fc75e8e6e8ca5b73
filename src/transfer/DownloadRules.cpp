#include "transfer/DownloadRules.h"

#include "framework/WebAddress.h"
#include "transfer/TransferError.h"

#include <shlwapi.h>

#include <limits>
#include <vector>

namespace DownloadRules {

CString Resolve(const CString& base, const CString& location)
{
    std::vector<wchar_t> combined(kMaxUrlLength + 1, L'\0');
    DWORD length = static_cast<DWORD>(combined.size());
    if (location.GetLength() > kMaxUrlLength || FAILED(UrlCombineW(base, location, combined.data(), &length, 0))) {
        TransferError::Throw(L"Invalid redirect location: " + location);
    }
    return CString(combined.data(), static_cast<int>(length));
}

void RequireSecure(const CString& url)
{
    if (!WebAddress::IsSecure(url)) {
        TransferError::Throw(L"Insecure URL: " + url);
    }
}

std::optional<std::uint64_t> ParseLength(std::wstring_view text)
{
    while (!text.empty() && (text.front() == L' ' || text.front() == L'\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == L' ' || text.back() == L'\t')) {
        text.remove_suffix(1);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (const wchar_t ch : text) {
        if (ch < L'0' || ch > L'9') {
            return std::nullopt;
        }
        const unsigned digit = static_cast<unsigned>(ch - L'0');
        if (value > (std::numeric_limits<std::uint64_t>::max() - digit) / 10) {
            return std::nullopt;
        }
        value = value * 10 + digit;
    }
    return value;
}

}  // namespace DownloadRules
