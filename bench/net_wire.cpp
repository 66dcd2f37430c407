// Wire protocol: decoding and walking a full reply 6 against copying the same bytes.
#include "bench/requirements.h"
#include "net/wire/NetWire.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

using namespace NetWire;

namespace {

constexpr uint16_t kRecordLength = 140; // a glider's state record

// A NETREPLY_OBJECTS as large as the server sends: 140-byte records filling 102,400 bytes.
const std::vector<uint8_t>& FullReply()
{
    static const std::vector<uint8_t> reply = [] {
        const uint32_t count = kPendingLimit / kRecordLength;
        std::vector<uint8_t> records(std::size_t(count) * kRecordLength);
        for (uint32_t i = 0; i < count; ++i) {
            SNetObjectRecord head;
            head.netId = 0x100000 + i;
            head.time = 1000.0 + i * 0.001;
            head.kind = i % 7 == 0 ? Record::kForced : Record::kState;
            head.type = 14;
            head.length = kRecordLength;
            EncodeRecordHead(records.data() + std::size_t(i) * kRecordLength, kRecordLength, head);
        }
        std::vector<uint8_t> bytes(kGameReceiveBuffer);
        bytes.resize(EncodeObjects(
            bytes.data(), bytes.size(), count, records.data(), static_cast<uint32_t>(records.size())));
        return bytes;
    }();
    return reply;
}

void BM_NetWireMemcpy(benchmark::State& state)
{
    const std::vector<uint8_t>& reply = FullReply();
    std::vector<uint8_t> copy(reply.size());
    for (auto _ : state) {
        std::memcpy(copy.data(), reply.data(), reply.size());
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(reply.size()));
}
BENCHMARK(BM_NetWireMemcpy);

void BM_NetWireWalk(benchmark::State& state)
{
    const std::vector<uint8_t>& reply = FullReply();
    for (auto _ : state) {
        SReply decoded;
        uint32_t sum = 0;
        if (DecodeReply(reply.data(), reply.size(), decoded) == Status::Ok)
            WalkRecords(decoded.items, decoded.itemBytes, decoded.count, decoded.recordBytes,
                [&](const uint8_t* record, uint32_t length) {
                    sum += Get<uint32_t>(record, Record::kNetId) + record[Record::kKind] + length;
                });
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(reply.size()));
}
BENCHMARK(BM_NetWireWalk);

const bool kRequired = zoq::bench::Require({
    "walking and validating a full reply 6 runs at >= 50% of memcpy's throughput over it",
    [](const zoq::bench::Results& r) {
        return zoq::bench::TimeOf(r, "BM_NetWireMemcpy") / zoq::bench::TimeOf(r, "BM_NetWireWalk");
    },
    0.5,
    false,
});

} // namespace
