// A game-side client for server tests: the game's client transport, bound to 127.0.0.1, that
// sends requests and numbered object records and keeps what the server answers.
#pragma once

#include "net/CDPClient8.h"
#include "net/NetSession.h"
#include "net/wire/NetWire.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <thread>
#include <vector>

class WireClient : public CDPClient8 {
public:
    static constexpr uint16_t kRecordLength = 40; // the head, a u32 sequence number, one spare byte

    WireClient() { device = plat::net::MakeAddress(0x7F000001, 0); }

    // Searches at 127.0.0.1:port, connects to the first server that answers and waits for WELCOME.
    bool Enter(uint16_t port, const char16_t* name, int timeoutMs = 5000)
    {
        if (!Init())
            return false;
        hostAddress = plat::net::MakeAddress(0x7F000001, port);
        if (!EnumHosts(kZJApplicationGuid))
            return false;
        if (!Poll([this] { return GetHostCount() > 0; }, timeoutMs))
            return false;
        CancelEnumHosts();
        if (!Connect(0, name))
            return false;
        return Poll([this] { return playerId != 0; }, timeoutMs);
    }

    // Drains the transport until `done` holds; false after timeoutMs.
    bool Poll(const std::function<bool()>& done, int timeoutMs)
    {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            ProcessMessages();
            if (done())
                return true;
            if (std::chrono::steady_clock::now() > until)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    int32_t Request(uint32_t type)
    {
        uint8_t message[64];
        return Send(message, NetWire::EncodeRequest(message, sizeof message, type), false);
    }
    int32_t GameRequest(uint32_t type, uint32_t gameId)
    {
        uint8_t message[NetWire::System::kGameSize];
        return Send(message, NetWire::EncodeGameRequest(message, sizeof message, type, gameId), false);
    }
    int32_t CreateGame(const char* name)
    {
        uint8_t message[NetWire::System::kGameSize];
        return Send(message, NetWire::EncodeCreateGame(message, sizeof message, name), false);
    }
    // One object message with one record of this client's object 1, numbered `sequence`.
    int32_t SendRecord(uint32_t sequence)
    {
        uint8_t message[NetWire::ObjectHeader::kSize + kRecordLength] = {};
        NetWire::SNetObjectHeader header;
        header.count = 1;
        header.bytes = kRecordLength;
        NetWire::EncodeObjectHeader(message, sizeof message, header);
        NetWire::SNetObjectRecord head;
        head.netId = playerId | 1;
        head.time = sequence;
        head.kind = NetWire::Record::kState;
        head.length = kRecordLength;
        uint8_t* record = message + NetWire::ObjectHeader::kSize;
        NetWire::EncodeRecordHead(record, kRecordLength, head);
        NetWire::Put<uint32_t>(record, NetWire::Record::kBaseSize, sequence);
        return Send(message, sizeof message, true);
    }

    uint32_t Count(uint32_t reply) const { return reply < 12 ? replies[reply] : 0; }

    uint32_t playerId = 0;
    uint32_t replies[12] = {};
    uint32_t lastStarted = 0;
    std::vector<uint32_t> joined; // NETREPLY_PLAYERJOINED ids
    std::vector<SGameParam> games; // the latest list
    std::vector<SPlayerInfo> players; // the latest list
    SGameParam created {};
    std::map<uint32_t, std::set<uint32_t>> records; // by owner: the sequence numbers received

protected:
    void OnProcessMessage(uint8_t* payload, uint32_t size) override
    {
        NetWire::SReply reply;
        if (NetWire::DecodeReply(payload, size, reply) != NetWire::Status::Ok)
            return;
        ++replies[reply.id];
        switch (reply.id) {
        case NETREPLY_WELCOME:
            playerId = reply.playerId;
            break;
        case NETREPLY_STARTED:
            lastStarted = reply.playerId;
            break;
        case NETREPLY_PLAYERJOINED:
            joined.push_back(reply.playerId);
            break;
        case NETREPLY_GAMECREATED:
            created = reply.game;
            break;
        case NETREPLY_GAMELIST:
            games.clear();
            for (uint32_t i = 0; i < reply.count; ++i)
                games.push_back(
                    NetWire::ReadGameParam(reply.items + std::size_t(i) * NetWire::GameParam::kSize));
            break;
        case NETREPLY_PLAYERLIST:
            players.clear();
            for (uint32_t i = 0; i < reply.count; ++i)
                players.push_back(
                    NetWire::ReadPlayerInfo(reply.items + std::size_t(i) * NetWire::PlayerInfo::kSize));
            break;
        case NETREPLY_OBJECTS:
            NetWire::WalkRecords(reply.items, reply.itemBytes, reply.count, reply.recordBytes,
                [this](const uint8_t* record, uint32_t length) {
                    if (length < kRecordLength)
                        return;
                    const uint32_t owner = NetWire::Get<uint32_t>(record, 0) & NetWire::kObjectOwnerMask;
                    records[owner].insert(NetWire::Get<uint32_t>(record, NetWire::Record::kBaseSize));
                });
            break;
        default:
            break;
        }
    }
};
