#include "StandInService.h"

#include <windows.h>
#include <winhttp.h>

#include <charconv>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <vector>

namespace {

struct InternetHandleCloser {
    void operator()(HINTERNET handle) const noexcept { WinHttpCloseHandle(handle); }
};
using InternetHandle = std::unique_ptr<void, InternetHandleCloser>;

[[noreturn]] void ThrowLastError(const char* operation) {
    const DWORD error = GetLastError();
    throw std::runtime_error(std::string("stand-in service: ") + operation + " failed with error " +
                             std::to_string(error));
}

unsigned short PortFromEnvironment() {
    const char* text = std::getenv("TESSERA_SERVICE_PORT");
    if (text == nullptr || *text == '\0') {
        throw std::runtime_error("stand-in service: TESSERA_SERVICE_PORT is not set");
    }
    const std::string value(text);
    unsigned int port = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), port);
    if (error != std::errc() || end != value.data() + value.size() || port == 0 || port > 65535) {
        throw std::runtime_error("stand-in service: TESSERA_SERVICE_PORT is not a port: " + value);
    }
    return static_cast<unsigned short>(port);
}

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

}  // namespace

StandInService::StandInService() : m_port(PortFromEnvironment()) {}

StandInService::StandInService(unsigned short port) : m_port(port) {}

std::wstring StandInService::BaseUrl() const {
    return L"https://localhost:" + std::to_wstring(m_port);
}

void StandInService::LoadScenario(const std::string& name) {
    Call(L"POST", L"/_control/scenario", nlohmann::json{{"name", name}}.dump());
}

void StandInService::LoadScenario(const nlohmann::json& scenario) {
    Call(L"POST", L"/_control/scenario", nlohmann::json{{"scenario", scenario}}.dump());
}

void StandInService::Reset() {
    Call(L"POST", L"/_control/reset", "{}");
}

nlohmann::json StandInService::Events() const {
    return Call(L"GET", L"/_control/events", "");
}

nlohmann::json StandInService::Requests() const {
    return Call(L"GET", L"/_control/requests", "");
}

nlohmann::json StandInService::Call(const wchar_t* verb, const std::wstring& path,
                                    const std::string& body) const {
    InternetHandle session(WinHttpOpen(L"TesseraTests/1.0", WINHTTP_ACCESS_TYPE_NO_PROXY,
                                       WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session) {
        ThrowLastError("WinHttpOpen");
    }
    DWORD protocols = WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2;
    if (!WinHttpSetOption(session.get(), WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols,
                          sizeof(protocols))) {
        ThrowLastError("WinHttpSetOption(WINHTTP_OPTION_SECURE_PROTOCOLS)");
    }
    // Record lists can be long after a big run; the rest should be quick on loopback.
    if (!WinHttpSetTimeouts(session.get(), 5000, 5000, 30000, 30000)) {
        ThrowLastError("WinHttpSetTimeouts");
    }
    InternetHandle connection(WinHttpConnect(session.get(), L"localhost", m_port, 0));
    if (!connection) {
        ThrowLastError("WinHttpConnect");
    }
    InternetHandle request(WinHttpOpenRequest(connection.get(), verb, path.c_str(), nullptr,
                                              WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                              WINHTTP_FLAG_SECURE));
    if (!request) {
        ThrowLastError("WinHttpOpenRequest");
    }
    const auto length = static_cast<DWORD>(body.size());
    void* data = body.empty() ? WINHTTP_NO_REQUEST_DATA : const_cast<char*>(body.data());
    if (!WinHttpSendRequest(request.get(), L"Content-Type: application/json\r\n",
                            static_cast<DWORD>(-1), data, length, length, 0)) {
        ThrowLastError("WinHttpSendRequest");
    }
    if (!WinHttpReceiveResponse(request.get(), nullptr)) {
        ThrowLastError("WinHttpReceiveResponse");
    }
    DWORD status = 0;
    DWORD statusSize = sizeof(status);
    if (!WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &status, &statusSize,
                             WINHTTP_NO_HEADER_INDEX)) {
        ThrowLastError("WinHttpQueryHeaders");
    }
    std::string answer;
    std::vector<char> buffer(64 * 1024);
    for (;;) {
        DWORD read = 0;
        if (!WinHttpReadData(request.get(), buffer.data(), static_cast<DWORD>(buffer.size()),
                             &read)) {
            ThrowLastError("WinHttpReadData");
        }
        if (read == 0) {
            break;
        }
        answer.append(buffer.data(), read);
    }
    if (status != 200) {
        throw std::runtime_error("stand-in service: " + Narrow(verb) + " " + Narrow(path) +
                                 " answered " + std::to_string(status) + ": " + answer);
    }
    return nlohmann::json::parse(answer);
}
