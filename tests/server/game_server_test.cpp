// CZJDPServer over a fake transport: requests and their replies, the merge of pending records,
// the relay's flush rules (on arrival and when idle), game membership, player ids and malformed input.
#include "server/CZJDPServer.h"

#include "net/NetSession.h"
#include "tests/net/wire_fixture.h"
#include "tests/server/fake_server.h"
#include "tests/support/error_log_test.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

using zoq::test::ErrorLogTest;

namespace {

using Bytes = std::vector<uint8_t>;
using plat::net::MessageId;

// The server with a clock the test sets.
class TestServer : public CZJDPServer {
public:
    using CZJDPServer::CZJDPServer;
    double clock = 1.0;

protected:
    double TakeTime() override { return clock; }
};

constexpr uint32_t A = 2, B = 3, C = 4; // transport ids
constexpr uint32_t IA = 0x100000, IB = 0x200000, IC = 0x300000; // their server ids

using wiretest::Encoded;
using wiretest::Game;

Bytes Create(const char* name)
{
    return Encoded([&](uint8_t* d, std::size_t c) { return NetWire::EncodeCreateGame(d, c, name); });
}
Bytes GameRequest(uint32_t type, uint32_t id)
{
    return Encoded([&](uint8_t* d, std::size_t c) { return NetWire::EncodeGameRequest(d, c, type, id); });
}
Bytes Request(uint32_t type)
{
    return Encoded([&](uint8_t* d, std::size_t c) { return NetWire::EncodeRequest(d, c, type); });
}
Bytes Sync(double clock)
{
    return Encoded([&](uint8_t* d, std::size_t c) { return NetWire::EncodeSyncTime(d, c, clock); });
}
Bytes Kill(uint32_t killer)
{
    return Encoded([&](uint8_t* d, std::size_t c) { return NetWire::EncodeKillReport(d, c, killer); });
}
Bytes Info(const SPlayerInfo& info)
{
    return Encoded([&](uint8_t* d, std::size_t c) { return NetWire::EncodeSetPlayerInfo(d, c, info); });
}

SPlayerInfo Player(uint32_t id, int32_t kills = 0, uint32_t rating = 0, const char* name = "")
{
    SPlayerInfo info {};
    info.id = id;
    info.kills = kills;
    info.rating = rating;
    std::strncpy(info.name, name, sizeof info.name - 1);
    return info;
}

Bytes PlayerReply(uint32_t id, uint32_t playerId)
{
    return Encoded([&](uint8_t* d, std::size_t c) { return NetWire::EncodePlayerReply(d, c, id, playerId); });
}
Bytes GameList(std::vector<SGameParam> games)
{
    return Encoded([&](uint8_t* d, std::size_t c) {
        return NetWire::EncodeGameList(d, c, games.data(), static_cast<uint32_t>(games.size()));
    });
}
Bytes PlayerList(std::vector<SPlayerInfo> players)
{
    return Encoded([&](uint8_t* d, std::size_t c) {
        return NetWire::EncodePlayerList(d, c, players.data(), static_cast<uint32_t>(players.size()));
    });
}

// A state record of `length` bytes whose body is filled with `fill`.
Bytes State(uint32_t netId, double time, uint8_t kind = NetWire::Record::kState, uint16_t length = 35,
    uint8_t fill = 0x5A)
{
    Bytes record(length, fill);
    NetWire::SNetObjectRecord head;
    head.netId = netId;
    head.time = time;
    head.kind = kind;
    head.length = length;
    NetWire::EncodeRecordHead(record.data(), record.size(), head);
    return record;
}
Bytes HitRecord(uint32_t netId, double time, float d0, float d1, uint32_t mergeKey, uint32_t sender)
{
    NetWire::SHitRecord hit;
    hit.netId = netId;
    hit.time = time;
    hit.damage[0] = d0;
    hit.damage[1] = d1;
    hit.mergeKey = mergeKey;
    hit.sender = sender;
    return Encoded([&](uint8_t* d, std::size_t c) { return NetWire::EncodeHitRecord(d, c, hit); });
}
// An object message carrying the records.
Bytes Objects(const std::vector<Bytes>& records, uint8_t stateFill = 0)
{
    Bytes message(NetWire::ObjectHeader::kSize);
    NetWire::SNetObjectHeader header;
    header.count = static_cast<uint32_t>(records.size());
    for (const Bytes& r : records)
        header.bytes += static_cast<uint32_t>(r.size());
    NetWire::EncodeObjectHeader(message.data(), message.size(), header);
    for (std::size_t i = 4; i < 4 + SPlayerParam::kPlayerStateSize && stateFill != 0; ++i)
        message[i] = static_cast<uint8_t>(stateFill + i);
    for (const Bytes& r : records)
        message.insert(message.end(), r.begin(), r.end());
    return message;
}

class GameServerTest : public ErrorLogTest {
protected:
    void SetUp() override
    {
        ErrorLogTest::SetUp();
        ASSERT_TRUE(server.Init(kZJApplicationGuid));
        ASSERT_NE(fake, nullptr);
    }

