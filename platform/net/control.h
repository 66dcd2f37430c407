// Control datagrams of the transport: the server search on the session's UDP port and the
// hello handshake on the control channel. Each starts with a magic and a version and is
// validated whole: known kind, exact length, names of at most 63 units without a NUL.
#pragma once

#include "platform/net/net.h"

#include <cstddef>
#include <cstdint>

namespace plat::net::control {

inline constexpr uint32_t kMagic = 0x4E514F5A; // "ZOQN" (fixed on the wire)
inline constexpr uint16_t kVersion = 1;
inline constexpr std::size_t kHeaderSize = 8; // magic u32, version u16, kind u16
inline constexpr std::size_t kMaxSize = 58 + 2 * kMaxName; // the largest: a search answer

// Kinds (fixed on the wire).
enum class Kind : uint16_t {
    SearchQuery = 1, // client -> any: searchId, sentMs, application
    SearchAnswer = 2, // server -> searcher: searchId, sentMs echoed, instance, application, players, name
    Hello = 3, // client -> server on connecting: application, player name
    Accept = 4, // server -> client: the client's player id, instance
    Refuse = 5, // server -> client: reason (a negative Result)
    Info = 6, // client -> server: a new player name
};

struct Message {
    Kind kind = Kind::SearchQuery;
    uint32_t searchId = 0;
    uint32_t sentMs = 0;
    Guid application;
    Guid instance;
    uint32_t maxPlayers = 0;
    uint32_t currentPlayers = 0;
    PlayerId player = 0;
    Result reason = Result::Ok;
    char16_t name[kMaxName + 1] = {}; // session name (answer) or player name (hello, info)
};

// Writes the datagram and returns its size, or 0 when it does not fit in capacity. Names are
// cut at 63 units or at their first NUL.
std::size_t Encode(const Message& message, uint8_t* dest, std::size_t capacity);
// True for a datagram that starts with the magic (a candidate to take off the socket).
bool HasMagic(const uint8_t* data, std::size_t size);
// Reads a whole datagram; false for anything not exactly a valid message of this version.
bool Decode(const uint8_t* data, std::size_t size, Message& out);

} // namespace plat::net::control
