// The wire protocol shared by the game and the server: every transport payload is one message of
// this file, little-endian and packed (several record fields stand at odd offsets). Layouts are
// offset constants read and written through foundation/ByteOrder.h. Encoders write whole messages;
// decoders check every size, count and terminator before use and refuse a bad message whole.
#pragma once

#include "foundation/ByteOrder.h"

#include <cstddef>
#include <cstdint>

// Message kinds at +0 of everything the game sends (fixed on the wire).
enum : uint32_t {
    NETMSG_OBJECTS = 1,
    NETMSG_SYSTEM = 2,
};

// System request types at +4 of a NETMSG_SYSTEM (fixed on the wire).
enum : uint32_t {
    NETSYS_CREATEGAME = 1,
    NETSYS_GETGAMELIST = 2,
    NETSYS_JOIN = 3,
    NETSYS_LEAVE = 4,
    NETSYS_STARTGAME = 5,
    NETSYS_SYNCTIME = 6,
    NETSYS_GETGAMEPARAM = 7,
    NETSYS_SETACTIVE = 8,
    NETSYS_SETINACTIVE = 9,
    NETSYS_SETPLAYERNAME = 10,
    NETSYS_GETPLAYERLIST = 11,
    NETSYS_SETPLAYERINFO = 12,
    NETSYS_KILLREPORT = 13,
};

// Reply ids at +0 of everything the server sends (fixed on the wire); there is no reply 1.
enum : uint32_t {
    NETREPLY_GAMELIST = 2,
    NETREPLY_SYNCTIME = 3,
    NETREPLY_WELCOME = 4,
    NETREPLY_GAMECREATED = 5,
    NETREPLY_OBJECTS = 6,
    NETREPLY_PLAYERJOINED = 7,
    NETREPLY_PLAYERLEFT = 8,
    NETREPLY_STARTED = 9,
    NETREPLY_PLAYERLIST = 10,
    NETREPLY_KILLED = 11,
};

// A game record of both sides' game tables (136 bytes on the wire, laid out as here).
struct SGameParam {
    uint32_t id;
    char name[32]; // zero-terminated: the file name of the network location played
    uint32_t players; // player records in the game
    uint8_t unused[96];
};
static_assert(sizeof(SGameParam) == 136);

// The public state of a player (44 bytes on the wire, laid out as here).
struct SPlayerInfo {
    uint32_t id;
    int32_t kills;
    uint32_t rating; // 32 bits as the game holds them
    char name[32]; // zero-terminated, Windows-1251
};
static_assert(sizeof(SPlayerInfo) == 44);