    void Connect(uint32_t dpnid, const std::u16string& name = u"PLAYER")
    {
        fake->names[dpnid] = name;
        plat::net::CreatePlayerMessage created;
        created.player = dpnid;
        fake->handler(MessageId::CreatePlayer, &created);
        plat::net::ClientInfoMessage info;
        info.player = dpnid;
        fake->handler(MessageId::ClientInfo, &info);
        server.ProcessMessages();
    }
    void Send(uint32_t dpnid, const Bytes& payload)
    {
        plat::net::ReceiveMessage message;
        message.sender = dpnid;
        message.data = payload.data();
        message.dataSize = static_cast<uint32_t>(payload.size());
        fake->handler(MessageId::Receive, &message);
        server.ProcessMessages();
    }
    void Drop(uint32_t dpnid)
    {
        plat::net::DestroyPlayerMessage message;
        message.player = dpnid;
        fake->handler(MessageId::DestroyPlayer, &message);
        fake->names.erase(dpnid);
        server.ProcessMessages();
    }
    SPlayerParam& Record(uint32_t dpnid) { return server.players.At(server.FindPlayer(dpnid)); }
    std::vector<FakeServer::Sent> TakeSent()
    {
        std::vector<FakeServer::Sent> sent = std::move(fake->sent);
        fake->sent.clear();
        return sent;
    }
    // The three players A, B and C, connected in that order; the welcomes are taken.
    void ConnectThree()
    {
        Connect(A);
        Connect(B);
        Connect(C);
        TakeSent();
    }

