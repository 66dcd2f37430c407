// CZJDPClient over a fake transport with an injected sleep: waits that must not miss their reply,
// the bounded object send, the record loader and the refusal of malformed replies.
#include "net/CZJDPClient.h"

#include "ai/CFerrovant.h"
#include "foundation/BaseDirectory.h"
#include "foundation/CTimer.h"
#include "foundation/XRangeError.h"
#include "platform/win/text.h"
#include "script/CZJScriptManager.h"
#include "tests/net/fake_transport.h"
#include "tests/net/wire_fixture.h"
#include "tests/support/error_log_test.h"
#include "tests/support/files.h"
#include "tests/support/ini_tables.h"
#include "tests/support/text_table.h"
#include "ui/CMessager.h"
#include "world/db/CMissileManager.h"
#include "world/objects/CDynamicObject.h"
#include "world/objects/CObjectList.h"
#include "world/objects/CZJObject.h"
#include "world/objects/PlayerGlobals.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

using zoq::test::ErrorLogTest;

using namespace NetWire;
using Bytes = std::vector<uint8_t>;

namespace {

// A world object that records what the client does to it.
class TestObject : public CDynamicObject {
public:
    int unpacks = 0;
    int inits = 0;
    std::vector<std::pair<float, int>> damage;
    uint16_t packLength = 35;
    bool diesOnDamage = false;
    bool throwOnUnpack = false;

    void PackNetState(uint8_t* record, int* size) override
    {
        CZJObject::PackNetState(record, size);
        std::memset(record + 35, 0xAB, packLength - 35u);
        *size = packLength;
    }
    void UnpackNetState(const uint8_t* record, int* size) override
    {
        if (throwOnUnpack)
            throw XRangeError();
        ++unpacks;
        CZJObject::UnpackNetState(record, size);
    }
    void Init() override { ++inits; }
    void Damage(float amount, const Vec3&, int kind, CZJObject* attacker, int damageClass) override
    {
        EXPECT_EQ(attacker, nullptr);
        EXPECT_EQ(damageClass, -1);
        damage.emplace_back(amount, kind);
        if (diesOnDamage && PlayerFerrovant != nullptr)
            PlayerFerrovant->dead = 1;
    }
};

using wiretest::Encoded;
using wiretest::Game;

SPlayerInfo Player(uint32_t id, const char* name)
{
    SPlayerInfo info {};
    info.id = id;
    std::snprintf(info.name, sizeof info.name, "%s", name);
    return info;
}

int64_t g_ticks = 0;

class GameClientTest : public ErrorLogTest {
protected:
    void SetUp() override
    {
        ErrorLogTest::SetUp();
        g_ticks = 0;
        FrameTimer = CTimer([] { return g_ticks; }, 1000);
        ASSERT_TRUE(m_client.Init());
        m_fake->onSend = [this](const Bytes& request) { Serve(request); };
    }
    void TearDown() override
    {
        ObjectList.Clear();
        PlayerObject = nullptr;
        PlayerFerrovant = nullptr;
        FrameTimer = CTimer();
        ErrorLogTest::TearDown();
    }

