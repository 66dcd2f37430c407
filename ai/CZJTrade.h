// The world's one trade table: up to 100 trading buildings, each with its goods records. Stock is
// consumed and produced once per game hour; the selling price of a good falls as its stock grows.
// Pointers to records stay valid only until the building's goods change (Sold, Load).
#pragma once

#include "ai/SBuildingTrade.h"
#include "foundation/NameKey32.h"
#include "foundation/XDynamicArray.h"
#include "foundation/XFixedArray.h"

#include <cstdint>

class XMemBuffer;

struct STradeEntry {
    char building[32] {};
    uint8_t loaded = 1;
    uint8_t tickMark = 1;
    XDynamicArray<SBuildingTrade> goods;
};

class CZJTrade {
public:
    static constexpr int kMaxEntries = 100;
    static constexpr uint32_t kVersion = 2;

    // Kinds of goods for GetGoodInfo, by key prefix.
    enum EGoodKind : int32_t { kGoods = 1, kGliders = 2, kGuns = 3, kEquipment = 4, kAmmunition = 5 };

    // Exact, case-sensitive look-ups; null when absent.
    STradeEntry* FindEntry(NameKey32 building);
    SBuildingTrade* FindGood(STradeEntry* entry, NameKey32 good);
    SBuildingTrade* GetGood(NameKey32 building, NameKey32 good);

    // The buying price (useBuyPrice) or the curve price of a good, and its stock truncated toward
    // 0 (stock may be null). False when the building or the good is missing or the price is not
    // above 0.
    bool GetPrice(NameKey32 building, NameKey32 good, bool useBuyPrice, float& price, int32_t* stock);
    // Fills list with the building's own records of one kind, in record order: kind 1 only those
    // bought (buying) or offered; keys missing from the kind's table and ammunition kept out of
    // trade are left out. A missing building leaves the list untouched.
    void GetGoodInfo(NameKey32 building, int32_t kind, XDynamicArray<SBuildingTrade*>& list, bool buying);
    // The player or a group takes goods; an unlisted good is logged and nothing changes.
    void Buy(NameKey32 building, NameKey32 good, int32_t amount);
    // Goods sold to the building; an unlisted good gets a new record offered back at 0.75 x its
    // base price. A missing building is logged and nothing changes.
    void Sold(NameKey32 building, NameKey32 good, int32_t amount);

    // The hourly tick of every entry, in order.
    void Run(int32_t hour);
    // Consumption, tick mark and production of one building, on SharedRandom.
    void TickEntry(STradeEntry& entry);
    // Once after a location's table is loaded: lowers the tops of the goods' price curves.
    void UpdatePrices();
    // The selling price on the record's curve.
    float ComputePrice(const SBuildingTrade& record) const;
    // A random good on offer ("TOV" with a buying price); the first word is -1 when there is none.
    void GetRandomGood(NameKey32& key);

    // The trade block. Load replaces the table; a bad count or a short block logs, empties the
    // table and throws XRangeError. Save writes version 2.
    void Load(XMemBuffer& stream);
    void Save(XMemBuffer& stream) const;
    // Frees every building's goods; no entries.
    void Clear();

    STradeEntry& Entry(int i) { return entries.At(i); }
    const STradeEntry& Entry(int i) const { return entries.At(i); }

    XFixedArray<STradeEntry, kMaxEntries> entries;
    int32_t entryCount = 0;
    uint32_t reserved = 0; // read and written with the table, used nowhere else
};

extern CZJTrade ZJTrade;