    FakeServer* fake = nullptr;
    TestServer server { FakeServerFactory(fake) };
};

// ---- requests and their replies ----

struct Sent {
    uint32_t to;
    Bytes bytes;
};

struct RequestCase {
    const char* name;
    std::vector<std::pair<uint32_t, Bytes>> setup; // requests sent first, their replies ignored
    uint32_t sender;
    Bytes request;
    std::vector<Sent> replies; // in order
    int gamePlayers; // game 1's count afterwards; -1: no game
    uint32_t senderGame;
    int32_t senderKills = 0;
};

std::vector<RequestCase> RequestCases()
{
    const Bytes create = Create("arena.zjp");
    const Bytes active = Request(NETSYS_SETACTIVE);
    return {
        { "CreateAnswersTheCreator", {}, A, create, { { A, Encoded([](uint8_t* d, std::size_t c) {
                                                           return NetWire::EncodeGameCreated(
                                                               d, c, Game(1, "arena.zjp", 1));
                                                       }) } },
            1, 1 },
        { "CreateWhileAGameExistsGetsNothing", { { A, create } }, B, Create("other.zjp"), {}, 1, 0 },
        { "CreateWithAnUnsafeNameGetsNothing", {}, A, Create("../x"), {}, -1, 0 },
        { "JoinIsToldToEveryOtherMemberActiveOrNot", { { A, create }, { C, GameRequest(NETSYS_JOIN, 1) } }, B,
            GameRequest(NETSYS_JOIN, 1),
            { { A, PlayerReply(NETREPLY_PLAYERJOINED, IB) }, { B, PlayerReply(NETREPLY_STARTED, IB) },
                { C, PlayerReply(NETREPLY_PLAYERJOINED, IB) } },
            3, 1 },
        { "JoinByAMemberAnswersTheSenderAlone", { { A, create }, { B, GameRequest(NETSYS_JOIN, 1) } }, B,
            GameRequest(NETSYS_JOIN, 1), { { B, PlayerReply(NETREPLY_STARTED, IB) } }, 2, 1 },
        { "JoinIntoAMissingGameGetsNothing", { { A, create } }, B, GameRequest(NETSYS_JOIN, 7), {}, 1, 0 },
        { "JoinWithNoGameGetsNothing", {}, B, GameRequest(NETSYS_JOIN, 1), {}, -1, 0 },
        { "LeaveIsToldToTheOtherActiveMembersOnly",
            { { A, create }, { B, GameRequest(NETSYS_JOIN, 1) }, { C, GameRequest(NETSYS_JOIN, 1) },
                { A, active }, { B, active } },
            B, GameRequest(NETSYS_LEAVE, 1), { { A, PlayerReply(NETREPLY_PLAYERLEFT, IB) } }, 2, 0 },
        { "TheLastLeaveDeletesTheGame", { { A, create } }, A, GameRequest(NETSYS_LEAVE, 1), {}, -1, 0 },
        { "StartMovesTheSenderIntoTheGame", { { A, create } }, B, GameRequest(NETSYS_STARTGAME, 1),
            { { B, PlayerReply(NETREPLY_STARTED, IB) } }, 2, 1 },
        { "StartOfAMissingGameGetsNothing", { { A, create } }, B, GameRequest(NETSYS_STARTGAME, 2), {}, 1,
            0 },
        { "TimeIsEchoedWithTheDifference", {}, B, Sync(0.25), { { B, Encoded([](uint8_t* d, std::size_t c) {
                                                                     return NetWire::EncodeSyncTimeReply(
                                                                         d, c, 0.25, 0.75);
                                                                 }) } },
            -1, 0 },
        { "GameRecordOfTheGame", { { A, create } }, B, GameRequest(NETSYS_GETGAMEPARAM, 1),
            { { B, GameList({ Game(1, "arena.zjp", 1) }) } }, 1, 0 },
        { "GameRecordOfAnotherIdGetsNothing", { { A, create } }, B, GameRequest(NETSYS_GETGAMEPARAM, 2), {},
            1, 0 },
        { "GameListWithTheGame", { { A, create } }, B, Request(NETSYS_GETGAMELIST),
            { { B, GameList({ Game(1, "arena.zjp", 1) }) } }, 1, 0 },
        { "EmptyGameList", {}, B, Request(NETSYS_GETGAMELIST), { { B, GameList({}) } }, -1, 0 },
        { "PlayerListHoldsActivePlayersOnly", { { A, active }, { C, active } }, B,
            Request(NETSYS_GETPLAYERLIST), { { B, PlayerList({ Player(IA), Player(IC) }) } }, -1, 0 },
        { "PlayerInfoIsBroadcastWithIdAndKillsFixed", { { B, active }, { C, Kill(IB) } }, B,
            Info(Player(0xDEAD, 99, 7, "Bob")), { { 0, PlayerList({ Player(IB, 1, 7, "Bob") }) } }, -1, 0,
            1 },
        { "KillByAnotherPlayerIsBroadcast", {}, C, Kill(IA),
            { { 0, Encoded([](uint8_t* d, std::size_t c) { return NetWire::EncodeKilled(d, c, IA, IC); }) } },
            -1, 0 },
        { "SelfKillAtZeroGivesMinusOneAndIsSentToNobody", {}, B, Kill(IB), {}, -1, 0, -1 },
        { "SelfKillLowersACountedKill", { { C, Kill(IB) }, { A, Kill(IB) } }, B, Kill(IB), {}, -1, 0, 1 },
        { "ActiveFlagIsSetSilently", {}, B, Request(NETSYS_SETACTIVE), {}, -1, 0 },
        { "RequestOutsideTheProtocolIsIgnored", {}, B, Bytes { 2, 0, 0, 0, 14, 0, 0, 0, 12, 0, 0, 0 }, {}, -1,
            0 },
    };
}

class RequestTableTest : public GameServerTest, public ::testing::WithParamInterface<RequestCase> { };

TEST_P(RequestTableTest, repliesAsTheTableSays)
{
    const RequestCase& c = GetParam();
    ConnectThree();
    for (const auto& [sender, request] : c.setup)
        Send(sender, request);
    TakeSent();
    Send(c.sender, c.request);
    const std::vector<FakeServer::Sent> sent = TakeSent();
    ASSERT_EQ(sent.size(), c.replies.size());
    for (std::size_t i = 0; i < sent.size(); ++i) {
        EXPECT_EQ(sent[i].player, c.replies[i].to) << "reply " << i;
        EXPECT_EQ(sent[i].bytes, c.replies[i].bytes) << "reply " << i;
        EXPECT_TRUE(plat::net::HasFlag(sent[i].flags, plat::net::SendFlags::Guaranteed));
        EXPECT_EQ(sent[i].timeoutMs, 1000u);
    }
    const int game = server.FindGame(1);
    EXPECT_EQ(game < 0 ? -1 : static_cast<int>(server.games.At(game).players), c.gamePlayers);
    EXPECT_EQ(Record(c.sender).gameId, c.senderGame);
    EXPECT_EQ(Record(c.sender).info.kills, c.senderKills);
}

INSTANTIATE_TEST_SUITE_P(Requests, RequestTableTest, ::testing::ValuesIn(RequestCases()),
    [](const ::testing::TestParamInfo<RequestCase>& info) { return info.param.name; });

TEST_F(GameServerTest, welcomeGivesEachPlayerItsIdAndNamesComeFromClientInfo)
{
    Connect(A, u"Anna");
    Connect(B, std::u16string(80, u'x'));
    const std::vector<FakeServer::Sent> sent = TakeSent();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].player, A);
    EXPECT_EQ(sent[0].bytes, PlayerReply(NETREPLY_WELCOME, IA));
    EXPECT_EQ(sent[1].bytes, PlayerReply(NETREPLY_WELCOME, IB));
    EXPECT_EQ(std::u16string(Record(A).name), u"Anna");
    EXPECT_EQ(std::u16string(Record(B).name), std::u16string(63, u'x'));

    const char16_t renamed[] = u"Boris";
    Send(B, Encoded([&](uint8_t* d, std::size_t c) { return NetWire::EncodeSetPlayerName(d, c, renamed); }));
    EXPECT_EQ(std::u16string(Record(B).name), u"Boris");
    EXPECT_TRUE(TakeSent().empty());
}

