// The explosions: table "Взрывы", type code 15. Explosions are made at run time only; their type
// argument carries the row index in its first word.
#pragma once

#include "world/db/CZJObjectManager.h"
#include "world/db/TypeRow.h"

#include <cstdint>
#include <vector>

struct SExploLayer {
    static constexpr int kMaxTextures = 10;
    static constexpr int kMaxModels = 10;

    char name[32]; // NAME%d; the layer number when absent
    int32_t kind; // TYPE%d
    int32_t textureCount; // NTEX%d, 1 when 0
    SNameRef32 textures[kMaxTextures]; // TEXTURE%d, TEXTURE%d_%d
    float delay; // DELAY%d
    float duration; // DURATION%d, 1 when 0
    int32_t xStates; // XSTATE%d
    int32_t yStates; // YSTATE%d
    float scale; // SCALE%d, 1 when 0
    uint8_t mapColor; // MAPCOLOR%d not 0
    float speed; // SPEED%d
    int32_t count; // NUM%d
    float shift; // SHIFT%d
    float opacity; // OPACITY%d
    float hideTime; // HIDETIME%d
    SNameRef32 explosion; // ID1_%d: an explosion row started by this layer
    int32_t modelCount; // NMODEL%d, 1 when 0
    SNameRef32 models[kMaxModels]; // MODEL%d, MODEL%d_%d
    int32_t extraKind; // XTYPE%d
};

struct SExploType {
    static constexpr int kLayers = 8;

    char name[32]; // NAME
    SNameRef32 sound; // IDSOUND
    float damage; // DAMAGE
    float radius; // RADIUS, 10 when 0
    float impulse; // IMPULSE
    uint8_t hasLight; // LIGHTRADIUS not 0
    float lightRadius; // LIGHTRADIUS
    uint32_t lightColor; // LIGHTCOLOR 0xRRGGBB stored with red and blue swapped
    SExploLayer layers[kLayers];
};

class CExploManager : public CZJTypeManager<SExploType> {
public:
    CExploManager();
    void Init(const char* table) override;
    CZJObject* CreateObject(NameKey32 typeId, const float* placement, const char* propertyText) override;
    // True the first time since the table was read that the row's stage count is cut: the cut is
    // logged once per row.
    bool FirstCountCut(int row);

private:
    std::vector<uint8_t> m_countCut;
};

extern CExploManager g_ExploManager;