    // The scripted server: answers per request type, unless told to stay silent.
    void Serve(const Bytes& request)
    {
        uint32_t words[3] = {};
        std::memcpy(words, request.data(), std::min<std::size_t>(request.size(), sizeof words));
        if (words[0] != NETMSG_SYSTEM)
            return;
        const uint32_t type = words[1];
        if (m_silent[type] > 0) {
            --m_silent[type];
            return;
        }
        SRequest decoded;
        ASSERT_EQ(DecodeRequest(request.data(), request.size(), decoded), Status::Ok);
        switch (type) {
        case NETSYS_CREATEGAME:
            m_fake->Deliver(Encoded([&](uint8_t* d, std::size_t c) {
                return EncodeGameCreated(d, c, Game(5, decoded.gameName, 1));
            }));
            m_fake->Deliver(Encoded([&](uint8_t* d, std::size_t c) {
                const SPlayerInfo list[1] = { Player(0x100000, "Anna") };
                return EncodePlayerList(d, c, list, 1);
            }));
            break;
        case NETSYS_STARTGAME:
        case NETSYS_JOIN:
            m_fake->Deliver(Encoded([&](uint8_t* d, std::size_t c) {
                return EncodePlayerReply(d, c, NETREPLY_STARTED, 0x100000);
            }));
            m_fake->Deliver(Encoded([&](uint8_t* d, std::size_t c) { return EncodeKilled(d, c, 1, 2); }));
            break;
        case NETSYS_SYNCTIME:
            m_fake->Deliver(Encoded([&](uint8_t* d, std::size_t c) {
                return EncodeSyncTimeReply(
                    d, c, decoded.clock, m_differences[m_syncs++ % m_differences.size()]);
            }));
            break;
        case NETSYS_GETGAMELIST:
            m_fake->Deliver(Encoded([&](uint8_t* d, std::size_t c) {
                return EncodeGameList(d, c, m_games.data(), static_cast<uint32_t>(m_games.size()));
            }));
            break;
        default:
            break;
        }
    }

    std::size_t Requests(uint32_t type) const { return m_fake->Requests(type).size(); }