TEST_F(GameServerTest, playerWithoutClientInfoGetsNoRecordAndAFailedCopyIsLogged)
{
    plat::net::CreatePlayerMessage created;
    created.player = 9; // unknown to the transport
    fake->handler(MessageId::CreatePlayer, &created);
    server.ProcessMessages();
    EXPECT_EQ(server.FindPlayer(9), -1);
    EXPECT_TRUE(TakeSent().empty());

    fake->failInfoCopy = true;
    Connect(A, u"Anna");
    EXPECT_EQ(Record(A).name[0], u'\0');
    EXPECT_EQ(LogLineCount("CZJDPServer::OnClientInfo Can`t get player value"), 1);
}

TEST_F(GameServerTest, messagesFromUnknownPlayersAndUnknownDestroysAreDropped)
{
    ConnectThree();
    Send(7, Request(NETSYS_GETGAMELIST));
    EXPECT_TRUE(TakeSent().empty());
    Drop(7);
    EXPECT_EQ(LogLineCount("OnDestroyPlayer Player not found"), 1);
    EXPECT_EQ(server.players.Count(), 3);
}

TEST_F(GameServerTest, playerIdsWrapPastTheLastAndSkipHeldOnes)
{
    Connect(A); // 0x100000
    server.lastPlayerId = 0xFFE00000;
    Connect(B);
    Connect(C);
    Connect(5);
    EXPECT_EQ(Record(B).playerId, 0xFFF00000u);
    EXPECT_EQ(Record(C).playerId, 0x200000u); // 0x100000 is still A's
    EXPECT_EQ(Record(5).playerId, 0x300000u);
    Drop(A);
    server.lastPlayerId = 0xFFF00000;
    Connect(6);
    EXPECT_EQ(Record(6).playerId, 0x100000u); // free again
}

