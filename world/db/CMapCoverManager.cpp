#include "world/db/CMapCoverManager.h"

#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "platform/win/text.h"
#include "world/db/FactoryHelpers.h"
#include "world/db/PropertyText.h"
#include "world/db/ResourceIds.h"
#include "world/objects/CMapCoverObject.h"

#include <cstdio>

CMapCoverManager g_MapCoverManager;

void CMapCoverManager::Init(const char* table)
{
    ZJ_TRACE("CMapCoverManager::Init");
    BeginRows(table);
    for (int i = 0; i < m_rowCount; ++i) {
        const char* section = m_rowNames.GetString(i);
        SMapCoverType& row = m_rows.At(i);
        RowRead::Name(section, "Model", row.texture);
        row.kind = RowRead::Int(section, "TYPE");
        row.period = RowRead::Float(section, "PERIOD");
    }
    for (SMapCoverType& row : m_rows) {
        row.texture.text[sizeof row.texture.text - 1] = '\0';
        const int32_t index = FindTextureId(row.texture.text);
        if (index < 0) {
            char line[192];
            std::snprintf(line, sizeof line, CP1251("CMapCoverManager::Init Текстура не найдена: %s"), row.texture.text);
            WriteErrorLog(line);
        }
        row.texture.SetIndex(index);
    }
}

CZJObject* CMapCoverManager::CreateObject(NameKey32 typeId, const float* placement, const char*)
{
    auto object = std::make_unique<CMapCoverObject>();
    object->Init(placement, typeId);
    return AddToObjectList(std::move(object));
}

std::string CMapCoverManager::DescribeRow(int row)
{
    const SMapCoverType& desc = GetDesc(row);
    char text[128];
    std::snprintf(text, sizeof text, CP1251("Светящийся=%d\r\nПериод=%f"), desc.kind, double(desc.period));
    return text;
}

int CMapCoverManager::UpdateRowFromText(const char* section, const XStringTable& lines)
{
    static const SPropertyKey keys[] = {
        { CP1251("Светящийся"), "TYPE", SPropertyKey::Integer },
        { CP1251("Период"), "PERIOD", SPropertyKey::Float },
    };
    return UpdateRowFromLines(m_tableName, section, lines, keys, std::size(keys));
}
