#include "ai/CZJTrade.h"

#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "foundation/XMemBuffer.h"
#include "foundation/XRandom.h"
#include "foundation/XRangeError.h"
#include "world/db/CEquipmentManager.h"
#include "world/db/CGliderManager.h"
#include "world/db/CGoodsManager.h"
#include "world/db/CGunManager.h"
#include "world/db/CMissileManager.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

CZJTrade ZJTrade;

namespace {

constexpr int kKeyBytes = 32;

struct SGoodKind {
    const char* prefix;
    const DefaultManager* table;
};

// Kinds 1..5 of GetGoodInfo: the key prefix and the table that must hold the key.
const SGoodKind kKinds[] = {
    { "TOV", &g_GoodsManager },
    { "GL", &g_GliderManager },
    { "GUN", &g_GunManager },
    { "EQP", &g_EquipmentManager },
    { "AMM", &g_MissileManager },
};

bool HasPrefix(const char* key, const char* prefix)
{
    return std::strncmp(key, prefix, std::strlen(prefix)) == 0;
}

bool SameKey(const char* a, const char* b)
{
    return std::strncmp(a, b, kKeyBytes) == 0;
}

// A caller's key with its terminator inside the field.
NameKey32 Terminated(NameKey32 key)
{
    key.text[kKeyBytes - 1] = '\0';
    return key;
}

// The goods-table row of a key, null when the table lacks it.
const SGoodsType* FindGoodsRow(const char* key)
{
    const int row = g_GoodsManager.GetRowNames().Find(key);
    return row < 0 ? nullptr : &g_GoodsManager.GetDesc(row);
}

int32_t TruncateStock(float stock)
{
    if (!(stock > -2147483648.0f))
        return stock < 0 ? INT32_MIN : 0;
    if (!(stock < 2147483648.0f))
        return INT32_MAX;
    return int32_t(stock);
}

[[noreturn]] void FailLoad(const char* what, uint32_t value, int offset)
{
    char line[160];
    std::snprintf(line, sizeof line, "CZJTrade::Load bad %s %u at offset %d", what, value, offset);
    WriteErrorLog(line);
    throw XRangeError();
}

// A u32 at the stream's position; a block cut before it fails the load.
uint32_t ReadWord(XMemBuffer& stream, const char* what)
{
    if (stream.Remaining() < 4) {
        WriteErrorLog(std::string("CZJTrade::Load short block at ") + what);
        throw XRangeError();
    }
    return stream.ReadU32();
}

} // namespace

STradeEntry* CZJTrade::FindEntry(NameKey32 building)
{
    for (int i = 0; i < entryCount; ++i) {
        STradeEntry& entry = entries.At(i);
        if (SameKey(entry.building, building.text))
            return &entry;
    }
    return nullptr;
}

SBuildingTrade* CZJTrade::FindGood(STradeEntry* entry, NameKey32 good)
{
    if (!entry)
        return nullptr;
    for (SBuildingTrade& record : entry->goods) {
        if (SameKey(record.key, good.text))
            return &record;
    }
    return nullptr;
}

SBuildingTrade* CZJTrade::GetGood(NameKey32 building, NameKey32 good)
{
    return FindGood(FindEntry(building), good);
}

bool CZJTrade::GetPrice(NameKey32 building, NameKey32 good, bool useBuyPrice, float& price, int32_t* stock)
{
    const SBuildingTrade* record = GetGood(building, good);
    if (!record)
        return false;
    price = useBuyPrice ? record->buyPrice : ComputePrice(*record);
    if (stock)
        *stock = TruncateStock(record->stock);
    return price > 0.0f;
}

