#include "world/db/CLanternManager.h"

#include "foundation/CallTrace.h"
#include "world/db/FactoryHelpers.h"
#include "world/db/ResourceIds.h"
#include "world/objects/CLampObject.h"

namespace {

constexpr SField<SLanternType> kFields[] = {
    { "Model", &SLanternType::model, FindModelId },
    { "FLARE", &SLanternType::flare, FindTextureId },
    { "GLOW", &SLanternType::glow, FindTextureId },
    { "SHADOW", &SLanternType::shadow, FindTextureId },
    { "LIMIT", &SLanternType::limit, EField::Float },
    { "RADIUS", &SLanternType::radius, EField::FloatOr, 125 },
    { "SCALE", &SLanternType::scale, EField::FloatOr, 1 },
};

} // namespace

CLanternManager g_LanternManager;

CLanternManager::CLanternManager()
    : CZJTypeManager(13, kFields)
{
}

void CLanternManager::Init(const char* table)
{
    ZJ_TRACE("CLanternManager::Init");
    ReadRows(table, [](const char* section, SLanternType& row) {
        row.prepared = 0;
        row.fxPart = -1;
        for (int32_t& corner : row.fxCorners)
            corner = -1;
        const uint32_t color = uint32_t(RowRead::Int(section, "COLOR"));
        if (color == 0) {
            row.color[0] = row.color[1] = row.color[2] = 0.5f;
        } else {
            row.color[0] = float((color >> 16) & 0xFF) / 255.0f;
            row.color[1] = float((color >> 8) & 0xFF) / 255.0f;
            row.color[2] = float(color & 0xFF) / 255.0f;
        }
    });
}

CZJObject* CLanternManager::CreateObject(NameKey32 typeId, const float* placement, const char*)
{
    return CreateObjectOf<CLampObject>(typeId, placement, nullptr);
}