    FakeTransport* m_fake = nullptr;
    int m_sleeps = 0;
    uint32_t m_sleptMs = 0;
    CZJDPClient m_client { FakeFactory(m_fake), [this](uint32_t ms) {
                              ++m_sleeps;
                              m_sleptMs += ms;
                          } };
    std::map<uint32_t, int> m_silent;
    std::vector<double> m_differences { 2.5 };
    std::size_t m_syncs = 0;
    std::vector<SGameParam> m_games;
};

TEST_F(GameClientTest, CreateGameSucceedsWhenALaterReplyShareTheDrain)
{
    ASSERT_TRUE(m_client.CreateGame("location1.zjp"));
    EXPECT_EQ(m_client.gameId, 5u);
    EXPECT_EQ(m_client.started, 1);
    EXPECT_EQ(m_client.players.Count(), 1);
    EXPECT_EQ(m_client.clockOffset, 2.5);
    const auto start = m_fake->Requests(NETSYS_STARTGAME);
    ASSERT_EQ(start.size(), 1u);
    EXPECT_EQ(Get<uint32_t>(start[0].data(), System::kPayload), 5u);
    EXPECT_EQ(Requests(NETSYS_SYNCTIME), 3u);
}

TEST_F(GameClientTest, CreateGameRefusesUnsafeNamesAndUnansweredRequests)
{
    for (const char* name : { "../x", "a\\b", "" })
        EXPECT_FALSE(m_client.CreateGame(name)) << name;
    EXPECT_EQ(Requests(NETSYS_CREATEGAME), 0u);
    m_silent[NETSYS_CREATEGAME] = 1;
    EXPECT_FALSE(m_client.CreateGame("arena.zjp"));
    EXPECT_EQ(m_sleeps, 5000);
}

TEST_F(GameClientTest, JoinAnsweredOnTheFifthTryStillSynchronises)
{
    m_silent[NETSYS_JOIN] = 4;
    ASSERT_TRUE(m_client.Join(3));
    EXPECT_EQ(Requests(NETSYS_JOIN), 5u);
    EXPECT_EQ(m_client.gameId, 3u);
    EXPECT_EQ(Requests(NETSYS_SYNCTIME), 3u);
    EXPECT_EQ(m_sleeps, 4 * 1000);

    m_silent[NETSYS_JOIN] = 5;
    EXPECT_FALSE(m_client.Join(4));
}

TEST_F(GameClientTest, SyncTimeKeepsTheSmallestDifferenceAndTripAndTakesTies)
{
    m_differences = { 3.0, 1.5, 1.5 };
    ASSERT_TRUE(m_client.SyncTime());
    EXPECT_EQ(m_client.clockOffset, 1.5);
    EXPECT_EQ(m_client.halfTrip, 0.0); // the frame clock stood still: every trip was 0

    m_differences = { -0.0, 0.0, 0.0 };
    m_syncs = 0;
    ASSERT_TRUE(m_client.SyncTime());
    EXPECT_FALSE(std::signbit(m_client.clockOffset)); // equal differences: the later one is taken

    m_silent[NETSYS_SYNCTIME] = 3;
    EXPECT_FALSE(m_client.SyncTime());
    EXPECT_EQ(m_client.clockOffset, CZJDPClient::kNotSynchronised);
}

TEST_F(GameClientTest, GameListKeepsThePreviousListWhenUnansweredAndLeavesOutUnsafeNames)
{
    m_games = { Game(1, "location1.zjp", 2), Game(2, "../etc", 1), Game(3, "arena.zjp", 1) };
    ASSERT_TRUE(m_client.GetGameList());
    ASSERT_EQ(m_client.games.Count(), 2);
    EXPECT_STREQ(m_client.games.At(1).name, "arena.zjp");
    EXPECT_NE(LogText().find("game 2 left out"), std::string::npos);

    m_silent[NETSYS_GETGAMELIST] = 3;
    m_sleeps = 0;
    m_sleptMs = 0;
    EXPECT_TRUE(m_client.GetGameList());
    EXPECT_EQ(m_client.games.Count(), 2);
    EXPECT_EQ(m_sleeps, 3 * 1000 + 3);
    EXPECT_EQ(m_sleptMs, 3u * 1000 + 3 * 500);
}

TEST_F(GameClientTest, MalformedRepliesChangeNothing)
{
    m_games = { Game(1, "location1.zjp", 2) };
    ASSERT_TRUE(m_client.GetGameList());
    m_fake->Deliver(Encoded(
        [](uint8_t* d, std::size_t c) { return EncodePlayerReply(d, c, NETREPLY_WELCOME, 0x300000); }));
    m_fake->Deliver(Encoded([](uint8_t* d, std::size_t c) {
        const SPlayerInfo list[2] = { Player(0x100000, "Anna"), Player(0x200000, "Boris") };
        return EncodePlayerList(d, c, list, 2);
    }));
    m_client.GetData();
    std::vector<uint32_t> before(m_client.replyCount, m_client.replyCount + 12);

    Bytes badList = Encoded([](uint8_t* d, std::size_t c) {
        const SGameParam games[1] = { Game(9, "x.zjp", 1) };
        return EncodeGameList(d, c, games, 1);
    });
    Put<uint32_t>(badList.data(), Reply::kListCount, 0xFFFFFFFF);
    m_fake->Deliver(badList);
    Bytes badPlayers = Encoded([](uint8_t* d, std::size_t c) { return EncodePlayerList(d, c, nullptr, 0); });
    Put<uint32_t>(badPlayers.data(), Reply::kListCount, 1);
    m_fake->Deliver(badPlayers);
    m_fake->Deliver(
        Encoded([](uint8_t* d, std::size_t c) { return EncodeGameCreated(d, c, Game(7, "../x", 1)); }));
    Bytes shortWelcome
        = Encoded([](uint8_t* d, std::size_t c) { return EncodePlayerReply(d, c, NETREPLY_WELCOME, 7); });
    shortWelcome.resize(47);
    m_fake->Deliver(shortWelcome);
    m_fake->Deliver(Bytes { 2, 0 });
    m_fake->Deliver(Bytes { 12, 0, 0, 0, 1, 0, 0, 0 });
    m_client.GetData();

    EXPECT_EQ(m_client.games.Count(), 1);
    EXPECT_EQ(m_client.games.At(0).id, 1u);
    EXPECT_EQ(m_client.players.Count(), 2);
    EXPECT_EQ(m_client.playerId, 0x300000u);
    EXPECT_EQ(m_client.gameId, 0u);
    EXPECT_EQ(std::vector<uint32_t>(m_client.replyCount, m_client.replyCount + 12), before);
}

TEST_F(GameClientTest, JoinLeaveAndKillRepliesReachTheMessageWindow)
{
    std::string error;
    ASSERT_TRUE(
        zoq::test::WriteTextTable(m_dir, "[INT_NET_PLAYER_WAS_KILLED_BY]\nTEXT = %s %% %d %s\n", error))
        << error;
    SetBaseDirectory(m_dir.string());
    CZJScriptManager manager;
    manager.Init();
    SetBaseDirectory("");
    g_pScriptManager = &manager;
    // A message window without its window writes each message to the log.
    CMessager messager;
    g_pMessager = &messager;
    m_fake->Deliver(Encoded([](uint8_t* d, std::size_t c) {
        // A name is never mark-up in a message.
        const SPlayerInfo list[2] = { Player(0x100000, "Anna"), Player(0x200000, "<Boris>") };
        return EncodePlayerList(d, c, list, 2);
    }));
    m_fake->Deliver(
        Encoded([](uint8_t* d, std::size_t c) { return EncodeKilled(d, c, 0x200000, 0x100000); }));
    m_fake->Deliver(
        Encoded([](uint8_t* d, std::size_t c) { return EncodeKilled(d, c, 0x900000, 0x100000); }));
    m_fake->Deliver(
        Encoded([](uint8_t* d, std::size_t c) { return EncodePlayerReply(d, c, NETREPLY_PLAYERJOINED, 3); }));
    m_fake->Deliver(
        Encoded([](uint8_t* d, std::size_t c) { return EncodePlayerReply(d, c, NETREPLY_PLAYERLEFT, 3); }));
    EXPECT_TRUE(m_client.GetData());
    const auto lines = LogLines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_NE(lines[0].find("Boris % %d Anna"), std::string::npos);
    EXPECT_NE(lines[1].find("К игре присоединился новый игрок"), std::string::npos);
    EXPECT_NE(lines[2].find("Игрок отсоединился от игры"), std::string::npos);
    EXPECT_EQ(Requests(NETSYS_GETPLAYERLIST), 2u);
    // Without a message window the replies are taken and shown nowhere.
    g_pMessager = nullptr;
    m_fake->Deliver(
        Encoded([](uint8_t* d, std::size_t c) { return EncodePlayerReply(d, c, NETREPLY_PLAYERJOINED, 3); }));
    EXPECT_TRUE(m_client.GetData());
    EXPECT_EQ(LogLines().size(), 3u);
    g_pScriptManager = nullptr;
}

TEST_F(GameClientTest, SendHelloReturnsTheTransportResult)
{
    EXPECT_GE(m_client.SendHello(), 0);
    ASSERT_EQ(m_fake->sent.size(), 1u);
    const Bytes& hello = m_fake->sent[0].bytes;
    ASSERT_EQ(hello.size(), 76u);
    SNetObjectHeader header;
    ASSERT_EQ(DecodeObjectHeader(hello.data(), hello.size(), header), Status::Ok);
    EXPECT_EQ(header.count, 0u);
    EXPECT_EQ(header.viewDistance, VisibleRadius * 10.0f);
    EXPECT_TRUE(plat::net::HasFlag(m_fake->sent[0].flags, plat::net::SendFlags::Guaranteed));
    m_fake->connected = false;
    EXPECT_LT(m_client.SendHello(), 0);
}

// Adds an object to the network list; the list owns it.
TestObject* AddObject(uint32_t networkId, bool owned, int type = 14)
{
    auto* object = new TestObject;
    object->networkId = networkId;
    object->owned = owned ? 1 : 0;
    object->type = type;
    object->remote = 1;
    object->runs = 1; // in the moving list: the frame's Pack destroys it
    ObjectList.AddObject(object);
    ObjectList.AddToExtraList(object);
    return object;
}

TEST_F(GameClientTest, SendDataSendsNothingWhileThreeAreQueuedOrNothingChanged)
{
    TestObject* owned = AddObject(0x100001, true);
    TestObject* remote = AddObject(0x200001, false);
    remote->damagePending = 1;
    remote->pendingDamage[0] = 5.0f;
    m_fake->queued = 3;
    m_client.SendData();
    EXPECT_TRUE(m_fake->sent.empty());
    EXPECT_EQ(owned->netDirty, 1);
    EXPECT_EQ(remote->damagePending, 1);

    m_fake->queued = 2;
    m_client.playerId = 0x100000;
    m_client.SendData();
    ASSERT_EQ(m_fake->sent.size(), 1u);
    const Bytes& message = m_fake->sent[0].bytes;
    EXPECT_TRUE(plat::net::HasFlag(m_fake->sent[0].flags, plat::net::SendFlags::NoComplete));
    SNetObjectHeader header;
    ASSERT_EQ(DecodeObjectHeader(message.data(), message.size(), header), Status::Ok);
    EXPECT_EQ(header.count, 2u);
    EXPECT_EQ(header.bytes, 35u + 55u);
    const SHitRecord hit = ReadHitRecord(message.data() + 76 + 35);
    EXPECT_EQ(hit.netId, 0x200001u);
    EXPECT_EQ(hit.damage[0], 5.0f);
    EXPECT_EQ(hit.sender, 0x100000u);
    EXPECT_EQ(owned->netDirty, 0);
    EXPECT_EQ(remote->damagePending, 0);
    EXPECT_EQ(remote->pendingDamage[0], 0.0f);

    m_client.SendData();
    EXPECT_EQ(m_fake->sent.size(), 1u);
}

TEST_F(GameClientTest, SendDataStopsPackingBeforeTheBufferRunsShort)
{
    std::vector<TestObject*> objects;
    for (uint32_t i = 0; i < 20; ++i) {
        objects.push_back(AddObject(0x100001 + i, true));
        objects.back()->packLength = 10000;
    }
    m_client.SendData();
    ASSERT_EQ(m_fake->sent.size(), 1u);
    const Bytes& message = m_fake->sent[0].bytes;
    SNetObjectHeader header;
    ASSERT_EQ(DecodeObjectHeader(message.data(), message.size(), header), Status::Ok);
    EXPECT_EQ(header.count, 15u);
    EXPECT_EQ(message.size(), 76u + 15 * 10000);
    EXPECT_EQ(WalkRecords(message.data() + 76, message.size() - 76, header.count, header.bytes,
                  [](const uint8_t*, uint32_t) {}),
        15u);
    for (std::size_t i = 0; i < objects.size(); ++i)
        EXPECT_EQ(objects[i]->netDirty, i < 15 ? 0 : 1) << i;
    m_client.SendData();
    ASSERT_EQ(m_fake->sent.size(), 2u);
    EXPECT_EQ(Get<uint32_t>(m_fake->sent[1].bytes.data(), ObjectHeader::kCount), 5u);
}

// One record of a kind for an object, stamped `age` seconds before the game clock.
Bytes Record(uint32_t networkId, uint8_t kind, double time, int type = 14, uint32_t sender = 0)
{
    Bytes bytes(kind == Record::kHit ? Hit::kSize : Record::kBaseSize);
    if (kind == Record::kHit) {
        SHitRecord hit;
        hit.netId = networkId;
        hit.time = time;
        hit.type = static_cast<uint32_t>(type);
        hit.damage[0] = 10.0f;
        hit.damage[1] = 2.0f;
        hit.sender = sender;
        EncodeHitRecord(bytes.data(), bytes.size(), hit);
    } else {
        SNetObjectRecord head;
        head.netId = networkId;
        head.time = time;
        head.kind = kind;
        head.type = static_cast<uint32_t>(type);
        head.position[0] = 1.0f;
        EncodeRecordHead(bytes.data(), bytes.size(), head);
    }
    return bytes;
}

void Load(CZJDPClient& client, const std::vector<Bytes>& records)
{
    Bytes all;
    for (const Bytes& record : records)
        all.insert(all.end(), record.begin(), record.end());
    Bytes payload = Encoded([&](uint8_t* d, std::size_t c) {
        return EncodeObjects(
            d, c, static_cast<uint32_t>(records.size()), all.data(), static_cast<uint32_t>(all.size()));
    });
    client.LoadObjects(payload.data(), static_cast<uint32_t>(payload.size()));
}

TEST_F(GameClientTest, LoadObjectsAppliesRecordsByKindAgeAndTime)
{
    GameClock = 100.0;
    m_client.clockOffset = 0.0;
    m_client.halfTrip = 0.0;
    TestObject* known = AddObject(0x200001, false);
    known->lastRecordTime = 90.0;

    struct Row {
        const char* name;
        uint8_t kind;
        double time;
        int unpacks;
    };
    const Row rows[] = {
        { "5.0 s old is applied", Record::kState, 95.0, 1 },
        { "5.001 s old is skipped", Record::kState, 94.999, 0 },
        { "kind 0 not newer than the last is not applied", Record::kState, 95.0, 0 },
        { "kind 3 older than the last is applied", Record::kForced, 95.5, 1 },
        { "kind 0 newer is applied", Record::kState, 99.0, 1 },
    };
    int expected = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.kind == Record::kForced)
            known->lastRecordTime = 98.0;
        Load(m_client, { Record(0x200001, row.kind, row.time) });
        expected += row.unpacks;
        EXPECT_EQ(known->unpacks, expected);
    }
    EXPECT_EQ(known->netLag, 1.0e-8f);

    // Unknown objects: a thing and a missile of a projectile row are created (and initialised),
    // an unknown type is not.
    SetBaseDirectory(m_dir.string());
    zoq::test::UseIniTables({ { plat::win::Utf8ToCp1251("Снаряды"), "[MIS_A]\nTYPE=2\n" } });
    g_MissileManager.Init(plat::win::Utf8ToCp1251("Снаряды").c_str());
    SetBaseDirectory("");
    Load(m_client,
        { Record(0x300001, Record::kState, 99.0, 21), Record(0x300002, Record::kState, 99.0, 99),
            Record(0x300003, Record::kForced, 99.0, 16), Record(0x300004, Record::kFinal, 99.0, 14) });
    CZJObject* thing = ObjectList.FindNetObject(0x300001);
    ASSERT_NE(thing, nullptr);
    EXPECT_EQ(thing->type, 21);
    EXPECT_EQ(thing->lastRecordTime, 99.0);
    EXPECT_EQ(ObjectList.FindNetObject(0x300002), nullptr);
    auto* missile = dynamic_cast<CDynamicObject*>(ObjectList.FindNetObject(0x300003));
    ASSERT_NE(missile, nullptr);
    EXPECT_EQ(missile->netLag, 1.0e-8f);
    EXPECT_EQ(ObjectList.FindNetObject(0x300004), nullptr);
}