TEST_F(GameServerTest, malformedRequestsAreDroppedWithOneLineASecondPerPlayer)
{
    ConnectThree();
    Bytes shortCreate = Create("arena.zjp");
    shortCreate.pop_back(); // size field no longer the length
    Bytes unterminated = Request(NETSYS_SETPLAYERNAME);
    unterminated.resize(16, 'x');
    NetWire::Put<uint32_t>(unterminated.data(), NetWire::System::kSize, 16);
    const std::vector<Bytes> bad = { shortCreate, unterminated, Bytes { 1, 2, 3 }, Bytes { 7, 0, 0, 0, 1 },
        Bytes(40, 0) /* an object message kind with a short header */ };
    server.clock = 10.0;
    for (const Bytes& message : bad) {
        Send(B, message);
        Send(C, message);
    }
    EXPECT_TRUE(TakeSent().empty());
    EXPECT_EQ(server.games.Count(), 0);
    EXPECT_EQ(LogLineCount("malformed"), 2); // one for B, one for C
    server.clock = 11.5;
    Send(B, bad[0]);
    EXPECT_EQ(LogLineCount("malformed"), 3);
    EXPECT_EQ(LogLineCount("(4 more held back)"), 1);
}

// ---- the merge of pending records ----

struct PushStep {
    Bytes record;
    uint32_t senderIndex;
};

struct PushCase {
    const char* name;
    std::vector<PushStep> steps;
    uint32_t count; // pending records afterwards
    uint32_t bytes;
    std::function<void(const SPlayerParam&)> check;
};

float FloatAt(const SPlayerParam& p, std::size_t offset)
{
    return NetWire::Get<float>(p.pending, offset);
}
double TimeAt(const SPlayerParam& p, std::size_t offset)
{
    return NetWire::Get<double>(p.pending, offset + NetWire::Record::kTime);
}