void CZJTrade::GetGoodInfo(
    NameKey32 building, int32_t kind, XDynamicArray<SBuildingTrade*>& list, bool buying)
{
    STradeEntry* entry = FindEntry(building);
    if (!entry)
        return;
    list.Done();
    if (kind < kGoods || kind > kAmmunition)
        return;
    const SGoodKind& goodKind = kKinds[kind - kGoods];
    for (SBuildingTrade& record : entry->goods) {
        if (!HasPrefix(record.key, goodKind.prefix))
            continue;
        if (kind == kGoods && !(buying ? record.buyPrice > 0.0f : record.maxPrice > 0.0f))
            continue;
        const int row = goodKind.table->GetRowNames().Find(record.key);
        if (row < 0)
            continue;
        if (kind == kAmmunition && g_MissileManager.GetDesc(row).noTrade)
            continue;
        list.Add(&record);
    }
}

void CZJTrade::Buy(NameKey32 building, NameKey32 good, int32_t amount)
{
    good = Terminated(good);
    SBuildingTrade* record = GetGood(building, good);
    if (!record) {
        WriteErrorLog(std::string("SBuildingTrade::Buy buy unknown good = '") + good.text + "'");
        return;
    }
    record->stock -= float(amount);
}

void CZJTrade::Sold(NameKey32 building, NameKey32 good, int32_t amount)
{
    ZJ_TRACE("CZJTrade::Sold");
    building = Terminated(building);
    good = Terminated(good);
    STradeEntry* entry = FindEntry(building);
    if (!entry) {
        WriteErrorLog(std::string("CZJTrade::Sold unknown building = '") + building.text + "'");
        return;
    }
    if (SBuildingTrade* record = FindGood(entry, good)) {
        record->stock += float(amount);
        return;
    }
    const SGoodsType* row = FindGoodsRow(good.text);
    const float base = row ? row->price : 100.0f;
    SBuildingTrade* record = entry->goods.AddEmpty(true);
    std::memcpy(record->key, good.text, kKeyBytes);
    record->soldIn = 1;
    record->production = base * 0.75f;
    record->buyPrice = record->production;
    record->stock = float(amount);
}

float CZJTrade::ComputePrice(const SBuildingTrade& record) const
{
    const SGoodsType* row = FindGoodsRow(record.key);
    if (!row)
        return record.maxPrice;
    float s = std::sqrt(row->mass * 0.0002f) * record.stock;
    if (s < 0.0f)
        s = 0.0f;
    const float k = record.steepCurve ? 0.5f : 0.05f;
    const float f = record.steepCurve ? 0.1f : 0.04f;
    const float span = record.maxPrice - record.minPrice;
    // A flat curve has only its floor.
    if (span == 0.0f)
        return record.minPrice * (1.0f + f);
    return record.minPrice + span * std::fmax(std::exp(-k * s), f * record.minPrice / span);
}

void CZJTrade::TickEntry(STradeEntry& entry)
{
    for (SBuildingTrade& record : entry.goods) {
        if (!(record.minPrice > 0.0f))
            continue;
        const SGoodsType* row = FindGoodsRow(record.key);
        if (!row)
            continue;
        const float w = row->mass + 0.1f;
        const float mass = w * record.stock;
        const float q = mass > 20000.0f ? 10000.0f : mass > 10000.0f ? 5000.0f : 2000.0f;
        record.stock -= (SharedRandom.Get(1.0f) + 0.5f) / w * q / 24.0f;
        if (record.stock < 0.0f)
            record.stock = 0.0f;
    }
    entry.tickMark = 1;
    for (SBuildingTrade& record : entry.goods) {
        if (!(record.production > 0.0f) || SharedRandom.GetInt(24) >= 3)
            continue;
        if (record.stock <= 3.0f * record.normalStock)
            record.stock += (SharedRandom.Get(1.4f) + 0.3f) * record.normalStock / 3.0f;
        else
            record.stock = 0.0f;
    }
}

void CZJTrade::Run(int32_t)
{
    ZJ_TRACE("CZJTrade::Run");
    for (int i = 0; i < entryCount; ++i)
        TickEntry(entries.At(i));
}

