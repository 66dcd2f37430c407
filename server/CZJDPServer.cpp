#include "server/CZJDPServer.h"

#include "foundation/CTimer.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

using NetWire::Get;
using NetWire::Put;
using plat::net::Result;

namespace {

constexpr uint32_t kReplyCapacity = NetWire::Reply::kObjectsRecords + SPlayerParam::kPendingSize;

// Signed counts change with wrapping, as the 32 bits on the wire do.
int32_t AddWrapping(int32_t value, int32_t delta)
{
    return static_cast<int32_t>(static_cast<uint32_t>(value) + static_cast<uint32_t>(delta));
}

} // namespace

void SPlayerParam::PushObject(const uint8_t* record, uint32_t length, uint32_t senderIndex)
{
    using namespace NetWire;
    try {
        const uint8_t kind = record[Record::kKind];
        const uint32_t netId = Get<uint32_t>(record, Record::kNetId);
        // A hit is news only for the owner of the object that was hit.
        if (kind == Record::kHit && (netId & kObjectOwnerMask) != playerId)
            return;
        uint32_t at = 0;
        while (at + Record::kBaseSize <= pendingBytes) {
            uint8_t* held = pending + at;
            const uint16_t heldLength = Get<uint16_t>(held, Record::kLength);
            if (heldLength < Record::kBaseSize || heldLength > pendingBytes - at)
                break;
            if (Get<uint32_t>(held, Record::kNetId) == netId) {
                const uint8_t heldKind = held[Record::kKind];
                if (kind == Record::kHit) {
                    if (heldKind == Record::kHit && heldLength == Hit::kSize
                        && Get<uint32_t>(held, Hit::kMergeKey) == senderIndex
                        && Get<uint32_t>(held, Hit::kSender) == Get<uint32_t>(record, Hit::kSender)) {
                        Put<float>(held, Hit::kDamage0,
                            Get<float>(held, Hit::kDamage0) + Get<float>(record, Hit::kDamage0));
                        Put<float>(held, Hit::kDamage1,
                            Get<float>(held, Hit::kDamage1) + Get<float>(record, Hit::kDamage1));
                        Put<uint32_t>(held, Hit::kZero, Get<uint32_t>(record, Hit::kZero));
                        Put<double>(held, Record::kTime, Get<double>(record, Record::kTime));
                        Put<uint32_t>(held, Hit::kSender, Get<uint32_t>(record, Hit::kSender));
                        Put<uint32_t>(held, Hit::kMergeKey, senderIndex);
                        return;
                    }
                } else if (heldKind == kind && heldLength == length
                    && Get<double>(record, Record::kTime) > Get<double>(held, Record::kTime)) {
                    std::memcpy(held, record, length);
                    return;
                }
            }
            at += heldLength;
        }
        if (pendingBytes + length >= kPendingSize) {
            WriteErrorLog("SPlayerParam::PushObject - buffer overflow");
        } else {
            std::memcpy(pending + pendingBytes, record, length);
            pendingBytes += length;
            ++pendingCount;
        }
        // A player seldom flushed gets a fresh start rather than a backlog.
        if (pendingBytes > kPendingLimit)
            pendingBytes = pendingCount = 0;
    } catch (...) {
        pendingBytes = pendingCount = 0;
        AppendCallTrace("SPlayerParam::PushObject");
        throw;
    }
}

CZJDPServer::CZJDPServer(TransportFactory transportFactory)
    : CDPServer8(std::move(transportFactory))
    , reply(new uint8_t[kReplyCapacity])
{
}

CZJDPServer::~CZJDPServer()
{
    // The transport thread must be gone before this object's parts are.
    Close();
    for (SPlayerParam& player : players)
        delete[] player.pending;
    players.Done();
    delete[] reply;
}

double CZJDPServer::TakeTime()
{
    FrameTimer.Update();
    return GameClock;
}

int CZJDPServer::FindPlayer(uint32_t dpnid) const
{
    for (int i = 0; i < players.Count(); ++i)
        if (players.At(i).dpnid == dpnid)
            return i;
    return -1;
}

int CZJDPServer::FindGame(uint32_t id) const
{
    for (int i = 0; i < games.Count(); ++i)
        if (games.At(i).id == id)
            return i;
    return -1;
}

void CZJDPServer::RemoveEmptyGame()
{
    for (int i = 0; i < games.Count(); ++i) {
        if (games.At(i).players == 0) {
            games.Delete(i);
            return;
        }
    }
}

uint32_t CZJDPServer::NextPlayerId()
{
    uint32_t id = lastPlayerId;
    for (uint32_t tries = 0; tries <= kLastPlayerId / kPlayerIdStep; ++tries) {
        id = id >= kLastPlayerId ? kPlayerIdStep : id + kPlayerIdStep;
        const bool held = std::any_of(
            players.begin(), players.end(), [id](const SPlayerParam& p) { return p.playerId == id; });
        if (!held)
            break;
    }
    lastPlayerId = id;
    return id;
}

