#include "net/CZJDPClient.h"

#include "ai/CFerrovant.h"
#include "foundation/BaseDirectory.h"
#include "foundation/CTimer.h"
#include "foundation/CViewFrame.h"
#include "foundation/CallTrace.h"
#include "foundation/ConfigKeys.h"
#include "foundation/ErrorLog.h"
#include "platform/win/clock.h"
#include "platform/win/text.h"
#include "script/CZJScriptManager.h"
#include "ui/CMessager.h"
#include "world/db/CZJEngine.h"
#include "world/objects/CDynamicObject.h"
#include "world/objects/CObjectList.h"
#include "world/objects/CZJObject.h"
#include "world/objects/PlayerGlobals.h"

#include <cstdio>
#include <cstring>
#include <string>

using namespace NetWire;

namespace {

constexpr int kListRounds = 3;
constexpr int kListPolls = 1000;
constexpr uint32_t kListRoundPauseMs = 500;
constexpr int kCreateTries = 5000;
constexpr int kJoinRequests = 5;
constexpr int kJoinPolls = 1000;
constexpr int kSyncTries[3] = { 500, 500, 5000 };
constexpr int kQueuedLimit = 3;
constexpr float kDynamicAfterRecord = 1.0e-8f;

void LogLine(const char* format, uint32_t value, const char* text = "")
{
    char line[160];
    std::snprintf(line, sizeof line, format, value, text);
    WriteErrorLog(line);
}

// The text with its first two "%s" replaced by the names, "%%" by "%"; any other directive
// stays as it is. The text comes from data, so it is never used as a printf format.
std::string FormatTwoNames(const char* text, const char* first, const char* second)
{
    std::string out;
    int used = 0;
    for (const char* p = text; *p != '\0'; ++p) {
        if (p[0] == '%' && p[1] == 's' && used < 2) {
            out += used++ == 0 ? first : second;
            ++p;
        } else if (p[0] == '%' && p[1] == '%') {
            out += '%';
            ++p;
        } else {
            out += *p;
        }
    }
    return out;
}

} // namespace

CZJDPClient::CZJDPClient(TransportFactory factory, SleepFunction sleepFunction)
    : CDPClient8(std::move(factory))
    , sleep(std::move(sleepFunction))
{
    if (!sleep)
        sleep = [](uint32_t milliseconds) { plat::win::Sleep(milliseconds); };
    sendBuffer = new uint8_t[kSendBuffer]();
}

CZJDPClient::~CZJDPClient()
{
    Close();
    delete[] sendBuffer;
}

void CZJDPClient::LoadConfig(const char* file)
{
    const std::string path = BaseDirectory() + "DATA\\CONFIG\\" + file;
    char name[64] = {};
    ReadConfigText(path, ConfigKey("NET", "PlayerName"), name, sizeof name);
    const std::u16string wide = plat::win::Cp1251ToUtf16(name);
    std::memset(playerName, 0, sizeof playerName);
    for (std::size_t i = 0; i < wide.size() && i < 63; ++i)
        playerName[i] = wide[i];
    runServer = ReadConfigNumber(path, ConfigKey("NET", "RunServer")) == 1 ? 1 : 0;
    enabled = ReadConfigNumber(path, ConfigKey("NET", "Enable")) == 1 ? 1 : 0;
}

bool CZJDPClient::PollFor(uint32_t id, uint32_t before, int tries)
{
    for (int i = 0; i < tries; ++i) {
        ProcessMessages();
        if (Count(id) != before)
            return true;
        sleep(1);
    }
    return false;
}

bool CZJDPClient::WaitForReply(uint32_t id, int tries)
{
    lastReplyId = 0;
    return PollFor(id, Count(id), tries);
}

int32_t CZJDPClient::SendRequest(uint32_t size)
{
    return size != 0 ? Send(sendBuffer, size, false)
                     : static_cast<int32_t>(plat::net::Result::InvalidArgument);
}

bool CZJDPClient::GetGameList()
{
    for (int round = 0; round < kListRounds; ++round) {
        const uint32_t before = Count(NETREPLY_GAMELIST);
        SendRequest(EncodeRequest(sendBuffer, kSendBuffer, NETSYS_GETGAMELIST));
        lastReplyId = 0;
        if (PollFor(NETREPLY_GAMELIST, before, kListPolls))
            return true;
        sleep(kListRoundPauseMs);
    }
    return true;
}

