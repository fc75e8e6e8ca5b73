#pragma once

#include <windows.h>
#include <wincrypt.h>

#include <string>
#include <string_view>

// A message digest through the platform's cryptography interface, as lowercase hexadecimal digits,
// two per byte in digest order. A failing call throws std::runtime_error naming it
// ("CryptAcquireContext failed", "CryptCreateHash failed", "CryptHashData failed",
// "CryptGetHashParam failed").
namespace CryptoDigest {

// MD5 (RFC 1321) through the full RSA provider.
std::string Md5Hex(std::string_view bytes);

// SHA-256 (FIPS 180-4) through the RSA and AES provider, the one that offers it.
std::string Sha256Hex(std::string_view bytes);

std::string Hex(DWORD providerType, ALG_ID algorithm, std::string_view bytes);

// SHA-256 of a whole file, read from its start through the handle given (which needs read access;
// its file position is left alone). Also throws "ReadFile failed".
std::string Sha256HexOfFile(HANDLE file);

}  // namespace CryptoDigest
