#include <winsock2.h>
#include <ws2tcpip.h>

#include "LoopbackHttpServer.h"

#include <stdexcept>

LoopbackHttpServer::LoopbackHttpServer(std::vector<Reply> replies) : m_replies(std::move(replies))
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
    m_thread = std::thread(&LoopbackHttpServer::Serve, this);
}

LoopbackHttpServer::~LoopbackHttpServer()
{
    m_stop = true;
    m_thread.join();
    closesocket(static_cast<SOCKET>(m_listener));
    WSACleanup();
}

std::wstring LoopbackHttpServer::BaseUrl() const
{
    return L"http://127.0.0.1:" + std::to_wstring(m_port);
}

std::vector<std::string> LoopbackHttpServer::RequestLines() const
{
    std::lock_guard lock(m_mutex);
    return m_requestLines;
}

void LoopbackHttpServer::Serve()
{
    std::size_t next = 0;
    while (!m_stop && next < m_replies.size()) {
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
        Answer(client, m_replies[next++]);
        closesocket(client);
    }
}

LoopbackHttpServer::Reply LoopbackHttpServer::Redirect(const std::string& location)
{
    return {"HTTP/1.1 302 Found\r\nLocation: " + location + "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n",
            false};
}

void LoopbackHttpServer::Answer(std::uintptr_t socket, const Reply& reply)
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
    send(client, reply.bytes.data(), static_cast<int>(reply.bytes.size()), 0);
    if (reply.reset) {
        // A zero linger time makes the close a reset; the short wait lets the bytes go out first.
        Sleep(200);
        const linger abort{1, 0};
        setsockopt(client, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abort), sizeof(abort));
        return;
    }
    shutdown(client, SD_SEND);
}