TEST_F(GameClientTest, LoadObjectsConvertsTimesToTheGameClock)
{
    GameClock = 50.0;
    m_client.clockOffset = 10.0; // server clock runs 10 s ahead
    m_client.halfTrip = 0.25;
    TestObject* known = AddObject(0x200001, false);
    Bytes record = Record(0x200001, Record::kState, 55.5);
    Load(m_client, { record });
    EXPECT_EQ(known->unpacks, 1);
    EXPECT_EQ(known->lastRecordTime, 55.5 + 0.25 - 10.0);
    Load(m_client, { Record(0x200001, Record::kForced, 54.74) });
    EXPECT_EQ(known->unpacks, 1);
}

TEST_F(GameClientTest, FinalRecordQueuesTheObjectForDeletionOnce)
{
    GameClock = 10.0;
    m_client.clockOffset = 0.0;
    m_client.halfTrip = 0.0;
    TestObject* known = AddObject(0x200001, false);
    known->deferredDelete = 1;
    Load(m_client, { Record(0x200001, Record::kFinal, 9.0), Record(0x200001, Record::kFinal, 9.5) });
    EXPECT_EQ(known->unpacks, 2);
    EXPECT_TRUE(ObjectList.IsDeletePending(known));
    EXPECT_EQ(known->alive, 0);
    ObjectList.Pack();
    EXPECT_EQ(ObjectList.FindNetObject(0x200001), nullptr);
    Load(m_client, { Record(0x200001, Record::kFinal, 9.9) });
    EXPECT_FALSE(LogExists());
}