void CZJDPServer::OnCreatePlayer(const plat::net::CreatePlayerMessage& message)
{
    if (!server)
        return;
    uint32_t size = 0;
    if (server->GetClientInfo(message.player, nullptr, &size) == Result::InvalidPlayer)
        return;
    SPlayerParam record {};
    record.dpnid = message.player;
    record.index = static_cast<uint32_t>(players.Count());
    record.playerId = NextPlayerId();
    record.info.id = record.playerId;
    record.pending = new uint8_t[SPlayerParam::kPendingSize];
    try {
        players.Add(record);
    } catch (...) {
        delete[] record.pending;
        throw;
    }
    SendPlayerReply(record.dpnid, NETREPLY_WELCOME, record.playerId);
}

void CZJDPServer::OnClientInfo(const plat::net::ClientInfoMessage& message)
{
    ZJ_TRACE("CZJDPServer::OnClientInfo");
    const int index = FindPlayer(message.player);
    if (index < 0 || !server)
        return;
    uint32_t size = 0;
    if (server->GetClientInfo(message.player, nullptr, &size) == Result::InvalidPlayer)
        return;
    size = std::max<uint32_t>(size, sizeof(plat::net::PlayerInfo));
    std::vector<uint64_t> buffer((size + 7) / 8, 0);
    auto* info = reinterpret_cast<plat::net::PlayerInfo*>(buffer.data());
    info->size = sizeof(plat::net::PlayerInfo);
    if (!plat::net::Succeeded(server->GetClientInfo(message.player, info, &size))) {
        WriteErrorLog("CZJDPServer::OnClientInfo Can`t get player value");
        return;
    }
    SPlayerParam& player = players.At(index);
    std::fill(std::begin(player.name), std::end(player.name), u'\0');
    if (info->name != nullptr)
        for (int i = 0; i < 63 && info->name[i] != u'\0'; ++i)
            player.name[i] = info->name[i];
}

void CZJDPServer::OnDestroyPlayer(const plat::net::DestroyPlayerMessage& message)
{
    const int index = FindPlayer(message.player);
    if (index < 0) {
        WriteErrorLog("OnDestroyPlayer Player not found");
        return;
    }
    if (FindGame(players.At(index).gameId) >= 0) {
        WriteErrorLog("CZJDPServer::OnDestroyPlayer Deleted player has GAMEID");
        SetGameId(index, 0);
    }
    DeletePlayer(index);
}

void CZJDPServer::DeletePlayer(int index)
{
    uint8_t* pending = players.At(index).pending;
    players.Delete(index);
    delete[] pending;
}

void CZJDPServer::OnProcessMessage(uint32_t dpnid, uint8_t* payload, uint32_t size)
{
    ZJ_TRACE("CZJDPServer::OnProcessMessage");
    now = TakeTime();
    const int sender = FindPlayer(dpnid);
    if (sender < 0)
        return;
    if (size >= sizeof(uint32_t) && Get<uint32_t>(payload, 0) == NETMSG_OBJECTS)
        ProcessObjectMessage(payload, size, sender);
    else
        ProcessSystemMessage(payload, size, sender);
}

void CZJDPServer::LogBadMessage(int sender, const char* what, NetWire::Status status)
{
    SPlayerParam& player = players.At(sender);
    if (!player.badRequestLog.Take(now))
        return;
    char line[160];
    std::snprintf(line, sizeof line,
        "CZJDPServer: a malformed %s from player 0x%08X is dropped: %s (%u more held back)", what,
        player.playerId, NetWire::StatusText(status), player.badRequestLog.TakeSuppressed());
    WriteErrorLog(line);
}

void CZJDPServer::ProcessSystemMessage(const uint8_t* payload, uint32_t size, int sender)
{
    ZJ_TRACE("CZJDPServer::ProcessSystemMessage");
    NetWire::SRequest request;
    const NetWire::Status status = NetWire::DecodeRequest(payload, size, request);
    if (status != NetWire::Status::Ok) {
        LogBadMessage(sender, "request", status);
        return;
    }
    SPlayerParam& player = players.At(sender);
    switch (request.type) {
    case NETSYS_CREATEGAME:
        CreateGame(request, sender);
        break;
    case NETSYS_GETGAMELIST:
        GetGameList(sender);
        break;
    case NETSYS_JOIN:
        Join(request, sender);
        break;
    case NETSYS_LEAVE:
        Leave(request, sender);
        break;
    case NETSYS_STARTGAME:
        StartGame(request, sender);
        break;
    case NETSYS_SYNCTIME:
        SyncTime(request, sender);
        break;
    case NETSYS_GETGAMEPARAM:
        GetGameParam(request, sender);
        break;
    case NETSYS_SETACTIVE:
        player.active = 1;
        break;
    case NETSYS_SETINACTIVE:
        player.active = 0;
        break;
    case NETSYS_SETPLAYERNAME:
        std::memcpy(player.name, request.playerName, sizeof player.name);
        break;
    case NETSYS_GETPLAYERLIST: {
        ZJ_TRACE("CZJDPServer::GetGameList");
        SendPlayerList(player.dpnid);
        break;
    }
    case NETSYS_SETPLAYERINFO:
        SetPlayerInfo(request, sender);
        break;
    case NETSYS_KILLREPORT:
        KillReport(request, sender);
        break;
    default:
        break;
    }
}

