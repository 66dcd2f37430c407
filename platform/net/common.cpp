#include "platform/net/net.h"

#include <arpa/inet.h>
#include <cstdlib>
#include <cstring>
#include <netdb.h>
#include <random>

namespace plat::net {

const char* ResultText(Result result)
{
    switch (result) {
    case Result::Ok:
        return "ok";
    case Result::Pending:
        return "pending";
    case Result::NoConnection:
        return "no connection";
    case Result::ConnectionLost:
        return "connection lost";
    case Result::WrongApplication:
        return "wrong application";
    case Result::InvalidPlayer:
        return "invalid player";
    case Result::BufferTooSmall:
        return "buffer too small";
    case Result::Timeout:
        return "timed out";
    case Result::Cancelled:
        return "cancelled";
    case Result::InvalidArgument:
        return "invalid argument";
    case Result::Failed:
        return "failed";
    }
    return "unknown result";
}

Guid NewGuid()
{
    std::random_device device;
    Guid guid;
    guid.data1 = device();
    guid.data2 = static_cast<uint16_t>(device());
    guid.data3 = static_cast<uint16_t>((device() & 0x0FFF) | 0x4000);
    for (uint8_t& b : guid.data4)
        b = static_cast<uint8_t>(device());
    guid.data4[0] = static_cast<uint8_t>((guid.data4[0] & 0x3F) | 0x80);
    return guid;
}

Address MakeAddress(uint32_t ip, uint16_t port)
{
    Address address;
    address.ip = ip;
    address.port = port;
    address.hasIp = true;
    address.hasPort = true;
    return address;
}

bool ParseAddress(std::string_view text, Address& out)
{
    out = Address {};
    std::string host(text);
    const std::size_t colon = host.rfind(':');
    if (colon != std::string::npos) {
        const std::string port = host.substr(colon + 1);
        host.resize(colon);
        if (port.empty() || port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos)
            return false;
        const unsigned long value = std::strtoul(port.c_str(), nullptr, 10);
        if (value > 65535)
            return false;
        out.port = static_cast<uint16_t>(value);
        out.hasPort = true;
    }
    if (host.empty())
        return colon != std::string::npos;
    in_addr parsed {};
    if (inet_pton(AF_INET, host.c_str(), &parsed) != 1) {
        addrinfo hints {};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_DGRAM;
        addrinfo* found = nullptr;
        if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr)
            return false;
        parsed = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
        freeaddrinfo(found);
    }
    out.ip = ntohl(parsed.s_addr);
    out.hasIp = true;
    return true;
}

std::string FormatAddress(const Address& address)
{
    std::string text;
    if (address.hasIp) {
        for (int shift = 24; shift >= 0; shift -= 8) {
            text += std::to_string((address.ip >> shift) & 0xFF);
            if (shift)
                text += '.';
        }
    }
    if (address.hasPort)
        text += ":" + std::to_string(address.port);
    return text;
}

uint16_t DefaultPort()
{
    const char* value = std::getenv("ZOQ_NET_PORT");
    if (value != nullptr && *value != '\0') {
        char* end = nullptr;
        const unsigned long port = std::strtoul(value, &end, 10);
        if (end != nullptr && *end == '\0' && port <= 65535)
            return static_cast<uint16_t>(port);
    }
    return kDefaultPort;
}

std::vector<Address> DefaultSearchList()
{
    std::vector<Address> list;
    const char* value = std::getenv("ZOQ_NET_SEARCH");
    if (value != nullptr && *value != '\0') {
        std::string_view rest(value);
        while (!rest.empty()) {
            const std::size_t comma = rest.find(',');
            const std::string_view item = rest.substr(0, comma);
            Address address;
            if (!item.empty() && ParseAddress(item, address) && address.hasIp)
                list.push_back(address);
            rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
        }
    } else {
        list.push_back(MakeAddress(0xFFFFFFFF, 0));
        list.push_back(MakeAddress(0x7F000001, 0));
        for (Address& address : list)
            address.hasPort = false;
    }
    for (Address& address : list) {
        if (!address.hasPort) {
            address.port = DefaultPort();
            address.hasPort = true;
        }
    }
    return list;
}

void CopyName(char16_t (&dest)[kMaxName + 1], const char16_t* source)
{
    int n = 0;
    if (source != nullptr)
        for (; n < kMaxName && source[n] != u'\0'; ++n)
            dest[n] = source[n];
    for (int i = n; i <= kMaxName; ++i)
        dest[i] = u'\0';
}

} // namespace plat::net
