#pragma once

#include "framework/CString.h"

#include <string>

// Small conversions shared by the package model, the download pages and the history rules.

// Whether a package's download location is already a URL, rather than a path to be put under the
// image base URL.
bool IsValidUrl(const CString& text);

// Big-number base conversion of the bytes to the alphabet 0-9, a-z, A-Z. Leading zero bytes leave no
// trace. Throws std::runtime_error "Non-zero carry" if the digits would not fit.
std::string Base62Encode(const std::string& bytes);

// UTF-8 to UTF-16; invalid sequences become U+FFFD. Throws std::runtime_error
// "MultiByteToWideChar() failed: <n>" when the system cannot size the result.
std::wstring Utf8ToWide(const std::string& bytes);