bool CZJDPClient::CreateGame(const char* name)
{
    // A 32-byte name field: read no further than its terminator or its end.
    char name32[32] = {};
    for (std::size_t i = 0; name != nullptr && i < sizeof name32 && name[i] != '\0'; ++i)
        name32[i] = name[i];
    if (!IsPlainGameName(name32)) {
        WriteErrorLog("CZJDPClient::CreateGame: the game name is not a plain file name");
        return false;
    }
    uint32_t before = Count(NETREPLY_GAMECREATED);
    SendRequest(EncodeCreateGame(sendBuffer, kSendBuffer, name32));
    lastReplyId = 0;
    if (!PollFor(NETREPLY_GAMECREATED, before, kCreateTries))
        return false;
    before = Count(NETREPLY_STARTED);
    SendRequest(EncodeGameRequest(sendBuffer, kSendBuffer, NETSYS_STARTGAME, gameId));
    lastReplyId = 0;
    if (!PollFor(NETREPLY_STARTED, before, kCreateTries))
        return false;
    return SyncTime();
}

bool CZJDPClient::Join(uint32_t id)
{
    started = 0;
    for (int request = 0; request < kJoinRequests; ++request) {
        const uint32_t before = Count(NETREPLY_STARTED);
        SendRequest(EncodeGameRequest(sendBuffer, kSendBuffer, NETSYS_JOIN, id));
        gameId = id;
        lastReplyId = 0;
        if (PollFor(NETREPLY_STARTED, before, kJoinPolls) && started)
            return SyncTime();
    }
    return started ? SyncTime() : false;
}

void CZJDPClient::LeaveGame()
{
    SendRequest(EncodeGameRequest(sendBuffer, kSendBuffer, NETSYS_LEAVE, gameId));
}

void CZJDPClient::SendPlayState(bool active)
{
    SendRequest(EncodeRequest(sendBuffer, kSendBuffer, active ? NETSYS_SETACTIVE : NETSYS_SETINACTIVE));
}

void CZJDPClient::RequestPlayerList()
{
    SendRequest(EncodeRequest(sendBuffer, kSendBuffer, NETSYS_GETPLAYERLIST));
}

void CZJDPClient::SendPlayerInfo(const SPlayerInfo& info)
{
    SendRequest(EncodeSetPlayerInfo(sendBuffer, kSendBuffer, info));
}

void CZJDPClient::SendKillReport(uint32_t killer)
{
    SendRequest(EncodeKillReport(sendBuffer, kSendBuffer, killer));
}

bool CZJDPClient::SyncTime()
{
    clockOffset = kNotSynchronised;
    halfTrip = kNotSynchronised;
    int answered = 0;
    for (int tries : kSyncTries) {
        FrameTimer.Update();
        SendRequest(EncodeSyncTime(sendBuffer, kSendBuffer, GameClock));
        if (WaitForReply(NETREPLY_SYNCTIME, tries))
            ++answered;
    }
    halfTrip *= 0.5;
    if (answered == 0)
        return false;
    return clockOffset < kNotSynchronised;
}

void CZJDPClient::OnSyncTime(const SReply& reply)
{
    FrameTimer.Update();
    const double trip = GameClock - reply.echo;
    if (trip <= halfTrip)
        halfTrip = trip;
    if (clockOffset >= reply.difference)
        clockOffset = reply.difference;
}

uint32_t CZJDPClient::BuildHeader(uint32_t count, uint32_t bytes)
{
    SNetObjectHeader header;
    header.viewX = ViewFrame.position.x;
    header.viewY = ViewFrame.position.y;
    header.viewDistance = static_cast<float>(VisibleRadius) * 10.0f;
    header.time = GameClock + clockOffset - halfTrip;
    header.count = count;
    header.bytes = bytes;
    return EncodeObjectHeader(sendBuffer, kSendBuffer, header);
}

