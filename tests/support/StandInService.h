#pragma once

#include <nlohmann/json.hpp>

#include <string>

// Drives the stand-in service of service/ over its control API. The service
// runs on the Linux side; tests under Wine find it through the environment
// variable TESSERA_SERVICE_PORT and reach it over HTTPS on loopback.
class StandInService {
 public:
    // Reads the port from TESSERA_SERVICE_PORT; throws std::runtime_error when
    // the variable is missing or is not a port number.
    StandInService();
    explicit StandInService(unsigned short port);

    unsigned short Port() const noexcept { return m_port; }
    // "https://localhost:<port>"
    std::wstring BaseUrl() const;

    // A scenario file of service/scenarios, by name ("demo", "downloads").
    void LoadScenario(const std::string& name);
    // Without this overload a string literal would be ambiguous between the two.
    void LoadScenario(const char* name) { LoadScenario(std::string(name)); }
    // An inline scenario document; it may "extend" a named one.
    void LoadScenario(const nlohmann::json& scenario);

    // Clears the records and restarts every fault plan of the current scenario.
    void Reset();

    // Arrays of records, oldest first (see service/README.md for their fields).
    nlohmann::json Events() const;
    nlohmann::json Requests() const;

 private:
    nlohmann::json Call(const wchar_t* verb, const std::wstring& path,
                        const std::string& body) const;

    unsigned short m_port;
};
