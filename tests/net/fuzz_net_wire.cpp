// Fuzz entry: every decoder of the wire protocol and the record walk over the same bytes.
#include "net/wire/NetWire.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace NetWire;
    SRequest request;
    (void)DecodeRequest(data, size, request);

    uint64_t sum = 0;
    SNetObjectHeader header;
    if (DecodeObjectHeader(data, size, header) == Status::Ok)
        WalkRecords(data + ObjectHeader::kSize, size - ObjectHeader::kSize, header.count, header.bytes,
            [&](const uint8_t* record, uint32_t length) { sum += ReadRecordHead(record).netId + length; });

    SReply reply;
    if (DecodeReply(data, size, reply) == Status::Ok) {
        if (reply.id == NETREPLY_GAMELIST)
            for (uint32_t i = 0; i < reply.count; ++i) {
                const SGameParam game = ReadGameParam(reply.items + std::size_t(i) * GameParam::kSize);
                sum += IsPlainGameName(game.name) ? game.id : 0;
            }
        if (reply.id == NETREPLY_PLAYERLIST)
            for (uint32_t i = 0; i < reply.count; ++i)
                sum += ReadPlayerInfo(reply.items + std::size_t(i) * PlayerInfo::kSize).id;
        if (reply.id == NETREPLY_OBJECTS) {
            // The walk may change records in place, as the game's loader does.
            std::vector<uint8_t> copy(reply.items, reply.items + reply.itemBytes);
            WalkRecords(
                copy.data(), copy.size(), reply.count, reply.recordBytes, [&](uint8_t* record, uint32_t) {
                    Put<double>(record, Record::kTime, Get<double>(record, Record::kTime) + 1.0);
                    if (record[Record::kKind] == Record::kHit)
                        sum += ReadHitRecord(record).sender;
                });
        }
    }
    static volatile uint64_t sink = 0;
    sink = sink + sum;
    return 0;
}
