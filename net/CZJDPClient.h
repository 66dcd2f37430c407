// CZJDPClient: the game's network client. It lists, creates, joins, starts and leaves the
// server's single game, keeps the game clock in step with the server's, publishes the player's
// state, reports kills, sends the state of the objects this game owns and applies the records
// relayed from the other players. Main thread only; waits poll the transport with 1 ms sleeps.
// A wait succeeds when a reply of its id has arrived since it began, whatever came after it.
#pragma once

#include "foundation/XDynamicArray.h"
#include "net/CDPClient8.h"
#include "net/wire/NetWire.h"

#include <cstdint>
#include <functional>

class CZJDPClient : public CDPClient8 {
public:
    using SleepFunction = std::function<void(uint32_t milliseconds)>;

    static constexpr double kNotSynchronised = 1.0e11;
    static constexpr double kMaxRecordAge = 5.0;

    // The sleep between polls; none given: the kernel layer's Sleep.
    explicit CZJDPClient(TransportFactory factory = {}, SleepFunction sleep = {});
    ~CZJDPClient() override;

    // Reads cfg.ini [NET] PlayerName (default "CLIENT", at most 63 characters), RunServer and
    // Enable from the base directory's "DATA\CONFIG\" + file.
    void LoadConfig(const char* file);
    // Up to `tries` polls, 1 ms apart, until a reply `id` arrives.
    bool WaitForReply(uint32_t id, int tries);
    // Three rounds of NETSYS_GETGAMELIST; true also when none was answered (games then stays).
    bool GetGameList();
    // Creates (name: a plain location file name), starts and synchronises.
    bool CreateGame(const char* name);
    // Joins (up to 5 requests) and synchronises.
    bool Join(uint32_t id);
    void LeaveGame();
    void SendPlayState(bool active);
    void RequestPlayerList();
    void SendPlayerInfo(const SPlayerInfo& info);
    void SendKillReport(uint32_t killer);
    // Three rounds; true when the clock offset was measured.
    bool SyncTime();
    // The changed states of owned objects and the pending hits, unreliable; nothing when 3 or
    // more messages are queued or nothing changed. Packing stops with less than 10,000 bytes
    // of room; objects left out keep their flags for the next frame.
    void SendData();
    // The object-message header alone, guaranteed; the transport's result (negative when not
    // connected or the connection is lost).
    int32_t SendHello();
    bool GetData();
    // Applies the records of a NETREPLY_OBJECTS payload (times converted in place).
    void LoadObjects(uint8_t* payload, uint32_t size);

    uint32_t lastReplyId = 0; // the latest reply dispatched (all but 6)
    double clockOffset = kNotSynchronised; // server clock - game clock
    double halfTrip = kNotSynchronised;
    uint8_t started = 0;
    uint8_t runServer = 0;
    uint8_t enabled = 0;
    XDynamicArray<SGameParam> games;
    XDynamicArray<SPlayerInfo> players;
    char16_t playerName[64] = {};
    uint32_t gameId = 0;
    uint32_t playerId = 0;
    uint32_t replyCount[12] = {}; // replies dispatched, by id

protected:
    void OnProcessMessage(uint8_t* payload, uint32_t size) override;

private:
    void OnPlayerKilled(const NetWire::SReply& reply);
    void OnSyncTime(const NetWire::SReply& reply);
    void ReplaceGames(const NetWire::SReply& reply);
    void ReplacePlayers(const NetWire::SReply& reply);
    void ApplyRecord(uint8_t* record, uint32_t length);
    // Polls until the count of `id` differs from `before`; false after `tries` polls.
    bool PollFor(uint32_t id, uint32_t before, int tries);
    uint32_t BuildHeader(uint32_t count, uint32_t bytes);
    int32_t SendRequest(uint32_t size);
    uint32_t Count(uint32_t id) const { return id < 12 ? replyCount[id] : 0; }

    SleepFunction sleep;
    uint8_t* sendBuffer = nullptr;
};

// The game's one network client.
extern CZJDPClient NetClient;
