// Wire messages made for the tests of the wire format, the game's network client and the server:
// what an encoder writes, and the game and player entries that lists and replies carry.
#pragma once

#include "foundation/ByteOrder.h"
#include "net/wire/NetWire.h"

#include <cstdint>
#include <cstdio>
#include <functional>

namespace wiretest {

// The bytes the encoder writes, given room for the largest message.
inline Bytes Encoded(const std::function<uint32_t(uint8_t*, std::size_t)>& encode)
{
    Bytes bytes(NetWire::kSendBuffer);
    bytes.resize(encode(bytes.data(), bytes.size()));
    return bytes;
}

inline SGameParam Game(uint32_t id, const char* name, uint32_t players)
{
    SGameParam game {};
    game.id = id;
    std::snprintf(game.name, sizeof game.name, "%s", name);
    game.players = players;
    return game;
}

} // namespace wiretest