void CZJDPServer::CreateGame(const NetWire::SRequest& request, int sender)
{
    ZJ_TRACE("CZJDPServer::CreateGame");
    if (games.Count() != 0)
        return;
    SGameParam game {};
    if (++gameCounter == 0)
        ++gameCounter;
    game.id = gameCounter;
    std::memcpy(game.name, request.gameName, sizeof game.name);
    game.name[sizeof game.name - 1] = '\0';
    games.Add(game);
    SetGameId(sender, game.id);
    const uint32_t size = NetWire::EncodeGameCreated(reply, kReplyCapacity, games.At(FindGame(game.id)));
    SendTo(players.At(sender).dpnid, reply, size, false);
}

void CZJDPServer::GetGameList(int sender)
{
    ZJ_TRACE("CZJDPServer::GetGameList");
    const uint32_t size
        = NetWire::EncodeGameList(reply, kReplyCapacity, games.Data(), static_cast<uint32_t>(games.Count()));
    SendTo(players.At(sender).dpnid, reply, size, false);
}

void CZJDPServer::GetGameParam(const NetWire::SRequest& request, int sender)
{
    ZJ_TRACE("CZJDPServer::GetGameParam");
    for (int i = 0; i < games.Count(); ++i) {
        if (games.At(i).id != request.gameId)
            continue;
        const uint32_t size = NetWire::EncodeGameList(reply, kReplyCapacity, &games.At(i), 1);
        SendTo(players.At(sender).dpnid, reply, size, false);
    }
}

void CZJDPServer::Join(const NetWire::SRequest& request, int sender)
{
    ZJ_TRACE("CZJDPServer::Join");
    // Joining a game that is not there is no success to report.
    if (FindGame(request.gameId) < 0)
        return;
    const uint32_t playerId = players.At(sender).playerId;
    if (players.At(sender).gameId == request.gameId) {
        // A repeated join: the member is only told again.
        SendPlayerReply(players.At(sender).dpnid, NETREPLY_STARTED, playerId);
    } else {
        SetGameId(sender, request.gameId);
        for (int i = 0; i < players.Count(); ++i) {
            const SPlayerParam& member = players.At(i);
            if (member.gameId != request.gameId)
                continue;
            SendPlayerReply(member.dpnid, i == sender ? NETREPLY_STARTED : NETREPLY_PLAYERJOINED, playerId);
        }
    }
    SPlayerParam& player = players.At(sender);
    player.pendingCount = player.pendingBytes = 0;
}

void CZJDPServer::Leave(const NetWire::SRequest& request, int sender)
{
    ZJ_TRACE("CZJDPServer::Leave");
    const uint32_t playerId = players.At(sender).playerId;
    if (request.gameId != 0) {
        for (int i = 0; i < players.Count(); ++i) {
            const SPlayerParam& other = players.At(i);
            if (i != sender && other.active && other.gameId == request.gameId)
                SendPlayerReply(other.dpnid, NETREPLY_PLAYERLEFT, playerId);
        }
    }
    SetGameId(sender, 0);
}

void CZJDPServer::StartGame(const NetWire::SRequest& request, int sender)
{
    ZJ_TRACE("CZJDPServer::StartGame");
    if (FindGame(request.gameId) < 0)
        return;
    SetGameId(sender, request.gameId);
    SPlayerParam& player = players.At(sender);
    SendPlayerReply(player.dpnid, NETREPLY_STARTED, player.playerId);
    player.pendingCount = player.pendingBytes = 0;
}

void CZJDPServer::SyncTime(const NetWire::SRequest& request, int sender)
{
    const uint32_t size
        = NetWire::EncodeSyncTimeReply(reply, kReplyCapacity, request.clock, now - request.clock);
    SendTo(players.At(sender).dpnid, reply, size, false);
}

void CZJDPServer::SetPlayerInfo(const NetWire::SRequest& request, int sender)
{
    SPlayerParam& player = players.At(sender);
    const int32_t kills = player.info.kills;
    player.info = request.info;
    player.info.id = player.playerId;
    player.info.kills = kills;
    SendPlayerList(0);
}