TEST_F(GameClientTest, HitsApplyToOwnedObjectsAndASelfKillReportsOwnId)
{
    GameClock = 10.0;
    m_client.clockOffset = 0.0;
    m_client.halfTrip = 0.0;
    CFerrovant ferrovant;
    PlayerFerrovant = &ferrovant;
    TestObject* mine = AddObject(0x100001, true);
    mine->diesOnDamage = true;
    PlayerObject = mine;
    TestObject* owned = AddObject(0x100002, true);
    TestObject* remote = AddObject(0x200001, false);

    Load(m_client,
        { Record(0x100002, Record::kHit, 9.0, 14, 0x200000),
            Record(0x200001, Record::kHit, 9.0, 14, 0x300000) });
    ASSERT_EQ(owned->damage.size(), 2u);
    EXPECT_EQ(owned->damage[0], std::make_pair(10.0f, 0));
    EXPECT_EQ(owned->damage[1], std::make_pair(2.0f, 1));
    EXPECT_TRUE(remote->damage.empty());
    EXPECT_EQ(Requests(NETSYS_KILLREPORT), 0u);

    // The player's own shot kills the player: the report names the player's own id.
    Load(m_client, { Record(0x100001, Record::kHit, 9.0, 14, 0x100007) });
    const auto reports = m_fake->Requests(NETSYS_KILLREPORT);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(Get<uint32_t>(reports[0].data(), System::kPayload), 0x100000u);
    // Already out of action: no second report.
    Load(m_client, { Record(0x100001, Record::kHit, 9.0, 14, 0x200000) });
    EXPECT_EQ(Requests(NETSYS_KILLREPORT), 1u);
}

