// The light objects: type code 19. No table: one fixed row named "Источник", which GetDesc
// answers for every index.
#pragma once

#include "world/db/CZJObjectManager.h"
#include "world/db/TypeRow.h"

struct SLightType {
    SNameRef96 model; // -1
    int32_t number; // 62
    char name[32];
};

class LightManager : public CZJObjectManager {
public:
    LightManager()
        : CZJObjectManager(19)
    {
    }
    // Reads no table.
    void Init(const char* table) override;
    CZJObject* CreateObject(NameKey32 typeId, const float* placement, const char* propertyText) override;
    // Every record, its property text upper-cased, becomes a light object.
    void LoadObjects() override;
    SLightType& GetDesc(int) { return m_row; }
    const void* GetDescData(int) override { return &m_row; }

private:
    SLightType m_row {};
};

extern LightManager g_LightManager;
