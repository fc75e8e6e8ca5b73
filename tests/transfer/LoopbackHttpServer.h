#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A plain-HTTP server on 127.0.0.1 for what the stand-in service cannot do over TLS: each request
// gets the next reply of the list, in order.
class LoopbackHttpServer {
public:
    struct Reply {
        std::string bytes;   // the whole response, as sent
        bool reset = false;  // end with a connection reset (RST) instead of an orderly close
    };

    explicit LoopbackHttpServer(std::vector<Reply> replies);
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    // A 302 to the location, without a body.
    static Reply Redirect(const std::string& location);

    // "http://127.0.0.1:<port>"
    std::wstring BaseUrl() const;
    // The request lines received so far ("GET /a HTTP/1.1").
    std::vector<std::string> RequestLines() const;

private:
    void Serve();
    void Answer(std::uintptr_t client, const Reply& reply);

    std::vector<Reply> m_replies;
    // A SOCKET; winsock2.h stays in the .cpp, since it must come before windows.h.
    std::uintptr_t m_listener = ~std::uintptr_t(0);
    unsigned short m_port = 0;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_mutex;
    std::vector<std::string> m_requestLines;
    std::thread m_thread;
};