void CZJDPClient::SendData()
{
    GetSendQueueInfo();
    if (queuedMessages >= kQueuedLimit)
        return;
    std::size_t at = ObjectHeader::kSize;
    uint32_t count = 0;
    const double now = GameClock + clockOffset;
    for (CZJObject* object : ObjectList.ExtraList()) {
        const std::size_t room = kSendBuffer - at;
        if (room < kSendReserve)
            break;
        uint8_t* record = sendBuffer + at;
        if (object->owned && (object->netDirty || object->netForce)) {
            int length = 0;
            object->PackNetState(record, &length);
            if (length < static_cast<int>(Record::kBaseSize)
                || length > static_cast<int>(Record::kMaxLength)) {
                LogLine("CZJDPClient::SendData: object 0x%08X packed a record of a bad length",
                    object->networkId);
                continue;
            }
            Put<uint16_t>(record, Record::kLength, static_cast<uint16_t>(length));
            Put<double>(record, Record::kTime, now);
            at += static_cast<std::size_t>(length);
            ++count;
        } else if (!object->owned && object->damagePending) {
            SHitRecord hit;
            hit.netId = object->networkId;
            hit.time = now;
            hit.type = static_cast<uint32_t>(object->type);
            hit.baseState = static_cast<uint32_t>(object->typeIndex);
            hit.damage[0] = object->pendingDamage[0];
            hit.damage[1] = object->pendingDamage[1];
            hit.sender = playerId;
            at += EncodeHitRecord(record, room, hit);
            ++count;
            object->damagePending = 0;
            object->pendingDamage[0] = 0.0f;
            object->pendingDamage[1] = 0.0f;
        }
    }
    if (count == 0)
        return;
    BuildHeader(count, static_cast<uint32_t>(at - ObjectHeader::kSize));
    Send(sendBuffer, static_cast<uint32_t>(at), true);
}

int32_t CZJDPClient::SendHello()
{
    ZJ_TRACE("CZJDPClient::SendHello");
    return Send(sendBuffer, BuildHeader(0, 0), false);
}

bool CZJDPClient::GetData()
{
    ZJ_TRACE("CZJDPClient::GetData()");
    return ProcessMessages();
}

void CZJDPClient::OnProcessMessage(uint8_t* payload, uint32_t size)
{
    ZJ_TRACE("CZJDPClient::OnProcessMessage");
    if (size < 4)
        return;
    const uint32_t id = Get<uint32_t>(payload, Reply::kId);
    if (id == NETREPLY_OBJECTS) {
        LoadObjects(payload, size);
        return;
    }
    lastReplyId = id;
    SReply reply;
    const Status status = DecodeReply(payload, size, reply);
    if (status != Status::Ok) {
        if (id >= NETREPLY_GAMELIST && id <= NETREPLY_KILLED)
            LogLine("CZJDPClient: reply %u ignored: %s", id, StatusText(status));
        return;
    }
    switch (id) {
    case NETREPLY_GAMELIST:
        ReplaceGames(reply);
        break;
    case NETREPLY_SYNCTIME:
        OnSyncTime(reply);
        break;
    case NETREPLY_WELCOME:
        playerId = reply.playerId;
        break;
    case NETREPLY_GAMECREATED:
        gameId = reply.game.id;
        break;
    case NETREPLY_PLAYERJOINED:
        if (g_pMessager)
            g_pMessager->AddMessage(CP1251("К игре присоединился новый игрок"), 1, nullptr);
        RequestPlayerList();
        break;
    case NETREPLY_PLAYERLEFT:
        if (g_pMessager)
            g_pMessager->AddMessage(CP1251("Игрок отсоединился от игры"), 1, nullptr);
        RequestPlayerList();
        break;
    case NETREPLY_STARTED:
        started = 1;
        break;
    case NETREPLY_PLAYERLIST:
        ReplacePlayers(reply);
        break;
    case NETREPLY_KILLED:
        OnPlayerKilled(reply);
        break;
    default:
        break;
    }
    ++replyCount[id];
}

void CZJDPClient::ReplaceGames(const SReply& reply)
{
    uint32_t plain = 0;
    for (uint32_t i = 0; i < reply.count; ++i)
        if (IsPlainGameName(reinterpret_cast<const char*>(reply.items) + std::size_t(i) * GameParam::kSize
                + GameParam::kName))
            ++plain;
    games.Done();
    if (plain != 0)
        games.AddEmpty(true, static_cast<int>(plain));
    int at = 0;
    for (uint32_t i = 0; i < reply.count; ++i) {
        const uint8_t* entry = reply.items + std::size_t(i) * GameParam::kSize;
        if (IsPlainGameName(reinterpret_cast<const char*>(entry + GameParam::kName)))
            games.At(at++) = ReadGameParam(entry);
        else
            LogLine(
                "CZJDPClient: game %u left out: its name is not a plain file name", Get<uint32_t>(entry, 0));
    }
}

