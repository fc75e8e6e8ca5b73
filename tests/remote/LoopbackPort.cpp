#include "LoopbackPort.h"

#include <winsock2.h>

#include <stdexcept>

unsigned short UnusedLoopbackPort()
{
    WSADATA data{};
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
        throw std::runtime_error("WSAStartup failed");
    }
    const SOCKET probe = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof(address);
    const bool bound = probe != INVALID_SOCKET && bind(probe, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
                       getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length) == 0;
    if (probe != INVALID_SOCKET) {
        closesocket(probe);
    }
    WSACleanup();
    if (!bound) {
        throw std::runtime_error("no free loopback port");
    }
    return ntohs(address.sin_port);
}