void CZJTrade::UpdatePrices()
{
    for (int i = 0; i < entryCount; ++i) {
        for (SBuildingTrade& record : entries.At(i).goods) {
            if (!HasPrefix(record.key, "TOV"))
                continue;
            if (record.steepCurve && record.maxPrice > 0.0f)
                record.maxPrice = (record.minPrice + record.maxPrice) * 0.5f;
            else if (!record.soldIn && record.maxPrice > 1.5f * record.minPrice)
                record.maxPrice = (record.maxPrice + record.minPrice) * 0.5f;
        }
    }
}

void CZJTrade::GetRandomGood(NameKey32& key)
{
    ZJ_TRACE("CZJTrade::GetRandomGood");
    const int32_t none = -1;
    std::memcpy(key.text, &none, sizeof none);
    if (entryCount <= 0)
        return;
    const int start = SharedRandom.GetInt(entryCount);
    for (int i = 0; i < entryCount; ++i) {
        STradeEntry& entry = entries.At((start + i) % entryCount);
        const int count = entry.goods.Count();
        if (count == 0)
            continue;
        const int first = SharedRandom.GetInt(count);
        for (int j = 0; j < count; ++j) {
            const SBuildingTrade& record = entry.goods.At((first + j) % count);
            if (record.buyPrice > 0.0f && strnlen(record.key, kKeyBytes) > 3
                && HasPrefix(record.key, "TOV")) {
                std::memcpy(key.text, record.key, kKeyBytes);
                return;
            }
        }
    }
}

void CZJTrade::Clear()
{
    for (int i = 0; i < kMaxEntries; ++i)
        entries.At(i).goods.Done();
    entryCount = 0;
}

void CZJTrade::Load(XMemBuffer& stream)
{
    ZJ_TRACE("CZJTrade::Load");
    Clear();
    try {
        const uint32_t version = ReadWord(stream, "version");
        reserved = version == 2 ? ReadWord(stream, "reserved word") : 0;
        const int countAt = stream.Position();
        const uint32_t count = ReadWord(stream, "entry count");
        // Every entry holds at least its key and its goods count.
        if (count > uint32_t(kMaxEntries) || uint64_t(count) * 36 > uint64_t(stream.Remaining()))
            FailLoad("entry count", count, countAt);
        for (uint32_t i = 0; i < count; ++i) {
            STradeEntry& entry = entries.At(int(i));
            if (stream.Remaining() < kKeyBytes)
                FailLoad("building key of entry", i, stream.Position());
            stream.Read(entry.building, kKeyBytes);
            entry.building[kKeyBytes - 1] = '\0';
            const int goodsAt = stream.Position();
            const uint32_t goods = ReadWord(stream, "goods count");
            if (uint64_t(goods) * sizeof(SBuildingTrade) > uint64_t(stream.Remaining()))
                FailLoad("goods count", goods, goodsAt);
            entry.goods.SetSize(int(goods));
            if (goods != 0)
                stream.Read(entry.goods.Data(), int(goods * sizeof(SBuildingTrade)));
            for (SBuildingTrade& record : entry.goods)
                record.key[kKeyBytes - 1] = '\0';
            entry.loaded = 1;
            entryCount = int32_t(i) + 1;
        }
    } catch (...) {
        Clear();
        throw;
    }
}

void CZJTrade::Save(XMemBuffer& stream) const
{
    stream.WriteValue(kVersion);
    stream.WriteValue(reserved);
    stream.WriteValue(uint32_t(entryCount));
    for (int i = 0; i < entryCount; ++i) {
        const STradeEntry& entry = entries.At(i);
        stream.Write(entry.building, kKeyBytes);
        stream.WriteValue(uint32_t(entry.goods.Count()));
        if (!entry.goods.IsEmpty())
            stream.Write(entry.goods.Data(), int(entry.goods.Count() * int(sizeof(SBuildingTrade))));
    }
}