void CZJDPClient::ReplacePlayers(const SReply& reply)
{
    players.Done();
    if (reply.count != 0)
        players.AddEmpty(true, static_cast<int>(reply.count));
    for (uint32_t i = 0; i < reply.count; ++i)
        players.At(static_cast<int>(i)) = ReadPlayerInfo(reply.items + std::size_t(i) * PlayerInfo::kSize);
}

void CZJDPClient::OnPlayerKilled(const SReply& reply)
{
    const SPlayerInfo* killer = nullptr;
    const SPlayerInfo* victim = nullptr;
    for (const SPlayerInfo& info : players) {
        if (killer == nullptr && info.id == reply.killer)
            killer = &info;
        if (victim == nullptr && info.id == reply.victim)
            victim = &info;
    }
    if (killer == nullptr || victim == nullptr)
        return;
    CXAnsiString text("INT_NET_PLAYER_WAS_KILLED_BY");
    if (g_pScriptManager)
        g_pScriptManager->GetText("INT_NET_PLAYER_WAS_KILLED_BY", text);
    // Player names are text in the message, never mark-up.
    if (g_pMessager)
        g_pMessager->AddMessage(
            FormatTwoNames(text.Text(), StripMarkup(killer->name).c_str(), StripMarkup(victim->name).c_str())
                .c_str(),
            1, nullptr);
}

void CZJDPClient::LoadObjects(uint8_t* payload, uint32_t size)
{
    try {
        SReply reply;
        if (DecodeReply(payload, size, reply) != Status::Ok || reply.id != NETREPLY_OBJECTS)
            return;
        WalkRecords(payload + Reply::kObjectsRecords, reply.itemBytes, reply.count, reply.recordBytes,
            [this](uint8_t* record, uint32_t length) { ApplyRecord(record, length); });
    } catch (...) {
        AppendCallTrace("CZJDPClient::LoadObjects");
        FlushCallTrace();
    }
}

void CZJDPClient::ApplyRecord(uint8_t* record, uint32_t)
{
    const double time = Get<double>(record, Record::kTime) + halfTrip - clockOffset;
    Put<double>(record, Record::kTime, time);
    if (GameClock - time > kMaxRecordAge)
        return;
    const uint32_t netId = Get<uint32_t>(record, Record::kNetId);
    const uint8_t kind = record[Record::kKind];
    CZJObject* object = ObjectList.FindNetObject(netId);
    int length = 0;
    switch (kind) {
    case Record::kFinal:
        if (object == nullptr)
            return;
        object->UnpackNetState(record, &length);
        if (!object->alive && !ObjectList.IsDeletePending(object))
            ObjectList.DeleteObject(object);
        return;
    case Record::kHit: {
        if (object == nullptr || !object->owned)
            return;
        const bool mine = object == PlayerObject;
        const bool wasOut = mine && PlayerFerrovant != nullptr && PlayerFerrovant->dead;
        const float damage0 = Get<float>(record, Hit::kDamage0);
        const float damage1 = Get<float>(record, Hit::kDamage1);
        const Vec3 zero { 0.0f, 0.0f, 0.0f };
        if (damage0 != 0.0f)
            object->Damage(damage0, zero, 0, nullptr, -1);
        if (damage1 != 0.0f)
            object->Damage(damage1, zero, 1, nullptr, -1);
        const bool outNow = mine && PlayerFerrovant != nullptr && PlayerFerrovant->dead;
        if (mine && !wasOut && outNow && (damage0 != 0.0f || damage1 != 0.0f))
            SendKillReport(Get<uint32_t>(record, Hit::kSender) & kObjectOwnerMask);
        return;
    }
    default: {
        bool created = false;
        if (object == nullptr) {
            object = ZJEngine.CreateNetObject(record);
            if (object == nullptr)
                return;
            created = true;
        }
        if (kind == Record::kForced || time > object->lastRecordTime) {
            object->UnpackNetState(record, &length);
            if (created && object->netInit)
                object->Init();
            if (auto* moving = dynamic_cast<CDynamicObject*>(object))
                moving->netLag = kDynamicAfterRecord;
        }
        return;
    }
    }
}
