#include <winsock2.h>
#include <ws2tcpip.h>

#include "RedirectServer.h"

#include <stdexcept>

RedirectServer::RedirectServer(std::vector<std::string> locations) : m_locations(std::move(locations))
{
    WSADATA data{};
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
        throw std::runtime_error("WSAStartup failed");
    }
    const SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    m_listener = listener;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    int size = sizeof(address);
    if (listener == INVALID_SOCKET || bind(listener, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        listen(listener, 4) != 0 || getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        throw std::runtime_error("cannot listen on loopback");
    }
    m_port = ntohs(address.sin_port);
    m_thread = std::thread(&RedirectServer::Serve, this);
}

RedirectServer::~RedirectServer()
{
    m_stop = true;
    m_thread.join();
    closesocket(static_cast<SOCKET>(m_listener));
    WSACleanup();
}

std::wstring RedirectServer::BaseUrl() const
{
    return L"http://127.0.0.1:" + std::to_wstring(m_port);
}

std::vector<std::string> RedirectServer::RequestLines() const
{
    std::lock_guard lock(m_mutex);
    return m_requestLines;
}

void RedirectServer::Serve()
{
    std::size_t next = 0;
    while (!m_stop && next < m_locations.size()) {
        // A short wait, so that the destructor is never kept waiting for a client that does not come.
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(static_cast<SOCKET>(m_listener), &readable);
        timeval wait{0, 50 * 1000};
        if (select(0, &readable, nullptr, nullptr, &wait) <= 0) {
            continue;
        }
        const SOCKET client = accept(static_cast<SOCKET>(m_listener), nullptr, nullptr);
        if (client == INVALID_SOCKET) {
            continue;
        }
        Answer(client, m_locations[next++]);
        closesocket(client);
    }
}

void RedirectServer::Answer(std::uintptr_t socket, const std::string& location)
{
    const auto client = static_cast<SOCKET>(socket);
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos) {
        const int received = recv(client, buffer, sizeof(buffer), 0);
        if (received <= 0) {
            return;
        }
        request.append(buffer, static_cast<std::size_t>(received));
    }
    {
        std::lock_guard lock(m_mutex);
        m_requestLines.push_back(request.substr(0, request.find("\r\n")));
    }
    const std::string response = "HTTP/1.1 302 Found\r\nLocation: " + location +
                                 "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
    send(client, response.data(), static_cast<int>(response.size()), 0);
    shutdown(client, SD_SEND);
}
