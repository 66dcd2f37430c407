#include "render/CLandMaterials.h"

#include "foundation/CallTrace.h"
#include "foundation/ResourceDBManager.h"
#include "render/CModelManager.h"
#include "render/TextureManager.h"

#include <algorithm>
#include <cstring>
#include <string>

CLandMaterials* g_pLandMaterials = nullptr;

namespace {

int32_t TextureIndex(const char* section, const char* key)
{
    char name[64];
    g_ResourceDBManager.GetString(section, key, name, sizeof name);
    return g_pTextureManager && name[0] ? g_pTextureManager->FindTexture(name) : -1;
}

bool Flag(const char* section, const char* key)
{
    return g_ResourceDBManager.GetIntegerField(section, key) == 1;
}

// The key of layer i: the stem followed by the character '1' + i ("MODEL1" ... "MODEL9", "MODEL:").
std::string LayerKey(const char* stem, int i)
{
    return std::string(stem) + char('1' + i);
}

} // namespace

CLandMaterials::~CLandMaterials()
{
    m_materials.Done();
    if (g_pLandMaterials == this)
        g_pLandMaterials = nullptr;
}

void CLandMaterials::Init(const char* table)
{
    ZJ_TRACE("CLandMaterials::Init");
    DefaultManager::Init(table);
    m_materials.Done();
    m_materials.AddEmpty(true, m_rowCount);
    m_maxGID = 0;
    for (int i = 0; i < m_rowCount; ++i) {
        const char* section = m_rowNames.GetString(i);
        SLandMaterial& m = m_materials.At(i);
        g_ResourceDBManager.GetString(section, "Name", m.name, sizeof m.name);
        m.texture = TextureIndex(section, "Texture");
        m.textureFull = TextureIndex(section, "TextureFull");
        m.textureDetail = TextureIndex(section, "TextureDetail");
        m.textureBump = TextureIndex(section, "TextureBump");
        m.animated = Flag(section, "Animated");
        m.vertical = g_ResourceDBManager.GetIntegerField(section, "Vertical");
        m.gid = g_ResourceDBManager.GetIntegerField(section, "GID");
        m.specDetail = Flag(section, "SPECDETAIL");
        m.diffBump = Flag(section, "DIFFBUMP");
        m.height = std::max(g_ResourceDBManager.GetFloat(section, "Height"), 0.5f);
        m.selfIllum = Flag(section, "SELFILLUM");
        m.selfIllumPeriod = g_ResourceDBManager.GetFloat(section, "SI_PERIOD");
        m.selfIllumForce = g_ResourceDBManager.GetFloat(section, "SI_FORCE");
        m.colour = 0xFF000000u;
        for (int l = 0; l < SLandMaterial::kLayers; ++l) {
            SLandLayer& layer = m.layers[l];
            char model[64];
            g_ResourceDBManager.GetString(section, LayerKey("MODEL", l).c_str(), model, sizeof model);
            layer.model = g_pModelManager && model[0] ? g_pModelManager->FindModel(model) : -1;
            layer.frequency = g_ResourceDBManager.GetFloat(section, LayerKey("FREQ", l).c_str());
            layer.scale = g_ResourceDBManager.GetFloat(section, LayerKey("SCALE", l).c_str());
            if (layer.scale == 0.0f)
                layer.scale = 1.0f;
            layer.type = g_ResourceDBManager.GetIntegerField(section, LayerKey("TYPE", l).c_str());
        }
        m_maxGID = std::max(m_maxGID, m.gid);
    }
    // A material may name any material of the table as its horizon, a later one too.
    for (int i = 0; i < m_rowCount; ++i) {
        char horizon[64];
        g_ResourceDBManager.GetString(m_rowNames.GetString(i), "IDHORIZONT", horizon, sizeof horizon);
        SLandMaterial& m = m_materials.At(i);
        m.horizon = -1;
        for (int k = 0; horizon[0] && k < m_rowCount && m.horizon < 0; ++k) {
            if (std::strncmp(m_materials.At(k).name, horizon, sizeof m.name) == 0)
                m.horizon = k;
        }
    }
}

int CLandMaterials::FindByGID(uint32_t code, bool* highBit) const
{
    if (highBit)
        *highBit = (code & 0x8000) != 0;
    const int32_t gid = int32_t(code & 0x7FFF);
    for (int i = 0; i < m_materials.Count(); ++i) {
        if (m_materials.At(i).gid == gid)
            return i;
    }
    return -1;
}
