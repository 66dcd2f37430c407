// The map cover: table "Покрытие", type code 12; its rows name a texture. Its property text shows
// TYPE and PERIOD.
#pragma once

#include "world/db/CZJObjectManager.h"
#include "world/db/TypeRow.h"

struct SMapCoverType {
    SNameRef96 texture; // Model
    int32_t kind; // TYPE: 0 lit, 1 glowing
    float period; // PERIOD
};

class CMapCoverManager : public CZJTypeManager<SMapCoverType> {
public:
    CMapCoverManager();
    void Init(const char* table) override;
    CZJObject* CreateObject(NameKey32 typeId, const float* placement, const char* propertyText) override;
};

extern CMapCoverManager g_MapCoverManager;
