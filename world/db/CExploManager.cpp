#include "world/db/CExploManager.h"

#include "foundation/CallTrace.h"
#include "world/db/FactoryHelpers.h"
#include "world/db/ResourceIds.h"
#include "world/objects/CExploObject.h"

#include <cstdio>
#include <cstring>

CExploManager g_ExploManager;

namespace {

// A key with the layer number (and an element number) filled in.
struct LayerKey {
    char text[32];
    LayerKey(const char* format, int layer) { std::snprintf(text, sizeof text, format, layer); }
    LayerKey(const char* format, int layer, int element) { std::snprintf(text, sizeof text, format, layer, element); }
    operator const char*() const { return text; }
};

bool IsAbsent(const char* text)
{
    return text[0] == '\0' || std::strcmp(text, "_DEFAULT_") == 0;
}

void ReadLayer(const char* section, int k, SExploLayer& layer)
{
    RowRead::Text(section, LayerKey("NAME%d", k), layer.name, sizeof layer.name);
    if (IsAbsent(layer.name))
        std::snprintf(layer.name, sizeof layer.name, "%d", k);
    layer.kind = RowRead::Int(section, LayerKey("TYPE%d", k));
    layer.textureCount = RowRead::Int(section, LayerKey("NTEX%d", k));
    if (layer.textureCount == 0)
        layer.textureCount = 1;
    RowRead::Name(section, LayerKey("TEXTURE%d", k), layer.textures[0]);
    for (int j = 1; j < SExploLayer::kMaxTextures; ++j)
        RowRead::Name(section, LayerKey("TEXTURE%d_%d", k, j), layer.textures[j]);
    layer.delay = RowRead::Float(section, LayerKey("DELAY%d", k));
    layer.duration = RowRead::FloatOr(section, LayerKey("DURATION%d", k), 1.0f);
    layer.xStates = RowRead::Int(section, LayerKey("XSTATE%d", k));
    layer.yStates = RowRead::Int(section, LayerKey("YSTATE%d", k));
    layer.scale = RowRead::FloatOr(section, LayerKey("SCALE%d", k), 1.0f);
    layer.mapColor = RowRead::Int(section, LayerKey("MAPCOLOR%d", k)) != 0 ? 1 : 0;
    layer.speed = RowRead::Float(section, LayerKey("SPEED%d", k));
    layer.count = RowRead::Int(section, LayerKey("NUM%d", k));
    layer.shift = RowRead::Float(section, LayerKey("SHIFT%d", k));
    layer.opacity = RowRead::Float(section, LayerKey("OPACITY%d", k));
    layer.hideTime = RowRead::Float(section, LayerKey("HIDETIME%d", k));
    RowRead::Name(section, LayerKey("ID1_%d", k), layer.explosion);
    layer.modelCount = RowRead::Int(section, LayerKey("NMODEL%d", k));
    if (layer.modelCount == 0)
        layer.modelCount = 1;
    RowRead::Name(section, LayerKey("MODEL%d", k), layer.models[0]);
    for (int j = 1; j < SExploLayer::kMaxModels; ++j)
        RowRead::Name(section, LayerKey("MODEL%d_%d", k, j), layer.models[j]);
    layer.extraKind = RowRead::Int(section, LayerKey("XTYPE%d", k));
}

} // namespace

void CExploManager::Init(const char* table)
{
    ZJ_TRACE("CExploManager::Init");
    BeginRows(table);
    for (int i = 0; i < m_rowCount; ++i) {
        const char* section = m_rowNames.GetString(i);
        SExploType& row = m_rows.At(i);
        RowRead::Text(section, "NAME", row.name, sizeof row.name);
        RowRead::Name(section, "IDSOUND", row.sound);
        row.damage = RowRead::Float(section, "DAMAGE");
        row.radius = RowRead::FloatOr(section, "RADIUS", 10.0f);
        row.impulse = RowRead::Float(section, "IMPULSE");
        row.lightRadius = RowRead::Float(section, "LIGHTRADIUS");
        row.hasLight = row.lightRadius != 0.0f ? 1 : 0;
        const uint32_t color = uint32_t(RowRead::Int(section, "LIGHTCOLOR"));
        row.lightColor = (color & 0xFF00FF00u) | ((color >> 16) & 0xFF) | ((color & 0xFF) << 16);
        for (int k = 0; k < SExploType::kLayers; ++k)
            ReadLayer(section, k, row.layers[k]);
    }
    auto findExplosion = [this](const char* name) { return FindRow(name); };
    for (SExploType& row : m_rows) {
        row.sound.Resolve(FindSoundId);
        for (SExploLayer& layer : row.layers) {
            for (SNameRef32& texture : layer.textures)
                texture.Resolve(FindTextureId);
            for (SNameRef32& model : layer.models)
                model.Resolve(FindModelId);
            layer.explosion.Resolve(findExplosion);
        }
    }
}

CZJObject* CExploManager::CreateObject(NameKey32 typeId, const float* placement, const char*)
{
    auto object = std::make_unique<CExploObject>();
    object->Init(placement, typeId);
    return AddToObjectList(std::move(object));
}
