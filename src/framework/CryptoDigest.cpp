#include "framework/CryptoDigest.h"

#include "framework/CryptoHandle.h"

#include <cstdint>
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

namespace {

class Digest {
public:
    Digest(DWORD providerType, ALG_ID algorithm)
    {
        if (!CryptAcquireContextW(m_provider.Receive(), nullptr, nullptr, providerType, CRYPT_VERIFYCONTEXT)) {
            throw std::runtime_error("CryptAcquireContext failed");
        }
        if (!CryptCreateHash(m_provider.Get(), algorithm, 0, 0, m_hash.Receive())) {
            throw std::runtime_error("CryptCreateHash failed");
        }
    }

    void Add(const void* bytes, DWORD size)
    {
        if (!CryptHashData(m_hash.Get(), static_cast<const BYTE*>(bytes), size, 0)) {
            throw std::runtime_error("CryptHashData failed");
        }
    }

    std::string Hex() const
    {
        DWORD size = 0;
        DWORD sizeLength = sizeof(size);
        if (!CryptGetHashParam(m_hash.Get(), HP_HASHSIZE, reinterpret_cast<BYTE*>(&size), &sizeLength, 0) ||
            size == 0) {
            throw std::runtime_error("CryptGetHashParam failed");
        }
        std::vector<BYTE> digest(size);
        if (!CryptGetHashParam(m_hash.Get(), HP_HASHVAL, digest.data(), &size, 0)) {
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

private:
    UniqueCryptProvider m_provider;
    UniqueCryptHash m_hash;
};

}  // namespace

std::string Hex(DWORD providerType, ALG_ID algorithm, std::string_view bytes)
{
    Digest digest(providerType, algorithm);
    digest.Add(bytes.data(), static_cast<DWORD>(bytes.size()));
    return digest.Hex();
}

std::string Sha256HexOfFile(HANDLE file)
{
    Digest digest(PROV_RSA_AES, CALG_SHA_256);
    std::vector<char> buffer(64 * 1024);
    std::uint64_t offset = 0;
    for (;;) {
        // Reads at explicit offsets, so whoever holds the handle keeps its file position.
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD read = 0;
        if (!ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &read, &at)) {
            if (GetLastError() == ERROR_HANDLE_EOF) {
                break;
            }
            throw std::runtime_error("ReadFile failed");
        }
        if (read == 0) {
            break;
        }
        digest.Add(buffer.data(), read);
        offset += read;
    }
    return digest.Hex();
}

}  // namespace CryptoDigest
