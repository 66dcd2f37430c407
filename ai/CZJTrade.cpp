// Stand-in until the building trade lands.
#include "ai/CZJTrade.h"

#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "foundation/XMemBuffer.h"
#include "foundation/XRangeError.h"

#include <cstdio>
#include <cstring>

CZJTrade ZJTrade;

namespace {

uint32_t ReadCount(XMemBuffer& stream, uint64_t unit, uint64_t limit, const char* what)
{
    if (stream.Remaining() < 4) {
        WriteErrorLog(std::string("CZJTrade::Load short section at ") + what);
        throw XRangeError();
    }
    const uint32_t count = stream.ReadU32();
    if ((limit != 0 && count > limit) || uint64_t(count) * unit > uint64_t(stream.Remaining())) {
        char line[160];
        std::snprintf(
            line, sizeof line, "CZJTrade::Load bad %s %u at offset %d", what, count, stream.Position() - 4);
        WriteErrorLog(line);
        throw XRangeError();
    }
    return count;
}

} // namespace

void CZJTrade::Load(XMemBuffer& stream)
{
    ZJ_TRACE("CZJTrade::Load");
    entries.clear();
    version = ReadCount(stream, 0, 0, "version");
    if (version == 2)
        ReadCount(stream, 0, 0, "version 2 word");
    const uint32_t count = ReadCount(stream, 36, kMaxEntries, "entry count");
    for (uint32_t i = 0; i < count; ++i) {
        SEntry entry {};
        if (stream.Remaining() < 32) {
            entries.clear();
            WriteErrorLog("CZJTrade::Load short section at building key");
            throw XRangeError();
        }
        stream.Read(entry.building, 32);
        entry.building[31] = '\0';
        entry.goodsCount = ReadCount(stream, kGoodsRecordBytes, 0, "goods count");
        entry.goods.resize(size_t(entry.goodsCount) * kGoodsRecordBytes);
        if (!entry.goods.empty())
            stream.Read(entry.goods.data(), int(entry.goods.size()));
        entries.push_back(std::move(entry));
    }
}
