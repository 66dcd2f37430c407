// A UDP relay on 127.0.0.1 between one client and a server port. Cut() makes it swallow every
// datagram from then on, so the client vanishes without a goodbye, as a pulled cable does.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <thread>

class UdpRelay {
public:
    explicit UdpRelay(uint16_t serverPort)
    {
        m_front = Bind();
        m_back = Bind();
        m_server.sin_family = AF_INET;
        m_server.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        m_server.sin_port = htons(serverPort);
        sockaddr_in bound {};
        socklen_t length = sizeof bound;
        getsockname(m_front, reinterpret_cast<sockaddr*>(&bound), &length);
        m_port = ntohs(bound.sin_port);
        m_thread = std::thread([this] { Run(); });
    }
    ~UdpRelay()
    {
        m_stop = true;
        m_thread.join();
        close(m_front);
        close(m_back);
    }
    UdpRelay(const UdpRelay&) = delete;
    UdpRelay& operator=(const UdpRelay&) = delete;

    // The port the client talks to.
    uint16_t Port() const { return m_port; }
    void Cut() { m_cut = true; }

private:
    static int Bind()
    {
        const int fd = socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in local {};
        local.sin_family = AF_INET;
        local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local);
        return fd;
    }

    void Run()
    {
        uint8_t buffer[65536];
        pollfd fds[2] = { { m_front, POLLIN, 0 }, { m_back, POLLIN, 0 } };
        while (!m_stop) {
            if (poll(fds, 2, 10) <= 0)
                continue;
            if (fds[0].revents & POLLIN) {
                sockaddr_in from {};
                socklen_t length = sizeof from;
                const ssize_t n = recvfrom(
                    m_front, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length);
                if (n > 0 && !m_cut) {
                    m_client = from;
                    m_hasClient = true;
                    sendto(m_back, buffer, static_cast<size_t>(n), 0,
                        reinterpret_cast<const sockaddr*>(&m_server), sizeof m_server);
                }
            }
            if (fds[1].revents & POLLIN) {
                const ssize_t n = recv(m_back, buffer, sizeof buffer, 0);
                if (n > 0 && !m_cut && m_hasClient)
                    sendto(m_front, buffer, static_cast<size_t>(n), 0,
                        reinterpret_cast<const sockaddr*>(&m_client), sizeof m_client);
            }
        }
    }

    int m_front = -1;
    int m_back = -1;
    uint16_t m_port = 0;
    sockaddr_in m_server {};
    sockaddr_in m_client {};
    bool m_hasClient = false;
    std::atomic<bool> m_cut { false };
    std::atomic<bool> m_stop { false };
    std::thread m_thread;
};
