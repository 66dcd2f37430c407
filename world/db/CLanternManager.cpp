#include "world/db/CLanternManager.h"

#include "foundation/CallTrace.h"
#include "world/db/FactoryHelpers.h"
#include "world/db/ResourceIds.h"
#include "world/objects/CLampObject.h"

CLanternManager g_LanternManager;

void CLanternManager::Init(const char* table)
{
    ZJ_TRACE("CLanternManager::Init");
    BeginRows(table);
    for (int i = 0; i < m_rowCount; ++i) {
        const char* section = m_rowNames.GetString(i);
        SLanternType& row = m_rows.At(i);
        RowRead::Name(section, "Model", row.model);
        row.prepared = 0;
        row.fxPart = -1;
        for (int32_t& corner : row.fxCorners)
            corner = -1;
        RowRead::Name(section, "FLARE", row.flare);
        RowRead::Name(section, "GLOW", row.glow);
        RowRead::Name(section, "SHADOW", row.shadow);
        row.limit = RowRead::Float(section, "LIMIT");
        row.radius = RowRead::FloatOr(section, "RADIUS", 125.0f);
        row.scale = RowRead::FloatOr(section, "SCALE", 1.0f);
        const uint32_t color = uint32_t(RowRead::Int(section, "COLOR"));
        if (color == 0) {
            row.color[0] = row.color[1] = row.color[2] = 0.5f;
        } else {
            row.color[0] = float((color >> 16) & 0xFF) / 255.0f;
            row.color[1] = float((color >> 8) & 0xFF) / 255.0f;
            row.color[2] = float(color & 0xFF) / 255.0f;
        }
    }
    for (SLanternType& row : m_rows) {
        row.model.Resolve(FindModelId);
        row.flare.Resolve(FindTextureId);
        row.glow.Resolve(FindTextureId);
        row.shadow.Resolve(FindTextureId);
    }
}

CZJObject* CLanternManager::CreateObject(NameKey32 typeId, const float* placement, const char*)
{
    auto object = std::make_unique<CLampObject>();
    object->Init(placement, typeId);
    return AddToObjectList(std::move(object));
}
