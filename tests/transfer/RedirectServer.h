#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A plain-HTTP server on 127.0.0.1 for the redirects the stand-in service cannot make (relative and
// very long Locations): each request is answered with the next Location of the list, in order.
class RedirectServer {
public:
    explicit RedirectServer(std::vector<std::string> locations);
    ~RedirectServer();
    RedirectServer(const RedirectServer&) = delete;
    RedirectServer& operator=(const RedirectServer&) = delete;

    // "http://127.0.0.1:<port>"
    std::wstring BaseUrl() const;
    // The request lines received so far ("GET /a HTTP/1.1").
    std::vector<std::string> RequestLines() const;

private:
    void Serve();
    void Answer(std::uintptr_t client, const std::string& location);

    std::vector<std::string> m_locations;
    // A SOCKET; winsock2.h stays in the .cpp, since it must come before windows.h.
    std::uintptr_t m_listener = ~std::uintptr_t(0);
    unsigned short m_port = 0;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_mutex;
    std::vector<std::string> m_requestLines;
    std::thread m_thread;
};
