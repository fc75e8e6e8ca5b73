#include "remote/AccountHash.h"

#include "framework/TextConversion.h"
#include "framework/CryptoDigest.h"

#include <stdexcept>

std::string AccountHash(const CString& accountName)
{
    try {
        return CryptoDigest::Md5Hex(ToAnsi(accountName));
    } catch (const std::runtime_error&) {
        return {};
    }
}
