#include "world/db/CGoodsManager.h"

#include "foundation/CallTrace.h"
#include "world/db/FieldTable.h"
#include "world/db/ResourceIds.h"

namespace {

constexpr SField<SGoodsType> kFields[] = {
    { "Model", &SGoodsType::model, FindModelId },
    { "MASSA", &SGoodsType::mass, EField::Whole },
    { "NOTRADE", &SGoodsType::noTrade, EField::Flag },
    { "PRICE", &SGoodsType::price, EField::Float },
};

} // namespace

CGoodsManager g_GoodsManager;

void CGoodsManager::Init(const char* table)
{
    ZJ_TRACE("CGoodsManager::Init");
    m_rows.Done();
    DefaultManager::Init(table);
    m_rows.SetSize(m_rowCount);
    ReadTable(m_rowNames, m_rows, kFields, [](const char*, SGoodsType& row) {
        if (row.price == 0.0f && !row.noTrade)
            row.price = 100.0f;
    });
}

SGoodsType& CGoodsManager::GetDesc(int index)
{
    static SGoodsType zero {};
    if (index == -1)
        return zero;
    return m_rows.At(index);
}
