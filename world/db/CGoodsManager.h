// The goods: table "Товары". Goods are never placed: the manager has rows and no objects.
#pragma once

#include "foundation/DefaultManager.h"
#include "world/db/TypeRow.h"

struct SGoodsType {
    SNameRef32 model; // Model
    float mass; // MASSA, read as an integer
    float price; // PRICE, 100 when 0 on a traded good
    uint8_t noTrade; // NOTRADE = 1
};

class CGoodsManager : public DefaultManager {
public:
    void Init(const char* table) override;
    // -1 gives one shared all-zero row; other indices outside the rows throw XRangeError.
    SGoodsType& GetDesc(int index);
    int RowCount() const { return m_rows.Count(); }

private:
    XDynamicArray<SGoodsType> m_rows;
};

extern CGoodsManager g_GoodsManager;
