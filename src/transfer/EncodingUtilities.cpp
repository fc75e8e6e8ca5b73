#include "transfer/EncodingUtilities.h"

#include "framework/TextConversion.h"

#include <cmath>
#include <stdexcept>
#include <vector>

namespace {

bool IsHostCharacter(char ch)
{
    return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') || ch == '_' ||
           ch == '.' || ch == '-';
}

bool StartsWith(const std::string& text, const char* prefix)
{
    return text.rfind(prefix, 0) == 0;
}

}  // namespace

bool IsValidUrl(const CString& text)
{
    // Without a scheme a host needs a dot, so that "files/setup.exe" stays a relative path while
    // "setup.exe" and "cdn.example.com/x" count as URLs. With "http://" or "https://" the text is a
    // URL whatever its host ("localhost"). Either may name a port: operator hosts and the test
    // service listen on ports other than 443, and such a URL must not be put under the image base.
    // Read by hand, one pass, no backtracking: the configuration is not trusted input.
    const std::string url = ToAnsi(text);
    std::size_t at = StartsWith(url, "http://") ? 7 : StartsWith(url, "https://") ? 8 : 0;
    const bool withScheme = at > 0;
    const std::size_t hostStart = at;
    while (at < url.size() && IsHostCharacter(url[at])) {
        ++at;
    }
    const std::string host = url.substr(hostStart, at - hostStart);
    if (host.empty()) {
        return false;
    }
    // Without a scheme: a dot with a host character on either side.
    if (!withScheme && host.find('.', 1) >= host.size() - 1) {
        return false;
    }
    if (at < url.size() && url[at] == ':') {
        const std::size_t digits = ++at;
        while (at < url.size() && url[at] >= '0' && url[at] <= '9') {
            ++at;
        }
        if (at == digits) {
            return false;
        }
    }
    return at == url.size() || url[at] == '/' || url[at] == '?' || url[at] == '#';
}

std::string Base62Encode(const std::string& bytes)
{
    static constexpr char kAlphabet[] = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    if (bytes.empty()) {
        return {};
    }
    std::size_t zeros = 0;
    while (zeros < bytes.size() && bytes[zeros] == '\0') {
        ++zeros;
    }
    const double digitsPerByte = std::log(256.0) / std::log(62.0);
    const auto size = static_cast<std::size_t>(std::ceil(static_cast<double>(bytes.size() - zeros) * digitsPerByte));
    std::vector<unsigned int> digits(size, 0);
    std::size_t used = 0;
    for (std::size_t index = zeros; index < bytes.size(); ++index) {
        unsigned int carry = static_cast<unsigned char>(bytes[index]);
        std::size_t walked = 0;
        for (auto digit = digits.rbegin(); (carry != 0 || walked < used) && digit != digits.rend(); ++digit) {
            carry += 256 * *digit;
            *digit = carry % 62;
            carry /= 62;
            ++walked;
        }
        if (carry != 0) {
            throw std::runtime_error("Non-zero carry");
        }
        used = walked;
    }
    auto first = digits.begin();
    while (first != digits.end() && *first == 0) {
        ++first;
    }
    std::string text;
    text.reserve(static_cast<std::size_t>(digits.end() - first));
    for (; first != digits.end(); ++first) {
        text += kAlphabet[*first];
    }
    return text;
}

std::wstring Utf8ToWide(const std::string& bytes)
{
    return FromUtf8(bytes);
}
