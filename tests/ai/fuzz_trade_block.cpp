// Fuzz entry: the input is a trade block. A block that loads is ticked, priced, searched, saved
// and read back, and must come back the same.
#include "tests/world/db/fuzz_setup.h"

#include "ai/CZJTrade.h"
#include "foundation/CallTrace.h"
#include "foundation/XMemBuffer.h"
#include "foundation/XRandom.h"
#include "world/db/CGoodsManager.h"

#include <cstdint>
#include <cstring>
#include <exception>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool ready = [] {
        UseFuzzFolder({ { "Товары", "[TOV_ORE]\nMASSA=50\nPRICE=120\n[TOV_FOOD]\nMASSA=1\n" } });
        g_GoodsManager.Init(CP1251("Товары"));
        return true;
    }();
    (void)ready;
    std::vector<uint8_t> bytes(data, data + size);
    XMemBuffer in;
    in.Attach(bytes.data(), int(bytes.size()));
    try {
        ZJTrade.Load(in);
    } catch (const std::exception&) {
        if (ZJTrade.entryCount != 0)
            __builtin_trap();
        ResetCallTrace();
        return 0;
    }
    SharedRandom.seed = uint32_t(size);
    ZJTrade.UpdatePrices();
    ZJTrade.Run(1);
    NameKey32 key;
    ZJTrade.GetRandomGood(key);
    for (int i = 0; i < ZJTrade.entryCount; ++i) {
        STradeEntry& entry = ZJTrade.Entry(i);
        NameKey32 building;
        std::memcpy(building.text, entry.building, sizeof building.text);
        XDynamicArray<SBuildingTrade*> list;
        ZJTrade.GetGoodInfo(building, CZJTrade::kGoods, list, false);
        for (const SBuildingTrade& good : entry.goods) {
            float price = 0;
            int32_t stock = 0;
            NameKey32 goodKey;
            std::memcpy(goodKey.text, good.key, sizeof goodKey.text);
            ZJTrade.GetPrice(building, goodKey, false, price, &stock);
        }
    }
    if (ZJTrade.entryCount > 0) {
        NameKey32 building;
        std::memcpy(building.text, ZJTrade.Entry(0).building, sizeof building.text);
        ZJTrade.Sold(building, MakeNameKey32("TOV_NEW"), 3);
        ZJTrade.Buy(building, MakeNameKey32("TOV_ORE"), 2);
    }
    XMemBuffer saved;
    ZJTrade.Save(saved);
    const std::vector<uint8_t> first(saved.Data(), saved.Data() + saved.Position());
    saved.Rewind();
    ZJTrade.Load(saved);
    XMemBuffer again;
    ZJTrade.Save(again);
    if (again.Position() != int(first.size()) || std::memcmp(again.Data(), first.data(), first.size()) != 0)
        __builtin_trap();
    ZJTrade.Clear();
    ResetCallTrace();
    return 0;
}
