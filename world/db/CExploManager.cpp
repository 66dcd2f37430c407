#include "world/db/CExploManager.h"

#include "foundation/CallTrace.h"
#include "world/db/FactoryHelpers.h"
#include "world/db/ResourceIds.h"
#include "world/objects/CExploObject.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr SField<SExploType> kFields[] = {
    { "NAME", &SExploType::name },
    { "IDSOUND", &SExploType::sound, FindSoundId },
    { "DAMAGE", &SExploType::damage, EField::Float },
    { "RADIUS", &SExploType::radius, EField::FloatOr, 10 },
    { "IMPULSE", &SExploType::impulse, EField::Float },
    { "LIGHTRADIUS", &SExploType::lightRadius, EField::Float },
};

// The keys of layer k; the texture and model lists follow.
constexpr SField<SExploLayer> kLayerFields[] = {
    { "NAME%d", &SExploLayer::name },
    { "TYPE%d", &SExploLayer::kind, EField::Int },
    { "NTEX%d", &SExploLayer::textureCount, EField::IntOr, 1 },
    { "DELAY%d", &SExploLayer::delay, EField::Float },
    { "DURATION%d", &SExploLayer::duration, EField::FloatOr, 1 },
    { "XSTATE%d", &SExploLayer::xStates, EField::Int },
    { "YSTATE%d", &SExploLayer::yStates, EField::Int },
    { "SCALE%d", &SExploLayer::scale, EField::FloatOr, 1 },
    { "MAPCOLOR%d", &SExploLayer::mapColor, EField::NonZero },
    { "SPEED%d", &SExploLayer::speed, EField::Float },
    { "NUM%d", &SExploLayer::count, EField::Int },
    { "SHIFT%d", &SExploLayer::shift, EField::Float },
    { "OPACITY%d", &SExploLayer::opacity, EField::Float },
    { "HIDETIME%d", &SExploLayer::hideTime, EField::Float },
    { "ID1_%d", &SExploLayer::explosion, FindRowIn<g_ExploManager> },
    { "NMODEL%d", &SExploLayer::modelCount, EField::IntOr, 1 },
    { "XTYPE%d", &SExploLayer::extraKind, EField::Int },
};

// A key with the layer number (and an element number) filled in.
struct LayerKey {
    char text[32];
    LayerKey(const char* format, int layer) { std::snprintf(text, sizeof text, format, layer); }
    LayerKey(const char* format, int layer, int element)
    {
        std::snprintf(text, sizeof text, format, layer, element);
    }
    operator const char*() const { return text; }
};

bool IsAbsent(const char* text)
{
    return text[0] == '\0' || std::strcmp(text, "_DEFAULT_") == 0;
}

// Element 0 under first, element j under more with j.
template <size_t N>
void ReadNameList(const char* section, int k, const char* first, const char* more, SNameRef32 (&names)[N])
{
    RowRead::Name(section, LayerKey(first, k), names[0]);
    for (int j = 1; j < int(N); ++j)
        RowRead::Name(section, LayerKey(more, k, j), names[j]);
}

void ReadLayer(const char* section, int k, SExploLayer& layer)
{
    ReadFields(section, layer, kLayerFields, k);
    if (IsAbsent(layer.name))
        std::snprintf(layer.name, sizeof layer.name, "%d", k);
    ReadNameList(section, k, "TEXTURE%d", "TEXTURE%d_%d", layer.textures);
    ReadNameList(section, k, "MODEL%d", "MODEL%d_%d", layer.models);
}

} // namespace

CExploManager g_ExploManager;

CExploManager::CExploManager()
    : CZJTypeManager(15, kFields)
{
}

void CExploManager::Init(const char* table)
{
    ZJ_TRACE("CExploManager::Init");
    ReadRows(table, [](const char* section, SExploType& row) {
        row.hasLight = row.lightRadius != 0.0f ? 1 : 0;
        const uint32_t color = uint32_t(RowRead::Int(section, "LIGHTCOLOR"));
        row.lightColor = (color & 0xFF00FF00u) | ((color >> 16) & 0xFF) | ((color & 0xFF) << 16);
        for (int k = 0; k < SExploType::kLayers; ++k)
            ReadLayer(section, k, row.layers[k]);
    });
    for (SExploType& row : m_rows) {
        for (SExploLayer& layer : row.layers) {
            for (SNameRef32& texture : layer.textures)
                texture.Resolve(FindTextureId);
            for (SNameRef32& model : layer.models)
                model.Resolve(FindModelId);
            ResolveFields(layer, kLayerFields);
        }
    }
    m_countCut.assign(size_t(RowCount()), 0);
}

bool CExploManager::FirstCountCut(int row)
{
    if (row < 0 || row >= int(m_countCut.size()) || m_countCut[size_t(row)])
        return false;
    m_countCut[size_t(row)] = 1;
    return true;
}

CZJObject* CExploManager::CreateObject(NameKey32 typeId, const float* placement, const char*)
{
    Matrix4 frame;
    if (placement)
        std::memcpy(frame.m, placement, sizeof frame.m);
    else
        Matrix4Identity(frame);
    int32_t row;
    std::memcpy(&row, typeId.text, 4);
    auto object = std::make_unique<CExploObject>();
    object->Init(frame, row);
    return AddToObjectList(std::move(object));
}