std::vector<PushCase> PushCases()
{
    using namespace NetWire;
    const uint32_t own = 0x100005; // an object of the receiver (player 0x100000)
    return {
        { "HitMergesWhenTheKeyIsTheSendersIndexAndTheSenderMatches",
            { { HitRecord(own, 1.0, 1, 2, 1, IB), 1 }, { HitRecord(own, 2.0, 3, 4, 0, IB), 1 } }, 1, 55,
            [](const SPlayerParam& p) {
                EXPECT_EQ(FloatAt(p, Hit::kDamage0), 4.0f);
                EXPECT_EQ(FloatAt(p, Hit::kDamage1), 6.0f);
                EXPECT_EQ(TimeAt(p, 0), 2.0);
                EXPECT_EQ(Get<uint32_t>(p.pending, Hit::kMergeKey), 1u);
            } },
        { "HitIsAppendedWhenThePendingKeyIsAnotherIndex",
            { { HitRecord(own, 1.0, 1, 2, 0, IB), 1 }, { HitRecord(own, 2.0, 3, 4, 0, IB), 1 } }, 2, 110,
            {} },
        { "HitIsAppendedWhenTheSenderIdDiffers",
            { { HitRecord(own, 1.0, 1, 2, 1, IB), 1 }, { HitRecord(own, 2.0, 3, 4, 1, IC), 1 } }, 2, 110,
            {} },
        { "HitIsDroppedWhenTheReceiverDoesNotOwnTheObject", { { HitRecord(0x200005, 1.0, 1, 2, 0, IC), 2 } },
            0, 0, {} },
        { "HitOwnerIsTheTopTwelveBits", { { HitRecord(0x1FFFFF, 1.0, 1, 2, 0, IC), 2 } }, 1, 55, {} },
        { "StateWithAnEqualTimeIsAppended", { { State(0x200001, 1.0), 1 }, { State(0x200001, 1.0), 1 } }, 2,
            70, {} },
        { "NewerStateOfEqualLengthOverwrites",
            { { State(0x200001, 1.0, Record::kState, 40, 1), 1 },
                { State(0x200001, 2.0, Record::kState, 40, 2), 1 } },
            1, 40,
            [](const SPlayerParam& p) {
                EXPECT_EQ(TimeAt(p, 0), 2.0);
                EXPECT_EQ(p.pending[39], 2);
            } },
        { "OlderStateIsAppended", { { State(0x200001, 2.0), 1 }, { State(0x200001, 1.0), 1 } }, 2, 70, {} },
        { "StateOfADifferentLengthIsAppended",
            { { State(0x200001, 1.0, Record::kState, 40), 1 },
                { State(0x200001, 2.0, Record::kState, 41), 1 } },
            2, 81, {} },
        { "StateOfAnotherKindIsAppended",
            { { State(0x200001, 1.0, Record::kState), 1 }, { State(0x200001, 2.0, Record::kForced), 1 } }, 2,
            70, {} },
        { "PendingAbove102400DropsEverything",
            [] {
                std::vector<PushStep> steps;
                for (uint32_t i = 0; i < 11; ++i)
                    steps.push_back({ State(0x200000 + i, 1.0, Record::kState, 10000), 1 });
                return steps;
            }(),
            0, 0, {} },
        { "ExactlyTheLimitIsKept",
            [] {
                std::vector<PushStep> steps;
                for (uint32_t i = 0; i < 10; ++i)
                    steps.push_back({ State(0x200000 + i, 1.0, Record::kState, 10000), 1 });
                steps.push_back({ State(0x200100, 1.0, Record::kState, 2400), 1 });
                return steps;
            }(),
            11, 102400, {} },
    };
}

class PushObjectTest : public ErrorLogTest, public ::testing::WithParamInterface<PushCase> { };

TEST_P(PushObjectTest, mergesOrAppendsAsTheTableSays)
{
    const PushCase& c = GetParam();
    std::vector<uint8_t> area(SPlayerParam::kPendingSize);
    SPlayerParam player {};
    player.playerId = IA;
    player.pending = area.data();
    for (const PushStep& step : c.steps)
        player.PushObject(step.record.data(), static_cast<uint32_t>(step.record.size()), step.senderIndex);
    EXPECT_EQ(player.pendingCount, c.count);
    EXPECT_EQ(player.pendingBytes, c.bytes);
    if (c.check)
        c.check(player);
}

INSTANTIATE_TEST_SUITE_P(Merge, PushObjectTest, ::testing::ValuesIn(PushCases()),
    [](const ::testing::TestParamInfo<PushCase>& info) { return info.param.name; });

TEST_F(ErrorLogTest, pushObjectRefusesARecordThatWouldFillTheWholeArea)
{
    // Unreachable through the 102,400 drop: the state is forced.
    std::vector<uint8_t> area(SPlayerParam::kPendingSize);
    SPlayerParam player {};
    player.playerId = IA;
    player.pending = area.data();
    player.pendingBytes = SPlayerParam::kPendingSize - 35;
    player.pendingCount = 1;
    const Bytes record = State(0x200001, 1.0);
    player.PushObject(record.data(), 35, 1);
    ASSERT_TRUE(LogExists());
    EXPECT_NE(LogText().find("SPlayerParam::PushObject - buffer overflow"), std::string::npos);
    EXPECT_EQ(player.pendingBytes, 0u); // above the drop limit as well
    EXPECT_EQ(player.pendingCount, 0u);
}

