#pragma once

#include "framework/CString.h"

#include <cstdint>
#include <optional>
#include <string_view>

// What the two file transports share: redirects are followed by the
// setup, not the library, so that their number is bounded and every hop can be checked; lengths
// are read as 64-bit numbers.
namespace DownloadRules {

// A sixth redirect fails the download ("Too many redirects.").
constexpr int kMax = 5;
// Longer redirect targets are refused rather than read: no server of ours needs them.
constexpr int kMaxUrlLength = 8192;

// The next address: the Location resolved against the address that answered with it (it may be
// relative). Throws "Invalid redirect location: " and the Location when they cannot be combined.
CString Resolve(const CString& base, const CString& location);

// Throws "Insecure URL: " and the address unless it is an HTTPS address.
void RequireSecure(const CString& url);

// A Content-Length value as a 64-bit number; nothing for anything but decimal digits that fit.
std::optional<std::uint64_t> ParseLength(std::wstring_view text);

}  // namespace DownloadRules
