#include "remote/RequestSignature.h"

#include "framework/CryptoDigest.h"

#include <stdexcept>

std::wstring RequestSignature(const std::string& userId, const std::string& sessionId)
{
    std::string digest;
    try {
        digest = CryptoDigest::Sha256Hex(userId + sessionId);
    } catch (const std::runtime_error&) {
        // Every Windows the setup runs on has SHA-256 in its AES provider; should it still fail, the
        // service refuses the unsigned events, which is all telemetry can do without reporting.
    }
    return L"Signature=" + std::wstring(digest.begin(), digest.end());
}
