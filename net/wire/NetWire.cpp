#include "net/wire/NetWire.h"

#include <algorithm>

namespace NetWire {

namespace {

constexpr uint32_t kMaxWideName = 63;

// Starts a system request of `size` bytes: zeroed, kind 2, the type and the size.
uint8_t* BeginSystem(uint8_t* dest, std::size_t capacity, uint32_t type, uint32_t size)
{
    if (dest == nullptr || capacity < size)
        return nullptr;
    std::memset(dest, 0, size);
    Put<uint32_t>(dest, System::kKind, NETMSG_SYSTEM);
    Put<uint32_t>(dest, System::kType, type);
    Put<uint32_t>(dest, System::kSize, size);
    return dest;
}

uint8_t* BeginReply(uint8_t* dest, std::size_t capacity, uint32_t id, std::size_t size)
{
    if (dest == nullptr || capacity < size)
        return nullptr;
    std::memset(dest, 0, size);
    Put<uint32_t>(dest, Reply::kId, id);
    return dest;
}

// A list reply: the id, the count and `count` items of itemSize bytes, each written by write.
template <class Item>
uint32_t EncodeList(uint8_t* dest, std::size_t capacity, uint32_t id, const Item* items, uint32_t count,
    std::size_t itemSize, void (*write)(uint8_t*, const Item&))
{
    if (count > (capacity - std::min(capacity, Reply::kListItems)) / itemSize)
        return 0;
    const std::size_t size = Reply::kListItems + std::size_t(count) * itemSize;
    if (!BeginReply(dest, capacity, id, size))
        return 0;
    Put<uint32_t>(dest, Reply::kListCount, count);
    for (uint32_t i = 0; i < count; ++i)
        write(dest + Reply::kListItems + std::size_t(i) * itemSize, items[i]);
    return static_cast<uint32_t>(size);
}

void PutName32(uint8_t* at, const char* name)
{
    std::size_t n = 0;
    if (name != nullptr)
        while (n < 31 && name[n] != '\0')
            ++n;
    std::memset(at, 0, 32);
    if (n)
        std::memcpy(at, name, n);
}

// Each wire struct's fields, listed once for its writer and its reader: visit(offset, field).
template <class Game, class Visit> void GameParamFields(Game& game, Visit&& visit)
{
    visit(GameParam::kId, game.id);
    visit(GameParam::kName, game.name);
    visit(GameParam::kPlayers, game.players);
}

template <class Info, class Visit> void PlayerInfoFields(Info& info, Visit&& visit)
{
    visit(PlayerInfo::kId, info.id);
    visit(PlayerInfo::kKills, info.kills);
    visit(PlayerInfo::kRating, info.rating);
    visit(PlayerInfo::kName, info.name);
}

template <class Header, class Visit> void ObjectHeaderFields(Header& header, Visit&& visit)
{
    visit(ObjectHeader::kViewX, header.viewX);
    visit(ObjectHeader::kViewY, header.viewY);
    visit(ObjectHeader::kViewDistance, header.viewDistance);
    visit(ObjectHeader::kTime, header.time);
    visit(ObjectHeader::kCount, header.count);
    visit(ObjectHeader::kBytes, header.bytes);
}

// The head fields that a hit record shares with every record.
template <class Head, class Visit> void SharedHeadFields(Head& head, Visit&& visit)
{
    visit(Record::kNetId, head.netId);
    visit(Record::kTime, head.time);
    visit(Record::kType, head.type);
    visit(Record::kBaseState, head.baseState);
}

template <class Head, class Visit> void RecordHeadFields(Head& head, Visit&& visit)
{
    SharedHeadFields(head, visit);
    visit(Record::kKind, head.kind);
    for (std::size_t i = 0; i < 3; ++i)
        visit(Record::kPosition + 4 * i, head.position[i]);
    visit(Record::kLength, head.length);
}

// Kind and length of a hit are fixed; its encoder writes them.
template <class HitRecord, class Visit> void HitFields(HitRecord& hit, Visit&& visit)
{
    SharedHeadFields(hit, visit);
    visit(Hit::kDamage0, hit.damage[0]);
    visit(Hit::kDamage1, hit.damage[1]);
    visit(Hit::kMergeKey, hit.mergeKey);
    visit(Hit::kSender, hit.sender);
}

// Visitors that write or read a field at its offset; names go through the 32-byte name rules.
struct FieldWriter {
    uint8_t* at;
    template <class T> void operator()(std::size_t offset, const T& value) const
    {
        Put<T>(at, offset, value);
    }
    void operator()(std::size_t offset, const char (&name)[32]) const { PutName32(at + offset, name); }
};

struct FieldReader {
    const uint8_t* at;
    template <class T> void operator()(std::size_t offset, T& value) const { value = Get<T>(at, offset); }
    void operator()(std::size_t offset, char (&name)[32]) const { CopyName32(name, at + offset); }
};

std::size_t WideLength(const char16_t* name)
{
    std::size_t n = 0;
    if (name != nullptr)
        while (n < kMaxWideName && name[n] != u'\0')
            ++n;
    return n;
}

} // namespace

const char* StatusText(Status status)
{
    switch (status) {
    case Status::Ok:
        return "ok";
    case Status::Short:
        return "shorter than its fixed part";
    case Status::SizeMismatch:
        return "size field differs from the length";
    case Status::UnknownKind:
        return "unknown kind";
    case Status::BadCount:
        return "count does not fit the length";
    case Status::BadName:
        return "bad name";
    }
    return "?";
}

bool IsPlainGameName(const char* name32)
{
    const void* end = std::memchr(name32, '\0', 32);
    if (end == nullptr)
        return false;
    const std::size_t length = static_cast<std::size_t>(static_cast<const char*>(end) - name32);
    if (length == 0 || length > 31)
        return false;
    if (std::strcmp(name32, ".") == 0 || std::strcmp(name32, "..") == 0)
        return false;
    for (std::size_t i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(name32[i]);
        if (c < 0x20 || c == '\\' || c == '/' || c == ':')
            return false;
    }
    return true;
}

void CopyName32(char* dest, const uint8_t* source)
{
    std::size_t n = 0;
    while (n < 31 && source[n] != 0)
        ++n;
    std::memset(dest, 0, 32);
    std::memcpy(dest, source, n);
}

bool CopyWideName(char16_t* dest, const uint8_t* source, std::size_t units)
{
    const std::size_t limit = std::min<std::size_t>(units, kMaxWideName + 1);
    for (std::size_t i = 0; i < limit; ++i) {
        const char16_t c = Get<char16_t>(source, i * 2);
        if (c == u'\0') {
            std::fill(dest + i, dest + kMaxWideName + 1, u'\0');
            return true;
        }
        dest[i] = c;
    }
    std::fill(dest, dest + kMaxWideName + 1, u'\0');
    return false;
}

SGameParam ReadGameParam(const uint8_t* at)
{
    SGameParam game {};
    GameParamFields(game, FieldReader { at });
    return game;
}

void WriteGameParam(uint8_t* at, const SGameParam& game)
{
    std::memset(at, 0, GameParam::kSize);
    GameParamFields(game, FieldWriter { at });
}

SPlayerInfo ReadPlayerInfo(const uint8_t* at)
{
    SPlayerInfo info {};
    PlayerInfoFields(info, FieldReader { at });
    return info;
}

void WritePlayerInfo(uint8_t* at, const SPlayerInfo& info)
{
    PlayerInfoFields(info, FieldWriter { at });
}

uint32_t EncodeRequest(uint8_t* dest, std::size_t capacity, uint32_t type)
{
    return BeginSystem(dest, capacity, type, 12) ? 12 : 0;
}

uint32_t EncodeCreateGame(uint8_t* dest, std::size_t capacity, const char* name)
{
    if (!BeginSystem(dest, capacity, NETSYS_CREATEGAME, System::kGameSize))
        return 0;
    PutName32(dest + System::kGameName, name);
    return System::kGameSize;
}

uint32_t EncodeGameRequest(uint8_t* dest, std::size_t capacity, uint32_t type, uint32_t gameId)
{
    const uint32_t size = type == NETSYS_GETGAMEPARAM ? 16 : System::kGameSize;
    if (!BeginSystem(dest, capacity, type, size))
        return 0;
    Put<uint32_t>(dest, System::kPayload, gameId);
    return size;
}

uint32_t EncodeSyncTime(uint8_t* dest, std::size_t capacity, double clock)
{
    if (!BeginSystem(dest, capacity, NETSYS_SYNCTIME, 20))
        return 0;
    Put<double>(dest, System::kPayload, clock);
    return 20;
}

uint32_t EncodeSetPlayerName(uint8_t* dest, std::size_t capacity, const char16_t* name)
{
    const std::size_t n = WideLength(name);
    const uint32_t size = static_cast<uint32_t>(System::kPayload + (n + 1) * 2);
    if (!BeginSystem(dest, capacity, NETSYS_SETPLAYERNAME, size))
        return 0;
    for (std::size_t i = 0; i < n; ++i)
        Put<char16_t>(dest, System::kPayload + i * 2, name[i]);
    return size;
}

uint32_t EncodeSetPlayerInfo(uint8_t* dest, std::size_t capacity, const SPlayerInfo& info)
{
    if (!BeginSystem(dest, capacity, NETSYS_SETPLAYERINFO, 56))
        return 0;
    WritePlayerInfo(dest + System::kPayload, info);
    return 56;
}

uint32_t EncodeKillReport(uint8_t* dest, std::size_t capacity, uint32_t killer)
{
    if (!BeginSystem(dest, capacity, NETSYS_KILLREPORT, 16))
        return 0;
    Put<uint32_t>(dest, System::kPayload, killer);
    return 16;
}

uint32_t EncodeObjectHeader(uint8_t* dest, std::size_t capacity, const SNetObjectHeader& header)
{
    if (dest == nullptr || capacity < ObjectHeader::kSize)
        return 0;
    std::memset(dest, 0, ObjectHeader::kSize);
    Put<uint32_t>(dest, ObjectHeader::kKind, NETMSG_OBJECTS);
    ObjectHeaderFields(header, FieldWriter { dest });
    return ObjectHeader::kSize;
}

uint32_t EncodeRecordHead(uint8_t* dest, std::size_t capacity, const SNetObjectRecord& record)
{
    if (dest == nullptr || capacity < Record::kBaseSize)
        return 0;
    RecordHeadFields(record, FieldWriter { dest });
    return Record::kBaseSize;
}

uint32_t EncodeHitRecord(uint8_t* dest, std::size_t capacity, const SHitRecord& hit)
{
    if (dest == nullptr || capacity < Hit::kSize)
        return 0;
    std::memset(dest, 0, Hit::kSize);
    dest[Record::kKind] = Record::kHit;
    Put<uint16_t>(dest, Record::kLength, static_cast<uint16_t>(Hit::kSize));
    HitFields(hit, FieldWriter { dest });
    return Hit::kSize;
}

uint32_t EncodeGameList(uint8_t* dest, std::size_t capacity, const SGameParam* games, uint32_t count)
{
    return EncodeList(dest, capacity, NETREPLY_GAMELIST, games, count, GameParam::kSize, WriteGameParam);
}

uint32_t EncodeSyncTimeReply(uint8_t* dest, std::size_t capacity, double echo, double difference)
{
    if (!BeginReply(dest, capacity, NETREPLY_SYNCTIME, Reply::kFixedSize))
        return 0;
    Put<double>(dest, Reply::kSyncEcho, echo);
    Put<double>(dest, Reply::kSyncDifference, difference);
    return Reply::kFixedSize;
}

uint32_t EncodePlayerReply(uint8_t* dest, std::size_t capacity, uint32_t id, uint32_t playerId)
{
    if (!BeginReply(dest, capacity, id, Reply::kFixedSize))
        return 0;
    Put<uint32_t>(dest, Reply::kValue, playerId);
    return Reply::kFixedSize;
}

uint32_t EncodeGameCreated(uint8_t* dest, std::size_t capacity, const SGameParam& game)
{
    if (!BeginReply(dest, capacity, NETREPLY_GAMECREATED, Reply::kCreatedSize))
        return 0;
    Put<uint32_t>(dest, Reply::kCreatedOne, 1);
    WriteGameParam(dest + Reply::kCreatedGame, game);
    return Reply::kCreatedSize;
}

uint32_t EncodeObjects(
    uint8_t* dest, std::size_t capacity, uint32_t count, const uint8_t* records, uint32_t bytes)
{
    const std::size_t size = Reply::kObjectsRecords + std::size_t(bytes);
    if (!BeginReply(dest, capacity, NETREPLY_OBJECTS, Reply::kObjectsRecords) || capacity < size)
        return 0;
    Put<uint32_t>(dest, Reply::kObjectsCount, count);
    Put<uint32_t>(dest, Reply::kObjectsBytes, bytes);
    if (bytes)
        std::memcpy(dest + Reply::kObjectsRecords, records, bytes);
    return static_cast<uint32_t>(size);
}

uint32_t EncodePlayerList(uint8_t* dest, std::size_t capacity, const SPlayerInfo* players, uint32_t count)
{
    return EncodeList(
        dest, capacity, NETREPLY_PLAYERLIST, players, count, PlayerInfo::kSize, WritePlayerInfo);
}

uint32_t EncodeKilled(uint8_t* dest, std::size_t capacity, uint32_t killer, uint32_t victim)
{
    if (!BeginReply(dest, capacity, NETREPLY_KILLED, Reply::kKilledSize))
        return 0;
    Put<uint32_t>(dest, Reply::kKiller, killer);
    Put<uint32_t>(dest, Reply::kVictim, victim);
    return Reply::kKilledSize;
}

Status DecodeRequest(const uint8_t* message, std::size_t length, SRequest& out)
{
    out = SRequest {};
    if (length < System::kPayload)
        return Status::Short;
    if (Get<uint32_t>(message, System::kKind) != NETMSG_SYSTEM)
        return Status::UnknownKind;
    const uint32_t type = Get<uint32_t>(message, System::kType);
    const uint32_t size = Get<uint32_t>(message, System::kSize);
    if (type < NETSYS_CREATEGAME || type > NETSYS_KILLREPORT)
        return Status::UnknownKind;
    if (size != length)
        return Status::SizeMismatch;
    if (size < kRequestSize[type])
        return Status::Short;
    out.type = type;
    out.size = size;
    const uint8_t* payload = message + System::kPayload;
    switch (type) {
    case NETSYS_CREATEGAME:
        CopyName32(out.gameName, message + System::kGameName);
        if (!IsPlainGameName(reinterpret_cast<const char*>(message + System::kGameName)))
            return Status::BadName;
        break;
    case NETSYS_JOIN:
    case NETSYS_LEAVE:
    case NETSYS_STARTGAME:
    case NETSYS_GETGAMEPARAM:
        out.gameId = Get<uint32_t>(payload, 0);
        break;
    case NETSYS_SYNCTIME:
        out.clock = Get<double>(payload, 0);
        break;
    case NETSYS_SETPLAYERNAME:
        if (!CopyWideName(out.playerName, payload, (size - System::kPayload) / 2))
            return Status::BadName;
        break;
    case NETSYS_SETPLAYERINFO:
        out.info = ReadPlayerInfo(payload);
        break;
    case NETSYS_KILLREPORT:
        out.killer = Get<uint32_t>(payload, 0);
        break;
    default:
        break;
    }
    return Status::Ok;
}

Status DecodeObjectHeader(const uint8_t* message, std::size_t length, SNetObjectHeader& out)
{
    out = SNetObjectHeader {};
    if (length < ObjectHeader::kSize)
        return Status::Short;
    if (Get<uint32_t>(message, ObjectHeader::kKind) != NETMSG_OBJECTS)
        return Status::UnknownKind;
    ObjectHeaderFields(out, FieldReader { message });
    return Status::Ok;
}

SNetObjectRecord ReadRecordHead(const uint8_t* record)
{
    SNetObjectRecord head;
    RecordHeadFields(head, FieldReader { record });
    return head;
}

SHitRecord ReadHitRecord(const uint8_t* record)
{
    SHitRecord hit;
    HitFields(hit, FieldReader { record });
    return hit;
}

Status DecodeReply(const uint8_t* message, std::size_t length, SReply& out)
{
    out = SReply {};
    if (length < 4)
        return Status::Short;
    const uint32_t id = Get<uint32_t>(message, Reply::kId);
    if (id < NETREPLY_GAMELIST || id > NETREPLY_KILLED)
        return Status::UnknownKind;
    if (length < kReplySize[id])
        return Status::Short;
    out.id = id;
    switch (id) {
    case NETREPLY_GAMELIST:
    case NETREPLY_PLAYERLIST: {
        const std::size_t itemSize = id == NETREPLY_GAMELIST ? GameParam::kSize : PlayerInfo::kSize;
        const uint32_t count = Get<uint32_t>(message, Reply::kListCount);
        if (count > (length - Reply::kListItems) / itemSize)
            return Status::BadCount;
        out.count = count;
        out.items = message + Reply::kListItems;
        out.itemBytes = length - Reply::kListItems;
        break;
    }
    case NETREPLY_SYNCTIME:
        out.echo = Get<double>(message, Reply::kSyncEcho);
        out.difference = Get<double>(message, Reply::kSyncDifference);
        break;
    case NETREPLY_WELCOME:
    case NETREPLY_PLAYERJOINED:
    case NETREPLY_PLAYERLEFT:
    case NETREPLY_STARTED:
        out.playerId = Get<uint32_t>(message, Reply::kValue);
        break;
    case NETREPLY_GAMECREATED:
        out.game = ReadGameParam(message + Reply::kCreatedGame);
        if (!IsPlainGameName(reinterpret_cast<const char*>(message + Reply::kCreatedGame + GameParam::kName)))
            return Status::BadName;
        break;
    case NETREPLY_OBJECTS:
        out.count = Get<uint32_t>(message, Reply::kObjectsCount);
        out.recordBytes = Get<uint32_t>(message, Reply::kObjectsBytes);
        out.items = message + Reply::kObjectsRecords;
        out.itemBytes = length - Reply::kObjectsRecords;
        break;
    case NETREPLY_KILLED:
        out.killer = Get<uint32_t>(message, Reply::kKiller);
        out.victim = Get<uint32_t>(message, Reply::kVictim);
        break;
    default:
        break;
    }
    return Status::Ok;
}

} // namespace NetWire
