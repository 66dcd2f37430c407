#include "platform/win/instance.h"

#include "platform/win/debug.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace plat::win {
namespace {

// Any datagram to the holder's socket is a raise request; this is its whole content.
constexpr char kRaiseRequest[] = "raise";

socklen_t MakeAddress(std::string_view name, sockaddr_un& address)
{
    std::string text = "zoq-" + std::to_string(::getuid()) + "-" + std::string(name);
    if (const char* scope = std::getenv("ZOQ_INSTANCE_SCOPE"); scope && *scope)
        text += "-" + std::string(scope);
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    // Abstract namespace: a leading NUL, then the name's bytes (no terminator).
    std::size_t length = std::min(text.size(), sizeof address.sun_path - 1);
    std::memcpy(address.sun_path + 1, text.data(), length);
    return socklen_t(offsetof(sockaddr_un, sun_path) + 1 + length);
}

} // namespace

SingleInstance::~SingleInstance()
{
    Release();
}

bool SingleInstance::Acquire(std::string_view name)
{
    Release();
    sockaddr_un address;
    socklen_t length = MakeAddress(name, address);
    // The holder may end between our bind and our send: then try to take the name again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (fd < 0) {
            DebugOutput(std::string("SingleInstance::Acquire: socket: ") + std::strerror(errno));
            return true; // without a lock the program still runs
        }
        if (::bind(fd, reinterpret_cast<sockaddr*>(&address), length) == 0) {
            m_socket = fd;
            return true;
        }
        int error = errno;
        if (error != EADDRINUSE) {
            ::close(fd);
            DebugOutput(std::string("SingleInstance::Acquire: bind: ") + std::strerror(error));
            return true;
        }
        ssize_t sent = ::sendto(
            fd, kRaiseRequest, sizeof kRaiseRequest - 1, 0, reinterpret_cast<sockaddr*>(&address), length);
        error = errno;
        ::close(fd);
        if (sent >= 0 || error == EAGAIN) // a full queue has raise requests enough
            return false;
        if (error != ECONNREFUSED)
            return false;
    }
    return false;
}

void SingleInstance::Release()
{
    if (m_socket >= 0) {
        ::close(m_socket);
        m_socket = -1;
    }
}

bool SingleInstance::TakeRaiseRequest()
{
    if (m_socket < 0)
        return false;
    char buffer[16];
    return ::recv(m_socket, buffer, sizeof buffer, MSG_DONTWAIT) >= 0;
}

} // namespace plat::win
