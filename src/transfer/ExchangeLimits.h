#pragma once

#include <chrono>

// How long each stage of one HTTP exchange may take before it fails: resolving the host, connecting
// (with the TLS handshake), sending the request, and each wait for response data. Every client of the
// setup sets them: without them a host that accepts the connection and never answers holds its thread
// for good. Limits are not pauses: Waits does not scale them (a test that is about a limit sets its own).
struct ExchangeLimits {
    std::chrono::milliseconds resolve;
    std::chrono::milliseconds connect;
    std::chrono::milliseconds send;
    std::chrono::milliseconds receive;

    // The longest an exchange whose answer comes in one piece can take: every stage at its limit.
    constexpr std::chrono::milliseconds Total() const { return resolve + connect + send + receive; }
};
