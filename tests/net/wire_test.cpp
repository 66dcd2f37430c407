// Wire protocol: every request and reply survives encode and decode; every malformed form is refused.
#include "net/wire/NetWire.h"
#include "tests/net/wire_fixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

using namespace NetWire;

namespace {

using Bytes = std::vector<uint8_t>;

using wiretest::Encoded;
using wiretest::Game;

SPlayerInfo Player(uint32_t id, int32_t kills, const char* name)
{
    SPlayerInfo info {};
    info.id = id;
    info.kills = kills;
    info.rating = 0x3F800000;
    std::strncpy(info.name, name, sizeof info.name - 1);
    return info;
}

struct RequestCase {
    const char* name;
    uint32_t type;
    uint32_t size;
    std::function<uint32_t(uint8_t*, std::size_t)> encode;
    std::function<void(const SRequest&)> check;
};

const std::u16string kWideName = u"Игрок";

std::vector<RequestCase> RequestCases()
{
    return {
        { "create", NETSYS_CREATEGAME, 148,
            [](uint8_t* d, std::size_t c) { return EncodeCreateGame(d, c, "arena.zjp"); },
            [](const SRequest& r) { EXPECT_STREQ(r.gameName, "arena.zjp"); } },
        { "game list", NETSYS_GETGAMELIST, 12,
            [](uint8_t* d, std::size_t c) { return EncodeRequest(d, c, NETSYS_GETGAMELIST); },
            [](const SRequest&) {} },
        { "join", NETSYS_JOIN, 148,
            [](uint8_t* d, std::size_t c) { return EncodeGameRequest(d, c, NETSYS_JOIN, 7); },
            [](const SRequest& r) { EXPECT_EQ(r.gameId, 7u); } },
        { "leave", NETSYS_LEAVE, 148,
            [](uint8_t* d, std::size_t c) { return EncodeGameRequest(d, c, NETSYS_LEAVE, 8); },
            [](const SRequest& r) { EXPECT_EQ(r.gameId, 8u); } },
        { "start", NETSYS_STARTGAME, 148,
            [](uint8_t* d, std::size_t c) { return EncodeGameRequest(d, c, NETSYS_STARTGAME, 9); },
            [](const SRequest& r) { EXPECT_EQ(r.gameId, 9u); } },
        { "sync", NETSYS_SYNCTIME, 20, [](uint8_t* d, std::size_t c) { return EncodeSyncTime(d, c, 12.25); },
            [](const SRequest& r) { EXPECT_EQ(r.clock, 12.25); } },
        { "game param", NETSYS_GETGAMEPARAM, 16,
            [](uint8_t* d, std::size_t c) { return EncodeGameRequest(d, c, NETSYS_GETGAMEPARAM, 3); },
            [](const SRequest& r) { EXPECT_EQ(r.gameId, 3u); } },
        { "active", NETSYS_SETACTIVE, 12,
            [](uint8_t* d, std::size_t c) { return EncodeRequest(d, c, NETSYS_SETACTIVE); },
            [](const SRequest&) {} },
        { "inactive", NETSYS_SETINACTIVE, 12,
            [](uint8_t* d, std::size_t c) { return EncodeRequest(d, c, NETSYS_SETINACTIVE); },
            [](const SRequest&) {} },
        { "player name", NETSYS_SETPLAYERNAME, 12 + 2 * 6,
            [](uint8_t* d, std::size_t c) { return EncodeSetPlayerName(d, c, kWideName.c_str()); },
            [](const SRequest& r) { EXPECT_EQ(std::u16string(r.playerName), kWideName); } },
        { "player list", NETSYS_GETPLAYERLIST, 12,
            [](uint8_t* d, std::size_t c) { return EncodeRequest(d, c, NETSYS_GETPLAYERLIST); },
            [](const SRequest&) {} },
        { "player info", NETSYS_SETPLAYERINFO, 56,
            [](uint8_t* d, std::size_t c) { return EncodeSetPlayerInfo(d, c, Player(0x200000, -3, "Bob")); },
            [](const SRequest& r) {
                EXPECT_EQ(r.info.id, 0x200000u);
                EXPECT_EQ(r.info.kills, -3);
                EXPECT_EQ(r.info.rating, 0x3F800000u);
                EXPECT_STREQ(r.info.name, "Bob");
            } },
        { "kill", NETSYS_KILLREPORT, 16,
            [](uint8_t* d, std::size_t c) { return EncodeKillReport(d, c, 0x300000); },
            [](const SRequest& r) { EXPECT_EQ(r.killer, 0x300000u); } },
    };
}

TEST(WireRequests, EveryTypeRoundTripsWithItsSize)
{
    for (const RequestCase& row : RequestCases()) {
        SCOPED_TRACE(row.name);
        const Bytes message = Encoded(row.encode);
        ASSERT_EQ(message.size(), row.size);
        EXPECT_EQ(Get<uint32_t>(message.data(), System::kSize), row.size);
        SRequest request;
        ASSERT_EQ(DecodeRequest(message.data(), message.size(), request), Status::Ok);
        EXPECT_EQ(request.type, row.type);
        row.check(request);
    }
}

TEST(WireRequests, EncodersRefuseTooSmallBuffers)
{
    for (const RequestCase& row : RequestCases()) {
        SCOPED_TRACE(row.name);
        Bytes bytes(row.size - 1);
        EXPECT_EQ(row.encode(bytes.data(), bytes.size()), 0u);
    }
}

TEST(WireRequests, MalformedRequestsAreRefused)
{
    for (const RequestCase& row : RequestCases()) {
        SCOPED_TRACE(row.name);
        Bytes message = Encoded(row.encode);
        SRequest request;
        // One byte short, with a size field that agrees.
        Bytes shorter(message.begin(), message.end() - 1);
        if (shorter.size() >= System::kPayload)
            Put<uint32_t>(shorter.data(), System::kSize, static_cast<uint32_t>(shorter.size()));
        EXPECT_EQ(DecodeRequest(shorter.data(), shorter.size(), request),
            row.type == NETSYS_SETPLAYERNAME ? Status::BadName : Status::Short);
        // A size field that is not the length.
        Put<uint32_t>(message.data(), System::kSize, row.size + 1);
        EXPECT_EQ(DecodeRequest(message.data(), message.size(), request), Status::SizeMismatch);
    }
    const uint8_t tiny[11] = { 2 };
    SRequest request;
    EXPECT_EQ(DecodeRequest(tiny, sizeof tiny, request), Status::Short);
}

TEST(WireRequests, UnknownKindsAndTypesAreRefused)
{
    Bytes message
        = Encoded([](uint8_t* d, std::size_t c) { return EncodeRequest(d, c, NETSYS_GETGAMELIST); });
    SRequest request;
    for (uint32_t type : { 0u, 14u, 0xFFFFFFFFu }) {
        Put<uint32_t>(message.data(), System::kType, type);
        EXPECT_EQ(DecodeRequest(message.data(), message.size(), request), Status::UnknownKind) << type;
    }
    Put<uint32_t>(message.data(), System::kType, NETSYS_GETGAMELIST);
    Put<uint32_t>(message.data(), System::kKind, NETMSG_OBJECTS);
    EXPECT_EQ(DecodeRequest(message.data(), message.size(), request), Status::UnknownKind);
}

TEST(WireRequests, GameParamRequestMayBeLongerThanSixteen)
{
    Bytes message
        = Encoded([](uint8_t* d, std::size_t c) { return EncodeGameRequest(d, c, NETSYS_JOIN, 4); });
    Put<uint32_t>(message.data(), System::kType, NETSYS_GETGAMEPARAM);
    SRequest request;
    ASSERT_EQ(DecodeRequest(message.data(), message.size(), request), Status::Ok);
    EXPECT_EQ(request.gameId, 4u);
}

TEST(WireRequests, PlayerNameNeedsATerminatorWithin64Units)
{
    Bytes message(12 + 2 * 64);
    Put<uint32_t>(message.data(), System::kKind, NETMSG_SYSTEM);
    Put<uint32_t>(message.data(), System::kType, NETSYS_SETPLAYERNAME);
    Put<uint32_t>(message.data(), System::kSize, static_cast<uint32_t>(message.size()));
    for (int i = 0; i < 64; ++i)
        Put<char16_t>(message.data(), 12 + 2 * std::size_t(i), u'a');
    SRequest request;
    EXPECT_EQ(DecodeRequest(message.data(), message.size(), request), Status::BadName);
    Put<char16_t>(message.data(), 12 + 2 * 63, u'\0');
    ASSERT_EQ(DecodeRequest(message.data(), message.size(), request), Status::Ok);
    EXPECT_EQ(std::u16string(request.playerName).size(), 63u);
    // Terminator only past the 64th unit.
    Bytes longer(12 + 2 * 65);
    std::memcpy(longer.data(), message.data(), message.size());
    Put<char16_t>(longer.data(), 12 + 2 * 63, u'a');
    Put<uint32_t>(longer.data(), System::kSize, static_cast<uint32_t>(longer.size()));
    EXPECT_EQ(DecodeRequest(longer.data(), longer.size(), request), Status::BadName);
}

TEST(WireRequests, EncodedNamesAreCut)
{
    const std::string longName(40, 'x');
    Bytes message
        = Encoded([&](uint8_t* d, std::size_t c) { return EncodeCreateGame(d, c, longName.c_str()); });
    SRequest request;
    ASSERT_EQ(DecodeRequest(message.data(), message.size(), request), Status::Ok);
    EXPECT_EQ(std::string(request.gameName), std::string(31, 'x'));

    const std::u16string wide(80, u'y');
    message = Encoded([&](uint8_t* d, std::size_t c) { return EncodeSetPlayerName(d, c, wide.c_str()); });
    EXPECT_EQ(message.size(), 12u + 2 * 64);
    ASSERT_EQ(DecodeRequest(message.data(), message.size(), request), Status::Ok);
    EXPECT_EQ(std::u16string(request.playerName), std::u16string(63, u'y'));
}

TEST(WireNames, GameNamesMustBePlainFileNames)
{
    struct Row {
        const char* text;
        bool plain;
    };
    const Row rows[] = {
        { "location1.zjp", true },
        { "Арена.zjp", true }, // UTF-8 bytes stand for any byte above 0x7F
        { "a", true },
        { "../x", false },
        { "a\\b", false },
        { "a/b", false },
        { "c:x", false },
        { "", false },
        { ".", false },
        { "..", false },
        { "a\tb", false },
    };
    for (const Row& row : rows) {
        char name[32] = {};
        std::strncpy(name, row.text, 31);
        EXPECT_EQ(IsPlainGameName(name), row.plain) << row.text;
    }
    char full[32];
    std::memset(full, 'a', sizeof full);
    EXPECT_FALSE(IsPlainGameName(full));
    full[31] = '\0';
    EXPECT_TRUE(IsPlainGameName(full));
}

TEST(WireNames, UnsafeCreateNamesAreRefused)
{
    for (const char* name : { "../x", "a\\b", "" }) {
        Bytes message = Encoded([&](uint8_t* d, std::size_t c) { return EncodeCreateGame(d, c, name); });
        SRequest request;
        EXPECT_EQ(DecodeRequest(message.data(), message.size(), request), Status::BadName) << name;
    }
    Bytes message = Encoded([](uint8_t* d, std::size_t c) { return EncodeCreateGame(d, c, "x"); });
    std::memset(message.data() + System::kGameName, 'a', 32);
    SRequest request;
    EXPECT_EQ(DecodeRequest(message.data(), message.size(), request), Status::BadName);
}

TEST(WireNames, PlayerNamesAreCutAt31)
{
    uint8_t raw[44] = {};
    std::memset(raw + PlayerInfo::kName, 'n', 32);
    const SPlayerInfo info = ReadPlayerInfo(raw);
    EXPECT_EQ(std::string(info.name), std::string(31, 'n'));
}

struct ReplyCase {
    const char* name;
    uint32_t id;
    uint32_t size;
    std::function<uint32_t(uint8_t*, std::size_t)> encode;
    std::function<void(const SReply&)> check;
};

const SGameParam kGames[2] = { Game(1, "location1.zjp", 2), Game(2, "arena.zjp", 1) };
const SPlayerInfo kPlayers[3]
    = { Player(0x100000, 1, "Anna"), Player(0x200000, -1, "Boris"), Player(0x300000, 0, "Vera") };
const uint8_t kRecords[35] = { 1, 0, 16, 0 };

std::vector<ReplyCase> ReplyCases()
{
    return {
        { "game list", NETREPLY_GAMELIST, 8 + 2 * 136,
            [](uint8_t* d, std::size_t c) { return EncodeGameList(d, c, kGames, 2); },
            [](const SReply& r) {
                ASSERT_EQ(r.count, 2u);
                const SGameParam second = ReadGameParam(r.items + 136);
                EXPECT_EQ(second.id, 2u);
                EXPECT_STREQ(second.name, "arena.zjp");
                EXPECT_EQ(second.players, 1u);
            } },
        { "empty game list", NETREPLY_GAMELIST, 8,
            [](uint8_t* d, std::size_t c) { return EncodeGameList(d, c, nullptr, 0); },
            [](const SReply& r) { EXPECT_EQ(r.count, 0u); } },
        { "sync", NETREPLY_SYNCTIME, 48,
            [](uint8_t* d, std::size_t c) { return EncodeSyncTimeReply(d, c, 10.5, -0.25); },
            [](const SReply& r) {
                EXPECT_EQ(r.echo, 10.5);
                EXPECT_EQ(r.difference, -0.25);
            } },
        { "welcome", NETREPLY_WELCOME, 48,
            [](uint8_t* d, std::size_t c) { return EncodePlayerReply(d, c, NETREPLY_WELCOME, 0x100000); },
            [](const SReply& r) { EXPECT_EQ(r.playerId, 0x100000u); } },
        { "created", NETREPLY_GAMECREATED, 144,
            [](uint8_t* d, std::size_t c) { return EncodeGameCreated(d, c, kGames[0]); },
            [](const SReply& r) {
                EXPECT_EQ(r.game.id, 1u);
                EXPECT_STREQ(r.game.name, "location1.zjp");
            } },
        { "objects", NETREPLY_OBJECTS, 12 + 35,
            [](uint8_t* d, std::size_t c) { return EncodeObjects(d, c, 1, kRecords, sizeof kRecords); },
            [](const SReply& r) {
                EXPECT_EQ(r.count, 1u);
                EXPECT_EQ(r.recordBytes, 35u);
                EXPECT_EQ(r.itemBytes, 35u);
                EXPECT_EQ(r.items[2], 16);
            } },
        { "joined", NETREPLY_PLAYERJOINED, 48,
            [](uint8_t* d, std::size_t c) {
                return EncodePlayerReply(d, c, NETREPLY_PLAYERJOINED, 0x200000);
            },
            [](const SReply& r) { EXPECT_EQ(r.playerId, 0x200000u); } },
        { "left", NETREPLY_PLAYERLEFT, 48,
            [](uint8_t* d, std::size_t c) { return EncodePlayerReply(d, c, NETREPLY_PLAYERLEFT, 0x300000); },
            [](const SReply& r) { EXPECT_EQ(r.playerId, 0x300000u); } },
        { "started", NETREPLY_STARTED, 48,
            [](uint8_t* d, std::size_t c) { return EncodePlayerReply(d, c, NETREPLY_STARTED, 0x400000); },
            [](const SReply& r) { EXPECT_EQ(r.playerId, 0x400000u); } },
        { "player list", NETREPLY_PLAYERLIST, 8 + 3 * 44,
            [](uint8_t* d, std::size_t c) { return EncodePlayerList(d, c, kPlayers, 3); },
            [](const SReply& r) {
                ASSERT_EQ(r.count, 3u);
                const SPlayerInfo second = ReadPlayerInfo(r.items + 44);
                EXPECT_EQ(second.id, 0x200000u);
                EXPECT_EQ(second.kills, -1);
                EXPECT_STREQ(second.name, "Boris");
            } },
        { "killed", NETREPLY_KILLED, 12,
            [](uint8_t* d, std::size_t c) { return EncodeKilled(d, c, 0x100000, 0x200000); },
            [](const SReply& r) {
                EXPECT_EQ(r.killer, 0x100000u);
                EXPECT_EQ(r.victim, 0x200000u);
            } },
    };
}

TEST(WireReplies, EveryIdRoundTripsWithItsSize)
{
    for (const ReplyCase& row : ReplyCases()) {
        SCOPED_TRACE(row.name);
        const Bytes message = Encoded(row.encode);
        ASSERT_EQ(message.size(), row.size);
        SReply reply;
        ASSERT_EQ(DecodeReply(message.data(), message.size(), reply), Status::Ok);
        EXPECT_EQ(reply.id, row.id);
        row.check(reply);
    }
}

TEST(WireReplies, ShortRepliesAreRefused)
{
    for (const ReplyCase& row : ReplyCases()) {
        SCOPED_TRACE(row.name);
        const Bytes message = Encoded(row.encode);
        SReply reply;
        EXPECT_EQ(DecodeReply(message.data(), kReplySize[row.id] - 1, reply), Status::Short);
        // A list one byte short no longer holds its count; records only bound the walk.
        if (row.id != NETREPLY_OBJECTS && message.size() > 8) {
            EXPECT_NE(DecodeReply(message.data(), message.size() - 1, reply), Status::Ok);
        }
    }
}

TEST(WireReplies, ListCountsMustFitTheLength)
{
    for (uint32_t id : { NETREPLY_GAMELIST, NETREPLY_PLAYERLIST }) {
        Bytes message = id == NETREPLY_GAMELIST
            ? Encoded([](uint8_t* d, std::size_t c) { return EncodeGameList(d, c, kGames, 2); })
            : Encoded([](uint8_t* d, std::size_t c) { return EncodePlayerList(d, c, kPlayers, 2); });
        SReply reply;
        for (uint32_t n : { 3u, 0xFFFFFFFFu, 0x80000000u, 0x1E1E1E2u }) {
            Put<uint32_t>(message.data(), Reply::kListCount, n);
            EXPECT_EQ(DecodeReply(message.data(), message.size(), reply), Status::BadCount)
                << id << " n=" << n;
        }
    }
}

TEST(WireReplies, UnknownIdsAndUnsafeCreatedNamesAreRefused)
{
    SReply reply;
    for (uint32_t id : { 0u, 1u, 12u, 0xFFFFFFFFu }) {
        Bytes message(48);
        Put<uint32_t>(message.data(), Reply::kId, id);
        EXPECT_EQ(DecodeReply(message.data(), message.size(), reply), Status::UnknownKind) << id;
    }
    for (const char* name : { "../x", "a\\b", "" }) {
        Bytes message
            = Encoded([&](uint8_t* d, std::size_t c) { return EncodeGameCreated(d, c, Game(1, name, 1)); });
        EXPECT_EQ(DecodeReply(message.data(), message.size(), reply), Status::BadName) << name;
    }
    Bytes message = Encoded([](uint8_t* d, std::size_t c) { return EncodeGameCreated(d, c, kGames[0]); });
    std::memset(message.data() + Reply::kCreatedGame + GameParam::kName, 'a', 32);
    EXPECT_EQ(DecodeReply(message.data(), message.size(), reply), Status::BadName);
}

TEST(WireObjects, HelloHeaderAndRecordsRoundTrip)
{
    SNetObjectHeader header;
    header.viewX = 100.5f;
    header.viewY = -20.0f;
    header.viewDistance = 2560.0f;
    header.time = 1234.5;
    Bytes message = Encoded([&](uint8_t* d, std::size_t c) { return EncodeObjectHeader(d, c, header); });
    ASSERT_EQ(message.size(), 76u);
    SNetObjectHeader decoded;
    ASSERT_EQ(DecodeObjectHeader(message.data(), message.size(), decoded), Status::Ok);
    EXPECT_EQ(decoded.viewX, 100.5f);
    EXPECT_EQ(decoded.viewY, -20.0f);
    EXPECT_EQ(decoded.viewDistance, 2560.0f);
    EXPECT_EQ(decoded.time, 1234.5);
    EXPECT_EQ(decoded.count, 0u);
    EXPECT_EQ(Get<uint32_t>(message.data(), ObjectHeader::kZero), 0u);
    EXPECT_EQ(DecodeObjectHeader(message.data(), 75, decoded), Status::Short);

    SHitRecord hit;
    hit.netId = 0x100005;
    hit.time = 99.25;
    hit.type = 14;
    hit.baseState = 3;
    hit.damage[0] = 12.5f;
    hit.damage[1] = 4.0f;
    hit.mergeKey = 2;
    hit.sender = 0x200000;
    Bytes record = Encoded([&](uint8_t* d, std::size_t c) { return EncodeHitRecord(d, c, hit); });
    ASSERT_EQ(record.size(), 55u);
    EXPECT_EQ(record[Record::kKind], Record::kHit);
    EXPECT_EQ(Get<uint16_t>(record.data(), Record::kLength), 55);
    const SHitRecord back = ReadHitRecord(record.data());
    EXPECT_EQ(back.netId, hit.netId);
    EXPECT_EQ(back.time, hit.time);
    EXPECT_EQ(back.type, hit.type);
    EXPECT_EQ(back.baseState, hit.baseState);
    EXPECT_EQ(back.damage[0], hit.damage[0]);
    EXPECT_EQ(back.damage[1], hit.damage[1]);
    EXPECT_EQ(back.mergeKey, hit.mergeKey);
    EXPECT_EQ(back.sender, hit.sender);

    SNetObjectRecord head;
    head.netId = 0x100001;
    head.time = 5.5;
    head.kind = Record::kForced;
    head.position[2] = 7.0f;
    head.type = 16;
    head.baseState = 0xFFFFFFFF;
    head.length = 125;
    Bytes raw = Encoded([&](uint8_t* d, std::size_t c) { return EncodeRecordHead(d, c, head); });
    ASSERT_EQ(raw.size(), 35u);
    const SNetObjectRecord headBack = ReadRecordHead(raw.data());
    EXPECT_EQ(headBack.netId, head.netId);
    EXPECT_EQ(headBack.kind, head.kind);
    EXPECT_EQ(headBack.position[2], 7.0f);
    EXPECT_EQ(headBack.baseState, head.baseState);
    EXPECT_EQ(headBack.length, 125);
}

// Appends a record of a kind and length to a record stream.
void AppendRecord(Bytes& stream, uint8_t kind, uint16_t length, uint16_t writeLength = 0)
{
    const std::size_t at = stream.size();
    stream.resize(at + length);
    SNetObjectRecord head;
    head.netId = static_cast<uint32_t>(at + 1);
    head.kind = kind;
    head.length = writeLength ? writeLength : length;
    EncodeRecordHead(stream.data() + at, Record::kBaseSize, head);
}

TEST(WireRecords, WalkStopsAtTheFirstBadRecord)
{
    struct Row {
        const char* name;
        uint8_t kind;
        uint16_t length;
        uint16_t writtenLength;
        uint32_t expected;
    };
    const Row rows[] = {
        { "good", Record::kState, 120, 0, 3 },
        { "kind 4", 4, 35, 0, 1 },
        { "length 34", Record::kState, 35, 34, 1 },
        { "length 10001", Record::kState, 10001, 0, 1 },
        { "length 10000", Record::kForced, 10000, 0, 3 },
        { "hit 54", Record::kHit, 54, 0, 1 },
        { "hit 56", Record::kHit, 56, 0, 1 },
        { "hit 55", Record::kHit, 55, 0, 3 },
        { "past the end", Record::kState, 35, 200, 1 },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Bytes stream;
        AppendRecord(stream, Record::kState, 35);
        AppendRecord(stream, row.kind, row.length, row.writtenLength);
        AppendRecord(stream, Record::kFinal, 40);
        std::vector<uint32_t> seen;
        const uint32_t used = WalkRecords(stream.data(), stream.size(), 3,
            static_cast<uint32_t>(stream.size()), [&](const uint8_t* record, uint32_t length) {
                EXPECT_EQ(Get<uint16_t>(record, Record::kLength), length);
                seen.push_back(length);
            });
        EXPECT_EQ(used, row.expected);
        EXPECT_EQ(seen.size(), row.expected);
    }
}

TEST(WireRecords, WalkKeepsToCountAndDeclaredBytes)
{
    Bytes stream;
    for (int i = 0; i < 4; ++i)
        AppendRecord(stream, Record::kState, 50);
    auto walk = [&](uint32_t count, uint32_t declared, std::size_t available) {
        return WalkRecords(stream.data(), available, count, declared, [](const uint8_t*, uint32_t) {});
    };
    EXPECT_EQ(walk(2, 200, 200), 2u);
    EXPECT_EQ(walk(0xFFFFFFFF, 200, 200), 4u);
    EXPECT_EQ(walk(4, 149, 200), 2u);
    EXPECT_EQ(walk(4, 200, 120), 2u);
    EXPECT_EQ(walk(4, 0, 200), 0u);
    EXPECT_EQ(walk(4, 200, 34), 0u);
}

} // namespace