// ---- relay and membership ----

TEST_F(GameServerTest, relayFlushesAfterMoreThanOneMillisecondAndAlwaysForTheSender)
{
    ConnectThree();
    for (uint32_t id : { A, B, C })
        Send(id, Request(NETSYS_SETACTIVE));
    const Bytes fromA = State(IA + 1, 1.0);
    const Bytes fromB = State(IB + 1, 1.0);
    const Bytes fromC = State(IC + 1, 1.0);

    server.clock = 1.0;
    Send(A, Objects({ fromA }));
    std::vector<FakeServer::Sent> sent = TakeSent();
    ASSERT_EQ(sent.size(), 2u); // B and C; A has nothing pending
    for (const auto& s : sent) {
        EXPECT_TRUE(s.player == B || s.player == C);
        EXPECT_TRUE(plat::net::HasFlag(s.flags, plat::net::SendFlags::NoComplete));
        EXPECT_FALSE(plat::net::HasFlag(s.flags, plat::net::SendFlags::Guaranteed));
        EXPECT_EQ(s.bytes, Encoded([&](uint8_t* d, std::size_t c) {
            return NetWire::EncodeObjects(d, c, 1, fromA.data(), 35);
        }));
    }

    server.clock = 1.0005; // C flushed 0.5 ms ago: held; A never flushed: sent
    Send(B, Objects({ fromB }));
    sent = TakeSent();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].player, A);
    EXPECT_EQ(Record(C).pendingCount, 1u);

    server.clock = 1.0006; // the sender C is flushed although only 0.6 ms passed; A is held
    Send(C, Objects({ fromC }));
    sent = TakeSent();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].player, C);
    EXPECT_EQ(sent[0].bytes, Encoded([&](uint8_t* d, std::size_t c) {
        return NetWire::EncodeObjects(d, c, 1, fromB.data(), 35);
    }));
    EXPECT_EQ(Record(A).pendingCount, 1u);
    EXPECT_EQ(Record(B).pendingCount, 1u);

    server.clock = 1.0021; // more than 1 ms for everyone; C's newer state replaces the held one
    const Bytes newerC = State(IC + 1, 2.0);
    Send(C, Objects({ newerC }));
    sent = TakeSent();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].player, A);
    EXPECT_EQ(sent[1].player, B);
    for (const auto& s : sent)
        EXPECT_EQ(s.bytes, Encoded([&](uint8_t* d, std::size_t c) {
            return NetWire::EncodeObjects(d, c, 1, newerC.data(), 35);
        }));
}

TEST_F(GameServerTest, idleFlushSendsHeldRecordsOnlyOnceTheirMillisecondHasPassed)
{
    ConnectThree();
    for (uint32_t id : { A, B, C })
        Send(id, Request(NETSYS_SETACTIVE));
    server.clock = 1.0;
    Send(A, Objects({ State(IA + 1, 1.0) }));
    TakeSent();
    server.clock = 1.0004; // B and C flushed 0.4 ms ago: held, and nobody sends again
    const Bytes newer = State(IA + 1, 2.0);
    Send(A, Objects({ newer }));
    EXPECT_TRUE(TakeSent().empty());

    server.clock = 1.0009;
    server.FlushIdlePlayers();
    EXPECT_TRUE(TakeSent().empty());

    server.clock = 1.0011;
    server.FlushIdlePlayers();
    const std::vector<FakeServer::Sent> sent = TakeSent();
    ASSERT_EQ(sent.size(), 2u); // A holds nothing
    EXPECT_EQ(sent[0].player, B);
    EXPECT_EQ(sent[1].player, C);
    for (const auto& s : sent) {
        EXPECT_TRUE(plat::net::HasFlag(s.flags, plat::net::SendFlags::NoComplete));
        EXPECT_EQ(s.bytes, Encoded([&](uint8_t* d, std::size_t c) {
            return NetWire::EncodeObjects(d, c, 1, newer.data(), 35);
        }));
    }
    EXPECT_EQ(Record(B).lastFlush, 1.0011);

    server.clock = 1.01;
    server.FlushIdlePlayers();
    EXPECT_TRUE(TakeSent().empty());
}

