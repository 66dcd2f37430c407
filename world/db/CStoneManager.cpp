#include "world/db/CStoneManager.h"

#include "foundation/CallTrace.h"
#include "platform/win/text.h"
#include "world/db/FactoryHelpers.h"
#include "world/db/PropertyText.h"
#include "world/db/ResourceIds.h"
#include "world/objects/CStoneObject.h"

CStoneManager g_StoneManager;

void CStoneManager::Init(const char* table)
{
    ZJ_TRACE("CStoneManager::Init");
    BeginRows(table);
    for (int i = 0; i < m_rowCount; ++i) {
        const char* section = m_rowNames.GetString(i);
        SStoneType& row = m_rows.At(i);
        RowRead::Name(section, "Model", row.model);
        row.flying = RowRead::Flag(section, "Fly");
        row.noMapColor = RowRead::Flag(section, "NOMAPCOLOR");
    }
    for (SStoneType& row : m_rows)
        row.model.Resolve(FindModelId);
}

CZJObject* CStoneManager::CreateObject(NameKey32 typeId, const float* placement, const char* propertyText)
{
    auto object = std::make_unique<CStoneObject>();
    CopyPropertyText(*object, propertyText);
    object->Init(placement, typeId);
    return AddToObjectList(std::move(object));
}

std::string CStoneManager::DescribeRow(int row)
{
    const SStoneType& desc = GetDesc(row);
    std::string text = CP1251("Летающий=");
    text += desc.flying ? "1" : "0";
    text += "\r\n";
    text += CP1251("НеМеняетЦвет=");
    text += desc.noMapColor ? "1" : "0";
    text += "\r\n";
    return text;
}

int CStoneManager::UpdateRowFromText(const char* section, const XStringTable& lines)
{
    static const SPropertyKey keys[] = {
        { CP1251("Летающий"), "FLY", SPropertyKey::Integer },
        { CP1251("НеМеняетЦвет"), "NOMAPCOLOR", SPropertyKey::Integer },
    };
    return UpdateRowFromLines(m_tableName, section, lines, keys, std::size(keys));
}
