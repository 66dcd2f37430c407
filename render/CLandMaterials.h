// CLandMaterials: the ground surfaces of the table "Поверхности". Each surface names the textures
// the terrain draws it with, its detail and bump options, height, self-illumination pulse and up
// to ten kinds of models scattered over it. Map cells name a surface by a 16-bit code whose low
// 15 bits are its GID. Loaded once, after the texture and model managers whose names it resolves.
// Main thread only.
#pragma once

#include "foundation/DefaultManager.h"
#include "foundation/XDynamicArray.h"

#include <cstdint>

struct SLandLayer {
    int32_t model; // model-table index, -1 for none
    float frequency;
    float scale; // 0 in the table reads as 1.0
    int32_t unused;
    int32_t type;
};

struct SLandMaterial {
    static constexpr int kLayers = 10;

    char name[32];
    int32_t gid;
    int32_t vertical;
    int32_t texture; // texture indices, -1 when the name is unknown
    int32_t textureFull;
    int32_t unused[2];
    bool animated;
    uint32_t colour; // opaque black
    float height; // at least 0.5
    int32_t textureDetail;
    bool specDetail;
    bool diffBump;
    int32_t textureBump;
    SLandLayer layers[kLayers];
    int32_t horizon; // index of the material named by IDHORIZONT, -1 for none
    bool selfIllum;
    float selfIllumPeriod;
    float selfIllumForce;
};

class CLandMaterials : public DefaultManager {
public:
    CLandMaterials() = default;
    ~CLandMaterials() override;

    void Init(const char* table) override;

    // Other indices throw XRangeError.
    const SLandMaterial& GetMaterial(int index) const { return m_materials.At(index); }
    const SLandMaterial& GetLayer(int index) const { return GetMaterial(index); }
    // The first material whose GID is the code's low 15 bits, -1 when none; highBit receives bit 15.
    int FindByGID(uint32_t code, bool* highBit = nullptr) const;
    int GetRecord(uint32_t code, bool* highBit = nullptr) const { return FindByGID(code, highBit); }
    int GetMaterialCount() const { return m_materials.Count(); }
    int32_t GetMaxGID() const { return m_maxGID; }

private:
    int32_t m_maxGID = 0;
    XDynamicArray<SLandMaterial> m_materials;
};

extern CLandMaterials* g_pLandMaterials;