TEST_F(GameClientTest, RecordsAfterABadOneAreIgnoredAndAnExceptionStopsThePayload)
{
    GameClock = 10.0;
    m_client.clockOffset = 0.0;
    m_client.halfTrip = 0.0;
    TestObject* known = AddObject(0x200001, false);
    Bytes bad = Record(0x200001, Record::kState, 9.0);
    bad[Record::kKind] = 4;
    Load(m_client, { Record(0x200001, Record::kState, 8.0), bad, Record(0x200001, Record::kState, 9.5) });
    EXPECT_EQ(known->unpacks, 1);

    known->throwOnUnpack = true;
    TestObject* other = AddObject(0x200002, false);
    Load(m_client, { Record(0x200001, Record::kState, 9.6), Record(0x200002, Record::kState, 9.6) });
    EXPECT_EQ(other->unpacks, 0);
    const auto lines = LogLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("->CZJDPClient::LoadObjects"), std::string::npos);
}

TEST_F(GameClientTest, LoadConfigReadsTheNetSection)
{
    zoq::test::WriteText(m_dir / "DATA" / "CONFIG" / "cfg.ini",
        "[NET]\r\nPlayerName=" + plat::win::Utf8ToCp1251("Пилот") + "\r\nRunServer=1\r\nEnable=2\r\n");
    {
        const zoq::test::ScopedChdir inside(m_dir);
        m_client.LoadConfig("cfg.ini");
    }
    EXPECT_EQ(std::u16string(m_client.playerName), u"Пилот");
    EXPECT_EQ(m_client.runServer, 1);
    EXPECT_EQ(m_client.enabled, 0);
}

} // namespace
