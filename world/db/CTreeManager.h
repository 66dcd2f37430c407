// The trees: table "Деревья", type code 4. Its property text shows Flexibility (1 for row -1) and
// NOSOLID.
#pragma once

#include "world/db/CZJObjectManager.h"
#include "world/db/TypeRow.h"

struct STreeType {
    SNameRef96 model;
    float flexibility; // Flexibility
    uint8_t noSolid; // NOSOLID = 1
};

class CTreeManager : public CZJTypeManager<STreeType> {
public:
    CTreeManager();
    void Init(const char* table) override;
    CZJObject* CreateObject(NameKey32 typeId, const float* placement, const char* propertyText) override;
};

extern CTreeManager g_TreeManager;