TEST_F(GameServerTest, inactivePlayersReceiveNothingAndBadRecordsEndTheWalk)
{
    ConnectThree();
    Send(A, Request(NETSYS_SETACTIVE));
    Send(B, Request(NETSYS_SETACTIVE));
    Bytes broken = State(IA + 2, 1.0);
    broken[NetWire::Record::kKind] = 4;
    server.clock = 2.0;
    Send(A, Objects({ State(IA + 1, 1.0), broken, State(IA + 3, 1.0) }));
    const std::vector<FakeServer::Sent> sent = TakeSent();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].player, B);
    EXPECT_EQ(NetWire::Get<uint32_t>(sent[0].bytes.data(), NetWire::Reply::kObjectsCount), 1u);
    EXPECT_EQ(Record(C).pendingCount, 0u);
}

TEST_F(GameServerTest, messageWithCountZeroStoresTheHeaderAndSendsNothing)
{
    ConnectThree();
    for (uint32_t id : { A, B, C })
        Send(id, Request(NETSYS_SETACTIVE));
    const Bytes hello = Objects({}, 0x10);
    Send(A, hello);
    EXPECT_TRUE(TakeSent().empty());
    EXPECT_EQ(std::memcmp(Record(A).playerState, hello.data() + 4, SPlayerParam::kPlayerStateSize), 0);

    // A counted message stores its header too.
    const Bytes update = Objects({ State(IA + 1, 1.0) }, 0x40);
    Send(A, update);
    EXPECT_EQ(std::memcmp(Record(A).playerState, update.data() + 4, SPlayerParam::kPlayerStateSize), 0);
}

TEST_F(GameServerTest, threeJoinsAndOneLeaveFreeTheSlot)
{
    ConnectThree();
    Send(A, Create("arena.zjp"));
    for (int i = 0; i < 3; ++i)
        Send(A, GameRequest(NETSYS_JOIN, 1));
    EXPECT_EQ(server.games.At(0).players, 1u);
    Send(B, GameRequest(NETSYS_JOIN, 1));
    Send(B, GameRequest(NETSYS_JOIN, 1));
    Send(B, GameRequest(NETSYS_JOIN, 1));
    EXPECT_EQ(server.games.At(0).players, 2u);
    Send(A, GameRequest(NETSYS_LEAVE, 1));
    Send(B, GameRequest(NETSYS_LEAVE, 1));
    EXPECT_EQ(server.games.Count(), 0);
    TakeSent();
    Send(C, Create("next.zjp"));
    const std::vector<FakeServer::Sent> sent = TakeSent();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].bytes, Encoded([](uint8_t* d, std::size_t c) {
        return NetWire::EncodeGameCreated(d, c, Game(2, "next.zjp", 1));
    }));
}

TEST_F(GameServerTest, theLastMembersDestroyFreesTheSlot)
{
    ConnectThree();
    Send(A, Create("arena.zjp"));
    Send(B, GameRequest(NETSYS_JOIN, 1));
    Drop(A);
    ASSERT_EQ(server.games.Count(), 1);
    EXPECT_EQ(server.games.At(0).players, 1u);
    Drop(B);
    EXPECT_EQ(server.games.Count(), 0);
    EXPECT_EQ(LogLineCount("CZJDPServer::OnDestroyPlayer Deleted player has GAMEID"), 2);
    TakeSent();
    Send(C, Create("arena.zjp"));
    EXPECT_EQ(TakeSent().size(), 1u);
}

TEST_F(GameServerTest, removeEmptyGameSweepsAGameWithoutPlayers)
{
    ConnectThree();
    Send(A, Create("arena.zjp"));
    server.RemoveEmptyGame();
    EXPECT_EQ(server.games.Count(), 1);
    server.games.At(0).players = 0;
    server.RemoveEmptyGame();
    EXPECT_EQ(server.games.Count(), 0);
}

} // namespace
