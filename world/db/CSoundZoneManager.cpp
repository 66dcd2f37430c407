#include "world/db/CSoundZoneManager.h"

#include "foundation/CallTrace.h"
#include "platform/win/text.h"
#include "world/db/FactoryHelpers.h"
#include "world/db/PropertyText.h"
#include "world/db/ResourceIds.h"
#include "world/objects/CSoundZonePoint.h"

#include <cstdio>

CSoundZoneManager g_SoundZoneManager;

void CSoundZoneManager::Init(const char* table)
{
    ZJ_TRACE("CSoundZoneManager::Init");
    BeginRows(table);
    for (int i = 0; i < m_rowCount; ++i) {
        const char* section = m_rowNames.GetString(i);
        SSoundZoneType& row = m_rows.At(i);
        RowRead::Name(section, "Model", row.sound);
        row.period = RowRead::FloatOr(section, "PERIOD", 10.0f);
        row.length = RowRead::FloatOr(section, "LENGTH", 5.0f);
        row.random = RowRead::Flag(section, "RANDOM");
        row.loop = RowRead::Flag(section, "LOOP");
    }
    for (SSoundZoneType& row : m_rows)
        row.sound.Resolve(FindSoundId);
}

CZJObject* CSoundZoneManager::CreateObject(NameKey32 typeId, const float* placement, const char* propertyText)
{
    ObjectList.AddBuilding(new CSoundZonePoint(typeId, placement, propertyText));
    return nullptr;
}

std::string CSoundZoneManager::DescribeRow(int row)
{
    SSoundZoneType desc {};
    desc.period = 10.0f;
    desc.length = 5.0f;
    if (row != -1)
        desc = GetDesc(row);
    char text[256];
    std::snprintf(text, sizeof text,
        CP1251("Зацикленный=%d\r\nСлучайный=%d\r\nПериод=%f\r\nПродолжительность=%f\r\n"), desc.loop,
        desc.random, double(desc.period), double(desc.length));
    return text;
}

int CSoundZoneManager::UpdateRowFromText(const char* section, const XStringTable& lines)
{
    static const SPropertyKey keys[] = {
        { CP1251("Зацикленный"), "LOOP", SPropertyKey::Integer },
        { CP1251("Случайный"), "RANDOM", SPropertyKey::Integer },
        { CP1251("Период"), "PERIOD", SPropertyKey::Float },
        { CP1251("Продолжительность"), "LENGTH", SPropertyKey::Float },
    };
    return UpdateRowFromLines(m_tableName, section, lines, keys, std::size(keys));
}
