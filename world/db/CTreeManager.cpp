#include "world/db/CTreeManager.h"

#include "foundation/CallTrace.h"
#include "platform/win/text.h"
#include "world/db/FactoryHelpers.h"
#include "world/db/PropertyText.h"
#include "world/db/ResourceIds.h"
#include "world/objects/CTreeObject.h"

#include <cstdio>

CTreeManager g_TreeManager;

void CTreeManager::Init(const char* table)
{
    ZJ_TRACE("CTreeManager::Init");
    BeginRows(table);
    for (int i = 0; i < m_rowCount; ++i) {
        const char* section = m_rowNames.GetString(i);
        STreeType& row = m_rows.At(i);
        RowRead::Name(section, "Model", row.model);
        row.flexibility = RowRead::Float(section, "Flexibility");
        row.noSolid = RowRead::Flag(section, "NOSOLID");
    }
    for (STreeType& row : m_rows)
        row.model.Resolve(FindModelId);
}

CZJObject* CTreeManager::CreateObject(NameKey32 typeId, const float* placement, const char* propertyText)
{
    auto object = std::make_unique<CTreeObject>();
    CopyPropertyText(*object, propertyText);
    object->Init(placement, typeId);
    return AddToObjectList(std::move(object));
}

std::string CTreeManager::DescribeRow(int row)
{
    float flexibility = 1.0f;
    int noSolid = 0;
    if (row != -1) {
        flexibility = GetDesc(row).flexibility;
        noSolid = GetDesc(row).noSolid;
    }
    char text[128];
    std::snprintf(text, sizeof text, CP1251("Гибкость=%f\r\nБезПересечений=%d"), double(flexibility), noSolid);
    return text;
}

int CTreeManager::UpdateRowFromText(const char* section, const XStringTable& lines)
{
    static const SPropertyKey keys[] = {
        { CP1251("Гибкость"), "FLEXIBILITY", SPropertyKey::Float },
        { CP1251("БезПересечений"), "NOSOLID", SPropertyKey::Integer },
    };
    return UpdateRowFromLines(m_tableName, section, lines, keys, std::size(keys));
}