void CZJDPServer::KillReport(const NetWire::SRequest& request, int sender)
{
    SPlayerParam& reporter = players.At(sender);
    if (request.killer == reporter.playerId) {
        reporter.info.kills = AddWrapping(reporter.info.kills, -1);
        return;
    }
    for (SPlayerParam& player : players)
        if (player.playerId == request.killer)
            player.info.kills = AddWrapping(player.info.kills, 1);
    const uint32_t size = NetWire::EncodeKilled(reply, kReplyCapacity, request.killer, reporter.playerId);
    SendTo(0, reply, size, false);
}

void CZJDPServer::SendPlayerList(uint32_t dpnid)
{
    using namespace NetWire;
    uint32_t count = 0;
    for (const SPlayerParam& player : players) {
        if (!player.active)
            continue;
        const std::size_t at = Reply::kListItems + std::size_t(count) * PlayerInfo::kSize;
        if (at + PlayerInfo::kSize > kReplyCapacity)
            break;
        WritePlayerInfo(reply + at, player.info);
        ++count;
    }
    Put<uint32_t>(reply, Reply::kId, NETREPLY_PLAYERLIST);
    Put<uint32_t>(reply, Reply::kListCount, count);
    SendTo(dpnid, reply, static_cast<uint32_t>(Reply::kListItems + count * PlayerInfo::kSize), false);
}

void CZJDPServer::SendPlayerReply(uint32_t dpnid, uint32_t replyId, uint32_t playerId)
{
    const uint32_t size = NetWire::EncodePlayerReply(reply, kReplyCapacity, replyId, playerId);
    SendTo(dpnid, reply, size, false);
}

void CZJDPServer::SetGameId(int index, uint32_t gameId)
{
    SPlayerParam& player = players.At(index);
    const uint32_t left = player.gameId;
    player.gameId = gameId;
    if (gameId != 0)
        RecountGame(gameId, false);
    if (left != 0 && left != gameId)
        RecountGame(left, true);
}

void CZJDPServer::RecountGame(uint32_t gameId, bool deleteEmpty)
{
    const int game = FindGame(gameId);
    if (game < 0)
        return;
    const auto count = static_cast<uint32_t>(std::count_if(
        players.begin(), players.end(), [gameId](const SPlayerParam& p) { return p.gameId == gameId; }));
    games.At(game).players = count;
    if (deleteEmpty && count == 0)
        games.Delete(game);
}

void CZJDPServer::ProcessObjectMessage(const uint8_t* payload, uint32_t size, int sender)
{
    try {
        NetWire::SNetObjectHeader header;
        const NetWire::Status status = NetWire::DecodeObjectHeader(payload, size, header);
        if (status != NetWire::Status::Ok) {
            LogBadMessage(sender, "object message", status);
            return;
        }
        std::memcpy(players.At(sender).playerState, payload + 4, SPlayerParam::kPlayerStateSize);
        const uint32_t senderIndex = static_cast<uint32_t>(sender);
        NetWire::WalkRecords(payload + NetWire::ObjectHeader::kSize, size - NetWire::ObjectHeader::kSize,
            header.count, header.bytes, [&](const uint8_t* record, uint32_t length) {
                for (int i = 0; i < players.Count(); ++i) {
                    SPlayerParam& receiver = players.At(i);
                    if (i != sender && receiver.active)
                        receiver.PushObject(record, length, senderIndex);
                }
            });
        if (header.count == 0)
            return;
        for (int i = 0; i < players.Count(); ++i)
            if (i == sender || now - players.At(i).lastFlush > kFlushInterval)
                SendObjectsToPlayer(i);
    } catch (...) {
        AppendCallTrace("CZJDPServer::ProcessObjectMessage");
        FlushCallTrace();
    }
}

void CZJDPServer::FlushIdlePlayers()
{
    ZJ_TRACE("CZJDPServer::FlushIdlePlayers");
    if (std::none_of(
            players.begin(), players.end(), [](const SPlayerParam& p) { return p.pendingCount != 0; }))
        return;
    now = TakeTime();
    for (int i = 0; i < players.Count(); ++i)
        if (now - players.At(i).lastFlush > kFlushInterval)
            SendObjectsToPlayer(i);
}

void CZJDPServer::SendObjectsToPlayer(int index)
{
    ZJ_TRACE("CZJDPServer::SendObjectsToPlayer");
    SPlayerParam& player = players.At(index);
    if (player.pendingCount == 0)
        return;
    const uint32_t size = NetWire::EncodeObjects(
        reply, kReplyCapacity, player.pendingCount, player.pending, player.pendingBytes);
    const uint32_t dpnid = player.dpnid;
    player.pendingCount = player.pendingBytes = 0;
    player.lastFlush = now;
    SendTo(dpnid, reply, size, true);
}
