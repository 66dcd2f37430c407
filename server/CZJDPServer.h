// CZJDPServer: the game server. One record per connected player, a table that holds at most one
// game, the answers to every system request, the object relay through per-player merge buffers
// and the kill counts. Main thread only.
// A game's player count is the number of player records whose gameId names it; every gameId
// change goes through SetGameId, which keeps the counts and deletes a game that empties.
#pragma once

#include "foundation/XDynamicArray.h"
#include "net/wire/NetWire.h"
#include "server/CDPServer8.h"
#include "server/SLogLimit.h"

#include <cstdint>

// One connected player. The pending area is owned by the record and freed by its owner
// (CZJDPServer) when the record is deleted; copies of the record share it.
struct SPlayerParam {
    static constexpr uint32_t kPendingSize = 204800;
    static constexpr uint32_t kPlayerStateSize = NetWire::ObjectHeader::kPlayerState;

    uint32_t dpnid; // transport id of the player
    uint32_t index; // number of player records when it was created
    uint8_t active; // only active players receive relayed records and appear in player lists
    char16_t name[64]; // at most 63 characters
    uint32_t playerId; // the server's id of the player
    uint32_t gameId; // 0: none
    SPlayerInfo info; // public state; id and kills are the server's
    uint32_t pendingCount; // records waiting in pending
    uint32_t pendingBytes; // bytes used in pending
    uint8_t* pending; // kPendingSize bytes: records packed as on the wire
    double lastFlush; // server time of the last objects reply to this player
    uint8_t playerState[kPlayerStateSize]; // +4..+67 of the player's latest object message
    SLogLimit badRequestLog; // lines about the player's malformed messages

    // Merges one record into the pending records (a hit only for the owner of the hit object).
    void PushObject(const uint8_t* record, uint32_t length, uint32_t senderIndex);
};

class CZJDPServer : public CDPServer8 {
public:
    static constexpr uint32_t kPlayerIdStep = 0x100000;
    static constexpr uint32_t kLastPlayerId = 0xFFF00000; // ids keep to the top 12 bits
    static constexpr double kFlushInterval = 0.001;

    explicit CZJDPServer(TransportFactory factory = {});
    ~CZJDPServer() override;

    // Index of the record with that transport id, -1 if none.
    int FindPlayer(uint32_t dpnid) const;
    // Index of the game with that id, -1 if none.
    int FindGame(uint32_t id) const;
    // Deletes the first game whose player count is 0.
    void RemoveEmptyGame();
    // The pending records of player `index` as one unreliable objects reply; nothing when none.
    void SendObjectsToPlayer(int index);
    // For the main loop when nothing was queued: sends the pending records of every player whose
    // last flush is over kFlushInterval old, so that no record waits for a later arrival.
    void FlushIdlePlayers();

    uint32_t lastPlayerId = 0;
    uint32_t gameCounter = 0;
    double now = 0; // server time at the start of the payload being handled
    XDynamicArray<SPlayerParam> players;
    XDynamicArray<SGameParam> games;

protected:
    void OnCreatePlayer(const plat::net::CreatePlayerMessage& message) override;
    void OnDestroyPlayer(const plat::net::DestroyPlayerMessage& message) override;
    void OnProcessMessage(uint32_t dpnid, uint8_t* payload, uint32_t size) override;
    void OnClientInfo(const plat::net::ClientInfoMessage& message) override;
    // The server's clock: the frame timer, updated.
    virtual double TakeTime();

private:
    void ProcessSystemMessage(const uint8_t* payload, uint32_t size, int sender);
    void ProcessObjectMessage(const uint8_t* payload, uint32_t size, int sender);
    void CreateGame(const NetWire::SRequest& request, int sender);
    void GetGameList(int sender);
    void GetGameParam(const NetWire::SRequest& request, int sender);
    void Join(const NetWire::SRequest& request, int sender);
    void Leave(const NetWire::SRequest& request, int sender);
    void StartGame(const NetWire::SRequest& request, int sender);
    void SyncTime(const NetWire::SRequest& request, int sender);
    void SetPlayerInfo(const NetWire::SRequest& request, int sender);
    void KillReport(const NetWire::SRequest& request, int sender);
    // The player list of the active players to `dpnid` (0: every player).
    void SendPlayerList(uint32_t dpnid);
    void SendPlayerReply(uint32_t dpnid, uint32_t replyId, uint32_t playerId);
    // Moves player `index` into game `gameId` (0: none), recounts both games and deletes the
    // one it left when that is now empty.
    void SetGameId(int index, uint32_t gameId);
    void RecountGame(uint32_t gameId, bool deleteEmpty);
    uint32_t NextPlayerId();
    void DeletePlayer(int index);
    void LogBadMessage(int sender, const char* what, NetWire::Status status);

    uint8_t* reply = nullptr; // every reply is built here
};
