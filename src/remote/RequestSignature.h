#pragma once

#include <string>

// The value of the telemetry "Authorization" header: "Signature=" and the SHA-256 of the user id
// immediately followed by the session id, as 64 lowercase hexadecimal digits. No secret takes part.
std::wstring RequestSignature(const std::string& userId, const std::string& sessionId);
