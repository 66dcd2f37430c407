#include "world/db/CGoodsManager.h"

#include "foundation/CallTrace.h"
#include "world/db/ResourceIds.h"

CGoodsManager g_GoodsManager;

void CGoodsManager::Init(const char* table)
{
    ZJ_TRACE("CGoodsManager::Init");
    m_rows.Done();
    DefaultManager::Init(table);
    m_rows.SetSize(m_rowCount);
    for (int i = 0; i < m_rowCount; ++i) {
        const char* section = m_rowNames.GetString(i);
        SGoodsType& row = m_rows.At(i);
        RowRead::Name(section, "Model", row.model);
        row.mass = float(RowRead::Int(section, "MASSA"));
        row.noTrade = RowRead::Flag(section, "NOTRADE");
        row.price = RowRead::Float(section, "PRICE");
        if (row.price == 0.0f && !row.noTrade)
            row.price = 100.0f;
    }
    for (SGoodsType& row : m_rows)
        row.model.Resolve(FindModelId);
}

SGoodsType& CGoodsManager::GetDesc(int index)
{
    static SGoodsType zero {};
    if (index == -1)
        return zero;
    return m_rows.At(index);
}
