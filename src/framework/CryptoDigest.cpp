#include "remote/CryptoDigest.h"

#include "framework/CryptoHandle.h"

#include <stdexcept>
#include <vector>

namespace CryptoDigest {

std::string Md5Hex(std::string_view bytes)
{
    return Hex(PROV_RSA_FULL, CALG_MD5, bytes);
}

std::string Sha256Hex(std::string_view bytes)
{
    return Hex(PROV_RSA_AES, CALG_SHA_256, bytes);
}

std::string Hex(DWORD providerType, ALG_ID algorithm, std::string_view bytes)
{
    UniqueCryptProvider provider;
    if (!CryptAcquireContextW(provider.Receive(), nullptr, nullptr, providerType, CRYPT_VERIFYCONTEXT)) {
        throw std::runtime_error("CryptAcquireContext failed");
    }
    UniqueCryptHash hash;
    if (!CryptCreateHash(provider.Get(), algorithm, 0, 0, hash.Receive())) {
        throw std::runtime_error("CryptCreateHash failed");
    }
    if (!CryptHashData(hash.Get(), reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()), 0)) {
        throw std::runtime_error("CryptHashData failed");
    }
    DWORD size = 0;
    DWORD sizeLength = sizeof(size);
    if (!CryptGetHashParam(hash.Get(), HP_HASHSIZE, reinterpret_cast<BYTE*>(&size), &sizeLength, 0) || size == 0) {
        throw std::runtime_error("CryptGetHashParam failed");
    }
    std::vector<BYTE> digest(size);
    if (!CryptGetHashParam(hash.Get(), HP_HASHVAL, digest.data(), &size, 0)) {
        throw std::runtime_error("CryptGetHashParam failed");
    }
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(2 * static_cast<std::size_t>(size));
    for (DWORD index = 0; index < size; ++index) {
        text += kDigits[digest[index] >> 4];
        text += kDigits[digest[index] & 0x0F];
    }
    return text;
}

}  // namespace CryptoDigest
