// Fuzz entry: search and handshake datagrams; a decoded datagram encodes back to the same bytes.
#include "platform/net/control.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace plat::net::control;
    Message message;
    if (!Decode(data, size, message))
        return 0;
    uint8_t again[kMaxSize];
    const std::size_t written = Encode(message, again, sizeof again);
    if (written != size || std::memcmp(again, data, size) != 0)
        std::abort();
    return 0;
}
