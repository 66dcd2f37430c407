// Stand-in until the building trade lands: the trade table read from the trade section of the
// objects file (building key and raw goods records per entry), with every count bounded.
#pragma once

#include <cstdint>
#include <vector>

class XMemBuffer;

class CZJTrade {
public:
    static constexpr uint32_t kMaxEntries = 100;
    static constexpr uint32_t kGoodsRecordBytes = 140;

    struct SEntry {
        char building[32];
        uint32_t goodsCount;
        std::vector<uint8_t> goods; // goodsCount x kGoodsRecordBytes
    };

    // Replaces the table from the stream at its position. A count beyond the bytes left or above
    // kMaxEntries logs and throws XRangeError with the table emptied.
    void Load(XMemBuffer& stream);
    // Recomputes the prices; here it only counts the calls.
    void UpdatePrices() { ++priceUpdates; }

    std::vector<SEntry> entries;
    uint32_t version = 0;
    int priceUpdates = 0;
};

extern CZJTrade ZJTrade;