namespace NetWire {

template <ByteOrderValue T> inline T Get(const uint8_t* message, std::size_t offset)
{
    return LoadLE<T>(message + offset);
}

template <ByteOrderValue T> inline void Put(uint8_t* message, std::size_t offset, T value)
{
    StoreLE(message + offset, value);
}

// NETMSG_SYSTEM: kind, request type, message size (also the payload length), payload.
namespace System {
inline constexpr std::size_t kKind = 0;
inline constexpr std::size_t kType = 4;
inline constexpr std::size_t kSize = 8;
inline constexpr std::size_t kPayload = 12;
inline constexpr std::size_t kGameName = 16; // create: the name inside the SGameParam at +12
inline constexpr std::size_t kGameSize = 148; // create, join, leave, start: header + SGameParam
} // namespace System

namespace GameParam {
inline constexpr std::size_t kId = 0;
inline constexpr std::size_t kName = 4;
inline constexpr std::size_t kPlayers = 36;
inline constexpr std::size_t kSize = 136;
} // namespace GameParam

namespace PlayerInfo {
inline constexpr std::size_t kId = 0;
inline constexpr std::size_t kKills = 4;
inline constexpr std::size_t kRating = 8;
inline constexpr std::size_t kName = 12;
inline constexpr std::size_t kSize = 44;
} // namespace PlayerInfo

// SNetObjectHeader: the start of every NETMSG_OBJECTS.
namespace ObjectHeader {
inline constexpr std::size_t kKind = 0;
inline constexpr std::size_t kViewX = 4;
inline constexpr std::size_t kViewY = 8;
inline constexpr std::size_t kZero = 12;
inline constexpr std::size_t kViewDistance = 16;
inline constexpr std::size_t kTime = 20;
inline constexpr std::size_t kCount = 68;
inline constexpr std::size_t kBytes = 72;
inline constexpr std::size_t kSize = 76;
inline constexpr std::size_t kPlayerState = 64; // the leading bytes the server keeps per player
} // namespace ObjectHeader

// SNetObjectRecord: the common head of every object record.
namespace Record {
inline constexpr std::size_t kNetId = 0;
inline constexpr std::size_t kTime = 4;
inline constexpr std::size_t kKind = 12;
inline constexpr std::size_t kPosition = 13;
inline constexpr std::size_t kType = 25;
inline constexpr std::size_t kBaseState = 29;
inline constexpr std::size_t kLength = 33;
inline constexpr std::size_t kBaseSize = 35;
inline constexpr uint32_t kMaxLength = 10000;

// Record kinds (fixed on the wire).
inline constexpr uint8_t kState = 0;
inline constexpr uint8_t kFinal = 1;
inline constexpr uint8_t kHit = 2;
inline constexpr uint8_t kForced = 3;
} // namespace Record

// The hit record (kind 2) behind the common head.
namespace Hit {
inline constexpr std::size_t kDamage0 = 35;
inline constexpr std::size_t kDamage1 = 39;
inline constexpr std::size_t kZero = 43;
inline constexpr std::size_t kMergeKey = 47;
inline constexpr std::size_t kSender = 51;
inline constexpr std::size_t kSize = 55;
} // namespace Hit

// The moving-object record: the head, then the frame's columns 2, 0 and 1 and the twelve motion
// words.
namespace Moving {
inline constexpr std::size_t kAxis0 = 35; // column 2 (forward)
inline constexpr std::size_t kAxis1 = 47; // column 0 (side)
inline constexpr std::size_t kAxis2 = 59; // column 1 (up)
inline constexpr std::size_t kThrust = 71;
inline constexpr std::size_t kSideImpulse = 75;
inline constexpr std::size_t kBankCoupling = 79;
inline constexpr std::size_t kVelocity = 83;
inline constexpr std::size_t kRates = 95;
inline constexpr std::size_t kControlX = 107;
inline constexpr std::size_t kControlY = 111;
inline constexpr std::size_t kSpare = 115;
inline constexpr std::size_t kVisible = 119;
inline constexpr std::size_t kSize = 120;
static_assert(kAxis0 == Record::kBaseSize && kAxis1 == kAxis0 + 12 && kAxis2 == kAxis1 + 12);
static_assert(kThrust == kAxis2 + 12 && kVelocity == kBankCoupling + 4 && kRates == kVelocity + 12);
static_assert(kControlX == kRates + 12 && kSpare == kControlY + 4 && kSize == kVisible + 1);
} // namespace Moving

// The glider record: the moving record, state bits, aim and mass; with bit 28 the Ferrovant
// record follows (kind 3).
namespace Glider {
inline constexpr std::size_t kBits = 120;
inline constexpr std::size_t kAim = 124;
inline constexpr std::size_t kMass = 136;
inline constexpr std::size_t kSize = 140;
inline constexpr uint32_t kGun0 = 1u << 0;
inline constexpr uint32_t kGun1 = 1u << 1;
inline constexpr uint32_t kDead = 1u << 27;
inline constexpr uint32_t kFerrovant = 1u << 28;
static_assert(kBits == Moving::kSize && kAim == kBits + 4 && kMass == kAim + 12 && kSize == kMass + 4);
} // namespace Glider

// The missile record: the moving record, the owner's network id and a state byte.
namespace Missile {
inline constexpr std::size_t kOwner = 120;
inline constexpr std::size_t kState = 124;
inline constexpr std::size_t kSize = 125;
static_assert(kOwner == Moving::kSize && kSize == kState + 1);
} // namespace Missile

// The thing record: the head, a value, the item count and the 40-byte items.
namespace Thing {
inline constexpr std::size_t kValue = 35;
inline constexpr std::size_t kCount = 39;
inline constexpr std::size_t kItems = 43;
inline constexpr std::size_t kItemSize = 40;
inline constexpr uint32_t kMaxItems = 10;
inline constexpr std::size_t kItemKind = 0; // within an item
inline constexpr std::size_t kItemId = 4; // 32 bytes, zero-padded Windows-1251
inline constexpr std::size_t kItemAmount = 36;
static_assert(kValue == Record::kBaseSize && kItems == kCount + 4 && kItemSize == kItemAmount + 4);
// The record length of n items.
constexpr std::size_t SizeFor(uint32_t n)
{
    return kItems + kItemSize * n;
}
} // namespace Thing

// Replies: id at +0.
namespace Reply {
inline constexpr std::size_t kId = 0;
inline constexpr std::size_t kValue = 4; // the player id of 4, 7, 8 and 9
inline constexpr std::size_t kFixedSize = 48; // 3, 4, 7, 8, 9
inline constexpr std::size_t kListCount = 4; // 2, 10
inline constexpr std::size_t kListItems = 8;
inline constexpr std::size_t kSyncEcho = 4;
inline constexpr std::size_t kSyncDifference = 12;
inline constexpr std::size_t kCreatedOne = 4;
inline constexpr std::size_t kCreatedGame = 8;
inline constexpr std::size_t kCreatedSize = 144;
inline constexpr std::size_t kObjectsCount = 4;
inline constexpr std::size_t kObjectsBytes = 8;
inline constexpr std::size_t kObjectsRecords = 12;
inline constexpr std::size_t kKiller = 4;
inline constexpr std::size_t kVictim = 8;
inline constexpr std::size_t kKilledSize = 12;
} // namespace Reply

// Buffer sizes of both sides.
inline constexpr uint32_t kPendingLimit = 102400; // the server drops pending records above this
inline constexpr uint32_t kGameReceiveBuffer = Reply::kObjectsRecords + kPendingLimit; // the largest reply 6
inline constexpr uint32_t kServerReceiveBuffer = 153600; // the game's send buffer
inline constexpr uint32_t kSendBuffer = 153600;
inline constexpr uint32_t kSendReserve = 10000; // SendData stops packing with less room left
inline constexpr uint32_t kObjectOwnerMask = 0xFFF00000; // owner's player id in an object id

// Smallest message of each request type, 1..13; type 10 needs at least its terminator.
inline constexpr uint32_t kRequestSize[14] = { 0, 148, 12, 148, 148, 148, 20, 16, 12, 12, 14, 12, 56, 16 };

// Fixed size of each reply id 2..11; lists (2, 10) and reply 6 give their header size.
inline constexpr uint32_t kReplySize[12] = { 0, 0, 8, 48, 48, 144, 12, 48, 48, 48, 8, 12 };

// Outcome of a decoder.
enum class Status {
    Ok,
    Short, // shorter than its fixed part
    SizeMismatch, // the size field is not the payload length
    UnknownKind, // a message kind, request type or reply id outside the protocol
    BadCount, // a list count that the payload cannot hold
    BadName, // a name without terminator, or a game name that is not a plain file name
};
const char* StatusText(Status status);

// A game name is a location file name: 1..31 bytes before the terminator within 32 bytes, no
// byte below 0x20, no '\', '/' or ':', not "." or "..".
bool IsPlainGameName(const char* name32);
// Copies a char[32] name from the wire: at most 31 characters, then zeros to the end.
void CopyName32(char* dest, const uint8_t* source);
// Copies a zero-terminated UTF-16 name of at most 63 characters; false without a terminator
// within the first min(64, units) code units. dest holds 64 units.
bool CopyWideName(char16_t* dest, const uint8_t* source, std::size_t units);

SGameParam ReadGameParam(const uint8_t* at);
void WriteGameParam(uint8_t* at, const SGameParam& game);
SPlayerInfo ReadPlayerInfo(const uint8_t* at);
void WritePlayerInfo(uint8_t* at, const SPlayerInfo& info);

// The fields of an object-message header that carry meaning.
struct SNetObjectHeader {
    float viewX = 0;
    float viewY = 0;
    float viewDistance = 0; // view-distance setting x 10
    double time = 0; // server clock, less the sender's half round trip
    uint32_t count = 0;
    uint32_t bytes = 0;
};

// The common head of an object record.
struct SNetObjectRecord {
    uint32_t netId = 0;
    double time = 0;
    uint8_t kind = 0;
    float position[3] = {};
    uint32_t type = 0;
    uint32_t baseState = 0;
    uint16_t length = Record::kBaseSize;
};

// A hit record's fields (its +13..+24 and +47 are written as zero).
struct SHitRecord {
    uint32_t netId = 0;
    double time = 0;
    uint32_t type = 0;
    uint32_t baseState = 0;
    float damage[2] = {};
    uint32_t mergeKey = 0;
    uint32_t sender = 0;
};

// A decoded system request; only the fields of its type are set.
struct SRequest {
    uint32_t type = 0;
    uint32_t size = 0;
    uint32_t gameId = 0; // 3, 4, 5, 7
    char gameName[32] = {}; // 1
    double clock = 0; // 6
    char16_t playerName[64] = {}; // 10
    SPlayerInfo info = {}; // 12
    uint32_t killer = 0; // 13
};

// A decoded reply. Lists and records stay in the message: items points at the first entry.
struct SReply {
    uint32_t id = 0;
    uint32_t playerId = 0; // 4, 7, 8, 9
    double echo = 0; // 3
    double difference = 0; // 3
    SGameParam game = {}; // 5
    uint32_t killer = 0; // 11
    uint32_t victim = 0; // 11
    uint32_t count = 0; // 2, 6, 10
    uint32_t recordBytes = 0; // 6: as the header says; the walk bounds it by the message
    const uint8_t* items = nullptr; // 2, 6, 10
    std::size_t itemBytes = 0; // bytes of the message from items to its end
};

// Encoders write one whole message at dest and return its size, or 0 when it does not fit in
// capacity. Names are copied up to their terminator and cut to the field.
uint32_t EncodeRequest(uint8_t* dest, std::size_t capacity, uint32_t type); // 2, 8, 9, 11
uint32_t EncodeCreateGame(uint8_t* dest, std::size_t capacity, const char* name);
uint32_t EncodeGameRequest(uint8_t* dest, std::size_t capacity, uint32_t type, uint32_t gameId); // 3, 4, 5, 7
uint32_t EncodeSyncTime(uint8_t* dest, std::size_t capacity, double clock);
uint32_t EncodeSetPlayerName(uint8_t* dest, std::size_t capacity, const char16_t* name);
uint32_t EncodeSetPlayerInfo(uint8_t* dest, std::size_t capacity, const SPlayerInfo& info);
uint32_t EncodeKillReport(uint8_t* dest, std::size_t capacity, uint32_t killer);
uint32_t EncodeObjectHeader(uint8_t* dest, std::size_t capacity, const SNetObjectHeader& header);
uint32_t EncodeRecordHead(uint8_t* dest, std::size_t capacity, const SNetObjectRecord& record);
uint32_t EncodeHitRecord(uint8_t* dest, std::size_t capacity, const SHitRecord& hit);

uint32_t EncodeGameList(uint8_t* dest, std::size_t capacity, const SGameParam* games, uint32_t count);
uint32_t EncodeSyncTimeReply(uint8_t* dest, std::size_t capacity, double echo, double difference);
uint32_t EncodePlayerReply(uint8_t* dest, std::size_t capacity, uint32_t id, uint32_t playerId); // 4, 7, 8, 9
uint32_t EncodeGameCreated(uint8_t* dest, std::size_t capacity, const SGameParam& game);
uint32_t EncodeObjects(
    uint8_t* dest, std::size_t capacity, uint32_t count, const uint8_t* records, uint32_t bytes);
uint32_t EncodePlayerList(uint8_t* dest, std::size_t capacity, const SPlayerInfo* players, uint32_t count);
uint32_t EncodeKilled(uint8_t* dest, std::size_t capacity, uint32_t killer, uint32_t victim);

// A NETMSG_SYSTEM: kind 2, the size field equal to length and at least the type's size, the
// type in 1..13, a create's game name plain, a player name terminated.
Status DecodeRequest(const uint8_t* message, std::size_t length, SRequest& out);
// A NETMSG_OBJECTS header: at least 76 bytes and kind 1. The records follow at +76.
Status DecodeObjectHeader(const uint8_t* message, std::size_t length, SNetObjectHeader& out);
SNetObjectRecord ReadRecordHead(const uint8_t* record);
SHitRecord ReadHitRecord(const uint8_t* record);
// A reply: id 2..11, at least its fixed size, a list count that fits (checked before it is
// multiplied), a created game's name plain.
Status DecodeReply(const uint8_t* message, std::size_t length, SReply& out);

// True when the record head at `record`, with `room` bytes left, starts a record that may be
// used: kind 0..3, length 35..10000 (a hit exactly 55) and within the room.
inline bool IsUsableRecord(const uint8_t* record, std::size_t room)
{
    if (room < Record::kBaseSize)
        return false;
    const uint8_t kind = record[Record::kKind];
    const uint16_t length = Get<uint16_t>(record, Record::kLength);
    if (kind > Record::kForced || length < Record::kBaseSize || length > Record::kMaxLength || length > room)
        return false;
    return kind != Record::kHit || length == Hit::kSize;
}

// The record walk of both sides: visits at most `count` records laid end to end from `records`,
// within min(available, declaredBytes), and stops at the first record that is not usable; the
// records before it are used. Calls visit(record, length) and returns the records visited.
template <class Byte, class Visit>
uint32_t WalkRecords(
    Byte* records, std::size_t available, uint32_t count, uint32_t declaredBytes, Visit&& visit)
{
    const std::size_t limit = available < declaredBytes ? available : declaredBytes;
    std::size_t at = 0;
    uint32_t visited = 0;
    while (visited < count && IsUsableRecord(records + at, limit - at)) {
        const uint16_t length = Get<uint16_t>(records + at, Record::kLength);
        visit(records + at, static_cast<uint32_t>(length));
        at += length;
        ++visited;
    }
    return visited;
}

} // namespace NetWire
